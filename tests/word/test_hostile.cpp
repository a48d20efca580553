// Documents made to hurt: deep nesting, absurd spin counts, huge or strange files. Each was a
// crash, a hang or an unbounded allocation before it was refused.
#include "ZipInMemory.h"
#include "Edition.h"
#include "Failure.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Resources.h"
#include "SafeWrite.h"
#include "TestSupport.h"
#include "ZipReader.h"
#include "ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Failure& failure) {
        return failure.text();
    }
    return {};
}

// The blank template with its main part changed.
QByteArray BlankWith(const std::function<void(QByteArray&)>& change, const QString& part = "word/document.xml")
{
    const auto blank = ZipReader::openData(*ResourceBytes("word", "xms")).reader;
    QVector<std::pair<QString, QByteArray>> parts;
    for (const zip::EntryInfo& e : blank->entries()) {
        QByteArray bytes = blank->readAll(e.name).bytes;
        if (e.name == part)
            change(bytes);
        parts.append({e.name, bytes});
    }
    return ZipInMemory(parts);
}

struct Hostile : ::testing::Test {
    QTemporaryDir dir;
    DocumentEngine app;
    QString Write(const QByteArray& bytes, const QString& name = "x.qvx")
    {
        const QString path = dir.path() + "/" + name;
        WriteFile(path, bytes);
        return path;
    }
};

} // namespace

TEST_F(Hostile, DeepNestingIsADamagedDocumentNotACrash)
{
    // 44000 nested elements inside a cell's paragraph, about 100 KB more.
    for (const QByteArray& element : {QByteArray("w:sdt"), QByteArray("w:tbl"), QByteArray("w:r")}) {
        const QString path = Write(BlankWith([&](QByteArray& xml) {
            QByteArray nest;
            for (int i = 0; i < 44000; ++i)
                nest += "<" + element + ">";
            for (int i = 0; i < 44000; ++i)
                nest += "</" + element + ">";
            const qsizetype cell = xml.indexOf("<w:t>");
            xml.insert(cell, nest);
        }));
        EXPECT_TRUE(FailureOf([&] { app.Open(path, false, true)->CharactersCount(); }).contains(QStringLiteral("已损坏")))
            << element.constData();
    }
    // What word processors write stays well inside the bound.
    const QString fine = Write(BlankWith([](QByteArray& xml) {
        xml.insert(xml.indexOf("<w:t>"), QByteArray("<w:sdt>").repeated(100) + QByteArray("</w:sdt>").repeated(100));
    }), "fine.qvx");
    EXPECT_EQ(FailureOf([&] { app.Open(fine, false, true)->CharactersCount(); }), QString());
}

TEST_F(Hostile, TwoPartsOfOneNameAreADamagedDocument)
{
    // We would read the first, LibreOffice reads the last: the file means two things.
    const auto blank = ZipReader::openData(*ResourceBytes("word", "xms")).reader;
    for (const QString& second : {QStringLiteral("word/document.xml"), QStringLiteral("Word/Document.XML")}) {
        QVector<std::pair<QString, QByteArray>> parts;
        for (const zip::EntryInfo& e : blank->entries())
            parts.append({e.name, blank->readAll(e.name).bytes});
        parts.append({second, "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                              "<w:body/></w:document>"});
        const QString path = Write(ZipInMemory(parts));
        EXPECT_TRUE(FailureOf([&] { app.Open(path, false, true); }).contains(QStringLiteral("已损坏")))
            << second.toStdString();
    }
}

TEST_F(Hostile, AnAbsurdSpinCountIsRefusedBeforeHashing)
{
    const QString path = Write(BlankWith([](QByteArray& xml) {
        xml.replace("w:cryptSpinCount=\"100000\"", "w:cryptSpinCount=\"2000000000\"");
    }, "word/settings.xml"));
    auto doc = app.Open(path, false, true);
    EXPECT_EQ(doc->Unprotect(ProtectPassword), Unprotection::WrongPassword);
    EXPECT_TRUE(doc->ProtectedForForms(1));
}

TEST_F(Hostile, FilesThatAreNoDocumentsAreRefusedAtOnce)
{
    const QString fifo = dir.path() + "/pipe.qvx";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(FailureOf([&] { app.Open(fifo, false, true); }).contains(QStringLiteral("不是文件")));
    EXPECT_TRUE(FailureOf([&] { app.Open(dir.path(), false, true); }).contains(QStringLiteral("不是文件")));
    EXPECT_EQ(ZipReader::openFile(fifo).reader, nullptr);

    // A sparse file of 600 MiB takes no memory to be refused.
    const QString huge = dir.path() + "/huge.qvx";
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(600LL * 1024 * 1024));
    file.close();
    EXPECT_TRUE(FailureOf([&] { app.Open(huge, false, true); }).contains(QStringLiteral("已损坏")));
}

TEST(SafeWrite, NeverThroughALinkAndNothingLeftBehind)
{
    QTemporaryDir dir;
    const QString elsewhere = dir.path() + "/elsewhere.txt";
    const QString link = dir.path() + "/doc.qvx";
    ASSERT_TRUE(QFile::link(elsewhere, link));  // dangling
    ASSERT_TRUE(WriteBytesAtomically(link, "new").ok());
    EXPECT_FALSE(QFileInfo::exists(elsewhere));  // the link itself was replaced
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(link), "new");

    const Outcome missing = WriteBytesAtomically(dir.path() + "/missing/doc.qvx", "x");
    EXPECT_EQ(missing.cause, Cause::WriteFailed);
    EXPECT_TRUE(Explain(missing).contains(QStringLiteral("文件或文件夹不存在"))) << Explain(missing).toStdString();
    EXPECT_EQ(WriteBytesAtomically(dir.path(), "x").error, EISDIR);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.qvx"});
    EXPECT_EQ(FailureCause(ENOSPC), QStringLiteral("磁盘空间不足"));
    EXPECT_EQ(FailureCause(EROFS), QStringLiteral("磁盘是只读的"));
    EXPECT_EQ(FailureCause(EACCES), QStringLiteral("没有写入权限"));
}

TEST(SafeWrite, StaleTemporariesOfAKilledRunAreRemoved)
{
    QTemporaryDir dir;
    const QString stale = dir.path() + "/" + TemporaryMark + "doc.qvx-1a2b3c";
    const QString busy = dir.path() + "/" + TemporaryMark + "doc.qvx-4d5e6f";
    WriteFile(stale, "left by a killed save");
    WriteFile(busy, "being written");
    const int fd = ::open(QFile::encodeName(busy).constData(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // its writer still runs
    WriteFile(dir.path() + "/other.txt", "not ours");
    ASSERT_TRUE(WriteBytesAtomically(dir.path() + "/doc.qvx", "saved").ok());
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(busy));
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/other.txt"));
    ::close(fd);
    RemoveStaleTemporaries(dir.path());
    EXPECT_FALSE(QFileInfo::exists(busy));
}
