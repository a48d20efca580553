// Files in the compound-file container: the Windows edition's Word 97 documents are read, and
// every other kind is named for what it is, never taken for a damaged archive or a disk fault.
#include "CompoundFile.h"
#include "DocumentEngine.h"
#include "Edition.h"
#include "Failure.h"
#include "Protection.h"
#include "Resources.h"
#include "TestSupport.h"
#include "Word97Document.h"
#include "Word97Fixtures.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace word97test;

namespace {

QString OpenFails(const QString& path)
{
    try {
        OpenWordDocument(path);
    } catch (const Failure& failure) {
        return failure.text();
    }
    return {};
}

// A Word 97 FIB as far as the probe reads it: identification, version and flags.
QByteArray Fib(quint16 ident, quint16 nFib, quint16 flags)
{
    QByteArray fib(1024, '\0');
    qToLittleEndian(ident, fib.data());
    qToLittleEndian(nFib, fib.data() + 2);
    qToLittleEndian(flags, fib.data() + 10);
    return fib;
}

struct Word97 : ::testing::Test {
    TestHome home;
    // The blank application, made a Word 97 document by LibreOffice once for the suite.
    static inline QByteArray blank;
    static void SetUpTestSuite()
    {
        if (!HaveOffice())
            return;
        QTemporaryDir made;
        const QString docx = made.path() + "/blank.qvx";
        createxms(docx);
        blank = ReadAll(ToWord97(docx, made.path()));
    }
    void SetUp() override
    {
        if (!HaveOffice())
            GTEST_SKIP() << "LibreOffice is not installed";
        ASSERT_FALSE(blank.isEmpty());
        createxms(home.path() + "/blank.qvx");
    }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        WriteFile(home.path() + "/" + name, bytes);
        return home.path() + "/" + name;
    }
};

} // namespace

