#include "Edition.h"

#include <gtest/gtest.h>

TEST(Edition, FolderAndDocumentNames)
{
    const QString folder = DocFolderIn("/home/u/Documents", "2013");
    EXPECT_EQ(folder, QStringLiteral("/home/u/Documents/省高校申请书2013/"));
    EXPECT_EQ(DocFolderIn("/home/u/Documents/", "2013"), folder);
    EXPECT_EQ(DefaultDocPath(folder), folder + QStringLiteral("省高校申请书.qvx"));
    EXPECT_EQ(MarkerFilePath(folder), folder + QStringLiteral("省高校vantra.txt"));
    EXPECT_EQ(IconFileName(), "vantra_jxsqv.ico");
    EXPECT_EQ(HelpDocFileName(), "vantrahelpqv.doc");
    EXPECT_EQ(VersionStampKey(), "vantraqv");
    EXPECT_EQ(DocClassName(), "qvx_auto_file");
    EXPECT_EQ(PackageClassName(), "qvs_auto_file");
}

TEST(Edition, UnpackTargetCutsAtTheFirstDotOfTheFileName)
{
    EXPECT_EQ(UnpackTarget("/d/a/x.qvs"), QStringLiteral("/d/a/x申请书.qvx"));
    EXPECT_EQ(UnpackTarget("/d/a/x.y.qvs"), QStringLiteral("/d/a/x申请书.qvx"));
    EXPECT_EQ(UnpackTarget("/d/ver1.2/x.qvs"), QStringLiteral("/d/ver1.2/x申请书.qvx"));
    EXPECT_EQ(UnpackTarget("/d/ver1.2/pkgs"), QStringLiteral("/d/ver1.2/pkgs申请书.qvx"));
    EXPECT_EQ(UnpackTarget("pkgs"), QStringLiteral("pkgs申请书.qvx"));
}

TEST(Edition, FiltersAndTitle)
{
    EXPECT_EQ(DocumentsFilter(), QStringLiteral("项目申请书(*.qvx)|*.qvx"));
    EXPECT_EQ(DocumentsAndPackagesFilter(), QStringLiteral("项目申请书(*.qvx)|*.qvx|个人上报文件(*.qvs)|*.qvs"));
    EXPECT_EQ(WindowTitleFor(QStringLiteral("/x/省高校申请书.qvx")),
              QStringLiteral("省高校申请书.qvx -Arvel省高校自然科学研究项目项目申报系统"));
}
