#include "Failure.h"
#include "Package.h"
#include "TestSupport.h"
#include "ZipFormat.h"
#include "ZipReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RecordingProgress : public ProgressSink {
public:
    QStringList messages;
    int closes = 0;
    void FrmShow(unsigned, int) override {}
    void run(const QString&) override {}
    void zipxMsg(const QString& text) override { messages << text; }
    void setGauge(int) override {}
    void Close() override { ++closes; }
};

struct PackageTest : ::testing::Test {
    QTemporaryDir dir;
    PackageState state;
    RecordingProgress window;
    QString doc;
    QByteArray content;

    PackageTest()
    {
        installProgress(&window);
        doc = dir.path() + QStringLiteral("/李四B.qvx");
        content = QByteArray("PK-like document body ").repeated(5000);
        WriteFile(doc, content);
    }
    ~PackageTest() override { installProgress(nullptr); }
    QString Pack()
    {
        const QString pkg = dir.path() + "/out/p.qvs";
        QDir().mkpath(dir.path() + "/out");
        EXPECT_TRUE(CompressPackage(state, doc, pkg, zip::dtDeflateN));
        return pkg;
    }
};

bool Zip(const QString& archive, const QStringList& files)
{
    if (QStandardPaths::findExecutable("zip").isEmpty())
        return false;
    QProcess p;
    p.start("zip", QStringList{"-q", "-j", archive} + files);
    return p.waitForFinished() && p.exitCode() == 0;
}

} // namespace

TEST_F(PackageTest, PackCheckAndUnpack)
{
    const QString pkg = Pack();
    EXPECT_EQ(state.ListBox1, QStringList({doc}));
    EXPECT_EQ(state.CurrentEntryPath, doc);
    EXPECT_EQ(state.BegunCount, 1);
    EXPECT_EQ(window.messages.last(), QStringLiteral("正在压缩申请书文件..."));

    QString message;
    EXPECT_TRUE(CheckPackage(state, pkg, message));
    EXPECT_EQ(message, QStringLiteral("李四B.qvx"));
    EXPECT_EQ(state.ListBox1, QStringList({QStringLiteral("成功 李四B.qvx")}));
    EXPECT_EQ(window.messages.last(), QStringLiteral("正在校验申请书文件..."));

    // No file of the entry's name in the package's folder: written there, then renamed.
    const QString target = dir.path() + "/test.jx";
    EXPECT_TRUE(ExtractPackage(state, pkg, target));
    EXPECT_EQ(ReadAll(target), content);
    EXPECT_FALSE(state.Redirected);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/out/李四B.qvx")));
    EXPECT_EQ(state.BegunCount, 2);
    EXPECT_EQ(window.messages.last(), QStringLiteral("正在解压申请书文件..."));
    EXPECT_EQ(window.closes, 3);
}

TEST_F(PackageTest, AnExistingFileOfTheEntrysNameStaysUntouched)
{
    const QString pkg = Pack();
    const QString sameName = dir.path() + QStringLiteral("/out/李四B.qvx");
    WriteFile(sameName, "mine");
    const QString target = dir.path() + "/t.qvx";
    WriteFile(target, "old target");
    EXPECT_TRUE(ExtractPackage(state, pkg, target));
    EXPECT_TRUE(state.Redirected);
    EXPECT_EQ(ReadAll(sameName), "mine");
    EXPECT_EQ(ReadAll(target), content);
}

TEST_F(PackageTest, ATargetInTheWayMakesTheRenameFail)
{
    const QString pkg = Pack();
    const QString target = dir.path() + "/t.qvx";
    WriteFile(target, "in the way");
    EXPECT_FALSE(ExtractPackage(state, pkg, target));
    EXPECT_EQ(ReadAll(target), "in the way");
}

TEST_F(PackageTest, PackingReplacesAReadOnlyPackage)
{
    const QString pkg = dir.path() + "/out/p.qvs";
    WriteFile(pkg, "old");
    QFile::setPermissions(pkg, QFile::ReadOwner);
    Pack();
    QString message;
    EXPECT_TRUE(CheckPackage(state, pkg, message));
}

TEST_F(PackageTest, WhatIsNotAPersonalPackage)
{
    QString message;
    WriteFile(dir.path() + "/text.qvs", "plain text, no archive");
    EXPECT_FALSE(CheckPackage(state, dir.path() + "/text.qvs", message));
    EXPECT_EQ(message, PersonalDocumentText);
    EXPECT_FALSE(CheckPackage(state, dir.path() + "/missing.qvs", message));
    EXPECT_EQ(message, PersonalDocumentText);

    // A damaged single entry fails its test.
    const QString pkg = Pack();
    QByteArray bytes = ReadAll(pkg);
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
    WriteFile(pkg, bytes);
    EXPECT_FALSE(CheckPackage(state, pkg, message));
    EXPECT_EQ(message, PersonalDocumentText);
    EXPECT_TRUE(state.ListBox1.value(0).startsWith(QStringLiteral("失败 ")));
    // Its extraction leaves nothing at the target.
    EXPECT_FALSE(ExtractPackage(state, pkg, dir.path() + "/t.qvx"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/t.qvx"));
}

TEST_F(PackageTest, PlainZipArchivesFromInfoZip)
{
    WriteFile(dir.path() + "/b.txt", "second");
    if (!Zip(dir.path() + "/one.zip", {doc}))
        GTEST_SKIP() << "zip is not installed";
    QString message;
    EXPECT_TRUE(CheckPackage(state, dir.path() + "/one.zip", message));
    EXPECT_EQ(message, QStringLiteral("李四B.qvx"));
    ASSERT_TRUE(Zip(dir.path() + "/two.zip", {doc, dir.path() + "/b.txt"}));
    EXPECT_FALSE(CheckPackage(state, dir.path() + "/two.zip", message));
    EXPECT_EQ(message, UnitPackageText);
    EXPECT_EQ(state.ListBox1.size(), 2);
}

TEST_F(PackageTest, AnEmptyArchiveIsNoPackage)
{
    WriteFile(dir.path() + "/empty.zip", QByteArray("PK\5\6", 4) + QByteArray(18, '\0'));
    QString message;
    EXPECT_FALSE(CheckPackage(state, dir.path() + "/empty.zip", message));
    EXPECT_EQ(message, PersonalDocumentText);
}

TEST_F(PackageTest, AMissingFolderThatCannotBeMadeIsAnError)
{
    const QString pkg = Pack();
    WriteFile(dir.path() + "/file", "x");
    EXPECT_THROW(ExtractPackage(state, dir.path() + "/file/sub/p.qvs", dir.path() + "/t.qvx"), Failure);
}