TEST(CompoundFiles, EachKindIsNamedForWhatItIs)
{
    TestHome home;
    auto write = [&](const QString& name, const QVector<std::pair<QString, QByteArray>>& streams) {
        WriteFile(home.path() + "/" + name, CompoundFileOf(streams));
        return home.path() + "/" + name;
    };
    const struct {
        QString name;
        QVector<std::pair<QString, QByteArray>> streams;
        QString says;
    } kinds[] = {
        {"encrypted-ooxml.qvx", {{"EncryptionInfo", "x"}, {"EncryptedPackage", "y"}}, QStringLiteral("密码")},
        {"encrypted-word97.qvx", {{"WordDocument", Fib(0xA5EC, 0xC1, 0x0100)}, {"1Table", "t"}}, QStringLiteral("密码")},
        {"word95.qvx", {{"WordDocument", Fib(0xA5EC, 0x65, 0)}}, QStringLiteral("Word 95")},
        {"word6.qvx", {{"WordDocument", Fib(0xA5DC, 0x65, 0)}}, QStringLiteral("Word 95")},
        {"sheet.qvx", {{"Workbook", "cells"}}, QStringLiteral("电子表格")},
        {"slides.qvx", {{"PowerPoint Document", "slides"}}, QStringLiteral("演示文稿")},
        {"other.qvx", {{"Contents", "x"}}, QStringLiteral("其他程序的复合文档")},
    };
    for (const auto& kind : kinds) {
        const QString text = OpenFails(write(kind.name, kind.streams));
        EXPECT_TRUE(text.contains(kind.says)) << kind.name.toStdString() << ": " << text.toStdString();
        EXPECT_TRUE(text.contains(kind.name)) << text.toStdString();  // which file
        // Nothing about archives or disks: the file is another kind, not broken.
        EXPECT_FALSE(text.contains(QStringLiteral("压缩文件"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("磁盘"))) << text.toStdString();
    }
}

TEST(CompoundFiles, DamagedContainersAreRefusedNotFollowed)
{
    TestHome home;
    const QByteArray good = CompoundFileOf({{"WordDocument", Fib(0xA5EC, 0xC1, 0)}, {"1Table", "t"}});
    ASSERT_TRUE(cfb::CompoundFile(good).ok());
    auto damaged = [&](const std::function<void(QByteArray&)>& change) {
        QByteArray bytes = good;
        change(bytes);
        const cfb::CompoundFile file(bytes);
        if (file.ok()) {  // the directory may survive; the stream then must not
            EXPECT_FALSE(file.stream("WordDocument").ok());
        }
        WriteFile(home.path() + "/d.qvx", bytes);
        const QString text = OpenFails(home.path() + "/d.qvx");
        EXPECT_FALSE(text.isEmpty());
        EXPECT_FALSE(text.contains(QStringLiteral("压缩文件"))) << text.toStdString();
    };
    // The FAT's first data link made a loop back onto itself.
    damaged([](QByteArray& b) { qToLittleEndian<quint32>(1, b.data() + 512 + 4 * 1); });
    // A link past the end of the file.
    damaged([](QByteArray& b) { qToLittleEndian<quint32>(0x00FFFFFF, b.data() + 512 + 4 * 2); });
    // A stream that claims more than the file holds.
    damaged([](QByteArray& b) { qToLittleEndian<quint32>(0x7FFFFFFF, b.data() + 1024 + 128 + 120); });
    // A directory whose tree points at itself.
    damaged([](QByteArray& b) { qToLittleEndian<quint32>(1, b.data() + 1024 + 128 + 72); });
    // Cut short in the middle of the streams.
    damaged([](QByteArray& b) { b.truncate(b.size() / 2); });
    // An unknown sector size.
    damaged([](QByteArray& b) { qToLittleEndian<quint16>(16, b.data() + 30); });
}

TEST_F(Word97, TheTemplateAsLibreOfficeWroteIt)
{
    const QString path = Write("a.qvx", blank);
    const auto doc = OpenWordDocument(path);
    EXPECT_EQ(doc->Format(), DocumentFormat::Word97);
    EXPECT_EQ(FormatName(doc->Format()), QStringLiteral("Word 97–2003"));
    // LibreOffice writes an empty first section; it holds no character and is no section.
    ASSERT_EQ(doc->SectionsCount(), 2);
    EXPECT_TRUE(doc->ProtectedForForms(1));
    EXPECT_FALSE(doc->ProtectedForForms(2));
    EXPECT_TRUE(doc->IsProtected());
    DocumentEngine engine;
    const QString docx = home.path() + "/blank.qvx";
    const auto original = engine.Open(docx, false, false);
    ASSERT_EQ(doc->TablesCount(), original->TablesCount());
    for (int t = 1; t <= doc->TablesCount(); ++t) {
        ASSERT_EQ(doc->CellsCount(t), original->CellsCount(t)) << "table " << t;
        for (int c = 1; c <= doc->CellsCount(t); ++c)
            EXPECT_EQ(doc->CellText(t, c), original->CellText(t, c)) << "table " << t << " cell " << c;
    }
    EXPECT_EQ(doc->CharactersCount(), original->CharactersCount());
    EXPECT_EQ(doc->SectionTextLength(2), original->SectionTextLength(2));
    EXPECT_EQ(doc->Identity().size, blank.size());
}

TEST_F(Word97, TheProtectionsKeyDecidesWhoLiftsIt)
{
    struct {
        quint32 key;
        bool lifts;
    } cases[] = {{LegacyPasswordHash(ProtectPassword), true}, {0, true}, {LegacyPasswordHash("other"), false}};
    for (const auto& c : cases) {
        const auto doc = OpenWordDocument(Write("k.qvx", WithProtectionKey(blank, c.key)));
        EXPECT_EQ(doc->Unprotect(ProtectPassword), c.lifts ? Unprotection::Lifted : Unprotection::WrongPassword) << c.key;
        EXPECT_EQ(doc->IsProtected(), !c.lifts);
    }
}

TEST_F(Word97, ItIsNeverWrittenAndASaveUnderAnotherNameCopiesIt)
{
    const QString path = Write("a.qvx", blank);
    const auto doc = OpenWordDocument(path);
    doc->Unprotect(ProtectPassword);
    for (const auto& write : std::initializer_list<std::function<void()>>{
             [&] { doc->SetCellText(4, 3, "x"); }, [&] { doc->SetProtectedForForms(1, false); },
             [&] { doc->Protect(2, false, ProtectPassword); }, [&] { doc->SetCellFitText(4, 3, true); }}) {
        try {
            write();
            ADD_FAILURE() << "a write went through";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.outcome().cause, Cause::OldFormat);
            EXPECT_EQ(failure.outcome().path, path);
        }
    }
    doc->SaveAs(home.path() + "/copy.qvx");
    doc->Close(true);
    EXPECT_EQ(ReadAll(home.path() + "/copy.qvx"), blank);
    EXPECT_EQ(ReadAll(path), blank);
}

TEST_F(Word97, WhatItsFibSaysIsBelieved)
{
    EXPECT_TRUE(OpenFails(Write("95.qvx", WithFib(blank, 0x68, 0))).contains(QStringLiteral("Word 95")));
    EXPECT_TRUE(OpenFails(Write("enc.qvx", WithFib(blank, 0xC1, 0x0100))).contains(QStringLiteral("打开密码")));
    // A FIB whose text runs past its stream, or whose piece table is gone, is a damaged document.
    auto streams = StreamsOf(blank);
    QByteArray& main = Stream(streams, "WordDocument");
    QByteArray longer = main;
    qToLittleEndian<qint32>(0x01000000, longer.data() + 76);  // ccpText
    Stream(streams, "WordDocument") = longer;
    const QString text = OpenFails(Write("long.qvx", CompoundFileOf(streams)));
    EXPECT_TRUE(text.contains(QStringLiteral("内容已损坏"))) << text.toStdString();
    Stream(streams, "WordDocument") = main;
    Stream(streams, "1Table") = Stream(streams, "1Table").left(64);
    EXPECT_TRUE(OpenFails(Write("short.qvx", CompoundFileOf(streams))).contains(QStringLiteral("内容已损坏")));
}
