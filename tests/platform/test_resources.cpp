#include "Gb18030.h"
#include "Resources.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Resources, FoundByTypeAndNameInAnyLetterCase)
{
    ASSERT_TRUE(ResourceBytes("TEXT", "FieldInfo").has_value());
    EXPECT_EQ(ResourceBytes("text", "fieldinfo")->size(), 96 * 44);
    EXPECT_FALSE(ResourceBytes("text", "nothing").has_value());
    EXPECT_EQ(StringResource(1), "2013");
    EXPECT_EQ(StringResource(2), "3");
}

TEST(Resources, IconIsOne32x32SixteenColourImage)
{
    const QByteArray ico = *ResourceBytes("ficon", "jxs");
    EXPECT_EQ(ico.size(), 766);
    EXPECT_EQ(ico.left(6), QByteArray("\0\0\1\0\1\0", 6));
    EXPECT_EQ(quint8(ico[6]), 32);
    EXPECT_EQ(quint8(ico[8]), 16);
}

TEST(Resources, TextListsAreGbkWithCrLf)
{
    for (const char* name : {"dbpz", "xkpz"}) {
        const QByteArray bytes = *ResourceBytes("text", name);
        EXPECT_TRUE(bytes.endsWith("\r\n")) << name;
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << name;
        EXPECT_EQ(ToGb18030(FromGb18030(bytes)), bytes) << name;
    }
    const QStringList tree = FromGb18030(*ResourceBytes("text", "xkpz")).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(tree.size(), 2045);
    EXPECT_EQ(tree.first(), QStringLiteral("110 数学"));
    EXPECT_TRUE(tree.contains(QStringLiteral("\t\t170.4520 人文地理学(包括区域地理、旅游地理, 其他入有关学科)")));
}

TEST(Resources, CodeListsHoldSixListsAndTheInstitutionsRules)
{
    const QStringList lines = FromGb18030(*ResourceBytes("text", "dbpz")).split("\r\n", Qt::SkipEmptyParts);
    QStringList targets;
    QStringList institutions;
    int items = 0;
    for (int i = 0; i < lines.size();) {
        const int count = lines.at(i).left(5).trimmed().toInt();
        targets << lines.at(i).mid(5);
        if (targets.last() == "edcddw1")
            institutions = lines.mid(i + 1, count);
        items += count;
        i += count + 1;
    }
    EXPECT_EQ(targets, QStringList({"edxmlb", "edyjlb", "edzyjszw1", "edzyjszw2", "edxw", "edcddw1"}));
    EXPECT_EQ(items, 143);
    ASSERT_EQ(institutions.size(), 48);
    QSet<QString> numbers;
    int letterA = 0;
    for (const QString& line : institutions) {
        const QStringList cols = line.split('|');
        ASSERT_EQ(cols.size(), 3) << line.toStdString();
        letterA += cols[0] == "A";
        EXPECT_TRUE(cols[0] == "A" || cols[0] == "B");
        EXPECT_EQ(cols[1].size(), 3);
        EXPECT_GE(cols[1].toInt(), 1);
        EXPECT_LE(cols[1].toInt(), 50);
        numbers.insert(cols[1]);
    }
    EXPECT_EQ(letterA, 8);
    EXPECT_EQ(numbers.size(), 48);
}

TEST(Resources, BlankDocumentIsAnOoxmlPackage)
{
    const QByteArray xms = *ResourceBytes("word", "xms");
    EXPECT_TRUE(xms.startsWith("PK\3\4"));
    // The content types come first, as word processors expect.
    EXPECT_EQ(xms.mid(30, 19), "[Content_Types].xml");
    EXPECT_TRUE(ResourceBytes("text", "help")->startsWith("PK\3\4"));
}

TEST(ExtractResource, LeavesAnExistingFileAloneUnlessForced)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/help.doc";
    WriteFile(path, "mine");
    EXPECT_FALSE(ExtractResource("text", "help", path, false));
    EXPECT_EQ(ReadAll(path), "mine");
    EXPECT_TRUE(ExtractResource("text", "help", path, true));
    EXPECT_EQ(ReadAll(path), *ResourceBytes("text", "help"));
}

TEST(ExtractResource, FailsQuietly)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ExtractResource("text", "help", dir.path() + "/no/folder/help.doc", true));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/no"));
    EXPECT_FALSE(ExtractResource("text", "missing", dir.path() + "/x", true));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/x"));
}

TEST(WriteResource, ReplacesTheWholeFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/a.qvx";
    WriteFile(path, QByteArray(200000, 'x'));
    EXPECT_TRUE(createxms(path));
    EXPECT_EQ(ReadAll(path), *ResourceBytes("word", "xms"));
}
