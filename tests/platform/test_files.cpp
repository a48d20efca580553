#include "Edition.h"
#include "Failure.h"
#include "Files.h"
#include "Session.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ChangeExtension, ReplacesOnlyTheFileNamesExtension)
{
    EXPECT_EQ(ChangeExtension("/a/b/x.qvs", "qvx"), "/a/b/x.qvx");
    EXPECT_EQ(ChangeExtension("/a/b/x.y.qvs", "qvx"), "/a/b/x.y.qvx");
    EXPECT_EQ(ChangeExtension("/a/ver1.2/x", "qvx"), "/a/ver1.2/x.qvx");
    EXPECT_EQ(ChangeExtension("x", "qvs"), "x.qvs");
    EXPECT_EQ(ChangeExtension("/a/x.", "qvx"), "/a/x.qvx");
}

TEST(FreeDocName, TakesTheFirstSuffixWhoseFileIsFree)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    EXPECT_EQ(FreeDocName(QStringLiteral("申请书"), folder), QStringLiteral("申请书"));
    WriteFile(folder + QStringLiteral("省高校申请书.qvx"), "x");
    WriteFile(folder + QStringLiteral("省高校申请书1.qvx"), "x");
    EXPECT_EQ(FreeDocName(QStringLiteral("申请书"), folder), QStringLiteral("申请书2"));
    QFile::remove(folder + QStringLiteral("省高校申请书.qvx"));
    EXPECT_EQ(FreeDocName(QStringLiteral("申请书"), folder), QStringLiteral("申请书"));

    DocFolder = folder;
    EXPECT_EQ(FreeDocPath(QStringLiteral("申请书")), folder + QStringLiteral("省高校申请书.qvx"));
    EXPECT_EQ(FreeDocPath(QStringLiteral("申请书1")), folder + QStringLiteral("省高校申请书11.qvx"));
    DocFolder.clear();
}

// The automatic naming never moves a document out of its folder and leaves alone a name the
// user chose (their identity number or a '~' in it) or one it gave before.
TEST(AutoNameTargetFor, MovesWithinTheFolderToAFreeNameOrLeavesTheNameAlone)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    const QString doc = folder + QStringLiteral("a.qvx");
    WriteFile(folder + QStringLiteral("省高校2013B张三.qvx"), "x");
    const AutoNameTarget moved = AutoNameTargetFor(doc, QStringLiteral("2013B张三"), "110105198005070011");
    EXPECT_EQ(moved.path, folder + QStringLiteral("省高校2013B张三1.qvx"));
    EXPECT_EQ(moved.namingBase, QStringLiteral("2013B张三1"));
    EXPECT_EQ(AutoNameTargetFor(doc, QStringLiteral("../../x/张三"), "").path, folder + QStringLiteral("省高校.._.._x_张三.qvx"));

    EXPECT_TRUE(AutoNameTargetFor(doc, "", "").path.isEmpty());
    EXPECT_TRUE(AutoNameTargetFor(folder + "110105198005070011.qvx", QStringLiteral("2013B张三"), "110105198005070011").path.isEmpty());
    EXPECT_TRUE(AutoNameTargetFor(folder + QStringLiteral("~我的.qvx"), QStringLiteral("2013B张三"), "").path.isEmpty());
    EXPECT_TRUE(AutoNameTargetFor(folder + QStringLiteral("省高校2013B张三1.qvx"), QStringLiteral("2013B张三"), "").path.isEmpty());
}

class CopyFileChunkedTest : public ::testing::TestWithParam<int> {};

TEST_P(CopyFileChunkedTest, CopyIsIdentical)
{
    QTemporaryDir dir;
    QByteArray data(GetParam(), Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((i * 131) ^ (i >> 8));
    WriteFile(dir.path() + "/src.bin", data);
    WriteFile(dir.path() + "/dst.bin", QByteArray(20000, 'z'));  // longer: must be truncated
    CopyFileChunked(dir.path() + "/src.bin", dir.path() + "/dst.bin");
    EXPECT_EQ(ReadAll(dir.path() + "/dst.bin"), data);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CopyFileChunkedTest, ::testing::Values(0, 1, 8191, 8192, 8193, 3 * 8192));

TEST(CopyFileChunked, IntoAFolderKeepsTheFileName)
{
    QTemporaryDir dir;
    QDir().mkdir(dir.path() + "/out");
    WriteFile(dir.path() + "/a.qvs", "package");
    CopyFileChunked(dir.path() + "/a.qvs", dir.path() + "/out");
    EXPECT_EQ(ReadAll(dir.path() + "/out/a.qvs"), "package");
    CopyFileChunked(dir.path() + "/a.qvs", dir.path() + "/out/");
    EXPECT_EQ(ReadAll(dir.path() + "/out/a.qvs"), "package");
}

TEST(CopyFileChunked, FailuresNameTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.path() + "/missing";
    try {
        CopyFileChunked(missing, dir.path() + "/x");
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.text(), "Cannot open file " + missing);
    }
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/x"));

    WriteFile(dir.path() + "/src", "x");
    const QString nowhere = dir.path() + "/no/such/folder/x";
    try {
        CopyFileChunked(dir.path() + "/src", nowhere);
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.text(), "Cannot create file " + nowhere);
    }
}

TEST(ForceDelete, RemovesReadOnlyFilesAndAcceptsMissingOnes)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/ro.qvs";
    EXPECT_TRUE(ForceDelete(path));
    WriteFile(path, "x");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    EXPECT_TRUE(ForceDelete(path));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(ReplaceCopy, SameTextLeavesTheFileAlone)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/a.qvx";
    WriteFile(path, "content");
    EXPECT_TRUE(ReplaceCopy(path, path));
    EXPECT_EQ(ReadAll(path), "content");
}

TEST(ReplaceCopy, ReplacesAReadOnlyDestination)
{
    QTemporaryDir dir;
    WriteFile(dir.path() + "/src", "new");
    WriteFile(dir.path() + "/dst", "old old old");
    QFile::setPermissions(dir.path() + "/dst", QFile::ReadOwner);
    EXPECT_TRUE(ReplaceCopy(dir.path() + "/src", dir.path() + "/dst"));
    EXPECT_EQ(ReadAll(dir.path() + "/dst"), "new");
    EXPECT_FALSE(ReplaceCopy(dir.path() + "/missing", dir.path() + "/dst2"));
}

TEST(FileInfoText, SizeInMegabytesAndTimeToTheMinute)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/f.bin";
    WriteFile(path, QByteArray(545259, 'a'));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2013, 3, 9), QTime(7, 34, 59)), QFileDevice::FileModificationTime));
    file.close();
    const FileInfoTexts small = FileInfoText(path, FileTime::LastWrite);
    EXPECT_EQ(small.size, QStringLiteral("0.52兆(M)"));
    EXPECT_EQ(small.time, QStringLiteral("2013年3月9日 07:34"));

    WriteFile(path, QByteArray(3 * 1048576 + 524288, 'a'));
    EXPECT_EQ(FileInfoText(path, FileTime::LastWrite).size, QStringLiteral("3.50兆(M)"));
    EXPECT_TRUE(FileInfoText(dir.path() + "/missing", FileTime::LastWrite).time.isEmpty());
}

TEST(EnsureFolder, CreatesOneLevelOnly)
{
    QTemporaryDir dir;
    EnsureFolder(dir.path() + "/one");
    EXPECT_TRUE(FolderExists(dir.path() + "/one"));
    EXPECT_THROW(EnsureFolder(dir.path() + "/two/three"), Failure);
    EXPECT_FALSE(FolderExists(dir.path() + "/two"));
}
