#include "Text.h"

#include <gtest/gtest.h>

namespace {

std::pair<QString, QString> Split(const QString& line)
{
    const SplitText split = SplitAtLast(line, "|");
    return {split.head, split.tail};
}

} // namespace

TEST(SplitAtLast, CodeLinesSplitAtTheLastSeparator)
{
    EXPECT_EQ(Split(QStringLiteral("A|重大项目")), std::make_pair(QString("A"), QStringLiteral("重大项目")));
    EXPECT_EQ(Split("a|b|c"), std::make_pair(QString("a|b"), QString("c")));
    EXPECT_EQ(Split(QStringLiteral(" B|001 | Arvel大学 ")), std::make_pair(QString("B|001"), QStringLiteral("Arvel大学")));
}

TEST(SplitAtLast, EmptySidesComeBackAsOneSpace)
{
    EXPECT_EQ(Split("abc"), std::make_pair(QString(""), QString("abc")));
    EXPECT_EQ(Split("abc|"), std::make_pair(QString("abc"), QString(" ")));
    EXPECT_EQ(Split("|abc"), std::make_pair(QString(" "), QString("abc")));
    EXPECT_EQ(Split("|"), std::make_pair(QString(" "), QString(" ")));
    EXPECT_EQ(Split(""), std::make_pair(QString(""), QString(" ")));
}

TEST(SplitAtLast, LongerSeparatorNeverMatches)
{
    const SplitText split = SplitAtLast("a||b", "||");
    EXPECT_EQ(split.head, "");
    EXPECT_EQ(split.tail, "a||b");
}

TEST(NormalizeLineBreaks, BareCarriageReturnsGainLineFeeds)
{
    EXPECT_EQ(NormalizeLineBreaks("  a\rb\r\nc\n "), "a\r\nb\r\nc");
    EXPECT_EQ(NormalizeLineBreaks("a\r\rb"), "a\r\n\r\nb");
    EXPECT_EQ(NormalizeLineBreaks("\r\na\r"), "a");
    EXPECT_EQ(NormalizeLineBreaks(""), "");
}

TEST(TrimBlanks, StripsControlCharactersButNotFullWidthSpace)
{
    EXPECT_EQ(TrimBlanks(QString("\t\x01 x y\r\n\x07")), "x y");
    EXPECT_EQ(TrimBlanks(QStringLiteral("\u3000x")), QStringLiteral("\u3000x"));
}
