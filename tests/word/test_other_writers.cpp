// Documents other programs write, well-formed though not as this engine writes them: the main
// part under another name, other prefixes for the same namespaces, ZIP64 archives, an archive
// comment that holds the end record's signature.
#include "ZipInMemory.h"
#include "DocumentEngine.h"
#include "Edition.h"
#include "Failure.h"
#include "OoxmlDocument.h"
#include "Resources.h"
#include "TestSupport.h"
#include "ZipReader.h"
#include "WordSession.h"
#include "ZipWriter.h"

#include <QProcess>
#include <QtEndian>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

using Parts = QVector<std::pair<QString, QByteArray>>;

Parts BlankParts()
{
    const auto blank = ZipReader::openData(*ResourceBytes("word", "xms")).reader;
    Parts parts;
    for (const zip::EntryInfo& e : blank->entries())
        parts.append({e.name, blank->readAll(e.name).bytes});
    return parts;
}

struct OtherWriters : ::testing::Test {
    TestHome home;
    DocumentEngine engine;
    QString Write(const QString& name, const QByteArray& bytes)
    {
        WriteFile(home.path() + "/" + name, bytes);
        return home.path() + "/" + name;
    }
    // Reads what the blank template holds, lifts its protection, writes a value, puts the
    // protection back and saves; then reads the value back from the saved file.
    void ReadsAndWrites(const QString& path)
    {
        const auto doc = engine.Open(path, false, true);
        ASSERT_EQ(doc->SectionsCount(), 2);
        EXPECT_TRUE(doc->ProtectedForForms(1));
        EXPECT_FALSE(doc->ProtectedForForms(2));
        ASSERT_EQ(doc->CellsCount(4), 142);
        EXPECT_EQ(doc->CellText(2, 10), QStringLiteral("2013年\r\a"));
        ASSERT_TRUE(UnprotectForReading(*doc));
        doc->SetCellText(2, 4, QStringLiteral("别的程序写的申请书"));
        doc->Protect(2, false, ProtectPassword);
        doc->Close(true);
        const auto back = engine.Open(path, false, false);
        EXPECT_EQ(back->CellText(2, 4), QStringLiteral("别的程序写的申请书\r\a"));
        EXPECT_TRUE(back->IsProtected());
        EXPECT_TRUE(UnprotectForReading(*back));
    }
};

} // namespace

TEST_F(OtherWriters, TheMainPartIsWhereThePackageSaysItIs)
{
    Parts parts = BlankParts();
    for (auto& [name, bytes] : parts) {
        if (name == "word/document.xml")
            name = "word/document2.xml";
        else if (name == "word/_rels/document.xml.rels")
            name = "word/_rels/document2.xml.rels";
        bytes.replace("/word/document.xml", "/word/document2.xml").replace("word/document.xml", "word/document2.xml");
    }
    const QString path = Write("renamed.qvx", ZipInMemory(parts));
    ReadsAndWrites(path);
    // Saved where it was read: no second main part appears.
    const auto saved = ZipReader::openFile(path).reader;
    EXPECT_GE(saved->find("word/document2.xml"), 0);
    EXPECT_LT(saved->find("word/document.xml"), 0);
}

TEST_F(OtherWriters, NamesAreMatchedByNamespaceNotByPrefix)
{
    Parts parts = BlankParts();
    for (auto& [name, bytes] : parts)
        if (name == "word/document.xml" || name == "word/settings.xml" || name == "word/styles.xml")
            bytes.replace("<w:", "<ns0:").replace("</w:", "</ns0:").replace(" w:", " ns0:").replace("xmlns:w=", "xmlns:ns0=");
    ReadsAndWrites(Write("ns0.qvx", ZipInMemory(parts)));

    // The usual prefix bound to some other namespace names nothing of ours.
    Parts foreign = BlankParts();
    for (auto& [name, bytes] : foreign)
        if (name == "word/document.xml")
            bytes.replace("<w:body>", "<w:body><x:tbl xmlns:x=\"urn:other\"/><w:p xmlns:w=\"urn:other\"><w:r><w:t>x</w:t></w:r></w:p>");
    const auto doc = engine.Open(Write("foreign.qvx", ZipInMemory(foreign)), false, false);
    EXPECT_EQ(doc->CellsCount(4), 142);
    EXPECT_EQ(doc->SectionTextLength(1), engine.Open(Write("blank.qvx", ZipInMemory(BlankParts())), false, false)->SectionTextLength(1));
}

TEST_F(OtherWriters, ArchivesInfoZipWrites)
{
    if (QStandardPaths::findExecutable("zip").isEmpty())
        GTEST_SKIP() << "zip is not installed";
    const QString folder = home.path() + "/parts";
    for (const auto& [name, bytes] : BlankParts())
        WriteFile(folder + "/" + name, bytes);
    auto zip = [&](const QString& archive, const QStringList& options) {
        QProcess p;
        p.setWorkingDirectory(folder);
        p.start("zip", QStringList{"-q", "-r"} + options + QStringList{archive, "."});
        return p.waitForFinished(60000) && p.exitCode() == 0;
    };
    // ZIP64 records for every entry and for the end of the archive.
    ASSERT_TRUE(zip(home.path() + "/z64.qvx", {"-fz"}));
    ReadsAndWrites(home.path() + "/z64.qvx");

    // A comment holding the end record's signature, followed by what would be a plausible record.
    const QString commented = home.path() + "/comment.qvx";
    ASSERT_TRUE(zip(commented, {}));
    QByteArray bytes = ReadAll(commented);
    const QByteArray comment = QByteArray("PK\x05\x06", 4) + QByteArray(16, '\0') + QByteArray(2, '\0') + "trailing";
    qToLittleEndian<quint16>(quint16(comment.size()), bytes.data() + bytes.size() - 2);
    WriteFile(commented, bytes + comment);
    ReadsAndWrites(commented);
}
