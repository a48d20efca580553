#include "IdCheck.h"
#include "TestSupport.h"

#include <gtest/gtest.h>


TEST(IdNumber, CheckCharacterByTheWeights)
{
    EXPECT_EQ(IdCheckChar("11010519491231002X"), QChar('X'));
    EXPECT_EQ(IdCheckChar("440524188001010014"), QChar('4'));
    EXPECT_EQ(IdCheckChar("12345"), QChar(' '));
    for (const char* prefix : {"32058420991231999", "65010220000229123", "51010119700101000", "44030419880229084"})
        EXPECT_EQ(IdCheckChar(IdWithCheck(prefix)), IdWithCheck(prefix).back()) << prefix;
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits(""));
    EXPECT_FALSE(IsAllDigits("12a"));
}

TEST(IdNumber, BothFormsParse)
{
    std::optional<TIDNumInfo> info = ParseIdNumber("11010519491231002X");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->IdKind, 1);
    EXPECT_EQ(info->AreaCode, "110105");
    EXPECT_EQ(info->BirthDate, QDate(1949, 12, 31));
    EXPECT_EQ(info->Sex, 2);  // position 17 is 2: even
    EXPECT_EQ(info->CheckState, 2);
    EXPECT_TRUE(ParseIdNumber("11010519491231002x"));  // lower-case x

    info = ParseIdNumber("110105491231001");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->IdKind, 0);
    EXPECT_EQ(info->BirthDate, QDate(1949, 12, 31));
    EXPECT_EQ(info->Sex, 1);  // position 15 is 1: odd
    EXPECT_EQ(info->CheckState, 0);
}

TEST(IdNumber, WhatIsNotAcceptable)
{
    for (const char* n : {"11010519491231002", "1101051949123100", "11010519491231", "1101051949123100211"})
        EXPECT_FALSE(ParseIdNumber(n)) << n;
    EXPECT_FALSE(ParseIdNumber("11010549123100A"));     // a letter in the short form
    EXPECT_FALSE(ParseIdNumber("1101051949X231002X"));  // X inside
    EXPECT_FALSE(ParseIdNumber("110105194912310021"));  // wrong check character
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519490015001")));  // month 00
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519491315001")));  // month 13
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519490100001")));  // day 00
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519490132001")));  // day 32
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519000229001")));  // 1900 was no leap year
    EXPECT_TRUE(ParseIdNumber(IdWithCheck("11010520000229001")));   // 2000 was
    EXPECT_FALSE(ParseIdNumber("110105000229001"));               // 1900 in the short form
    EXPECT_TRUE(ParseIdNumber(IdWithCheck("11010521000101001")));   // the future is accepted
}

TEST(IdNumber, BirthAndSexForDisplay)
{
    const BirthAndSex known = IdBirthAndSex(IdWithCheck("11010519800507001"));
    EXPECT_EQ(known.birth, "1980-05");
    EXPECT_EQ(known.sex, QStringLiteral("男"));
    const BirthAndSex bad = IdBirthAndSex("bad");
    EXPECT_TRUE(bad.birth.isEmpty());
    EXPECT_TRUE(bad.sex.isEmpty());
}

TEST(IdNumber, MemberFieldRule)
{
    FieldMap screen;
    const QString applicant = IdWithCheck("11010519800507001");
    const QString member = IdWithCheck("11010519810101002");
    screen.setText("edsfzh1", applicant);
    screen.setText("edsfzh4", member);

    screen.setText("edsfzh2", " ");
    EXPECT_EQ(MemberIdProblem(screen, "edsfzh2"), QString());
    screen.setText("edsfzh2", "123");
    EXPECT_EQ(MemberIdProblem(screen, "edsfzh2"), QStringLiteral("输入的身份证号码不正确!"));
    screen.setText("edsfzh2", applicant);
    screen.setText("edsfzh6", applicant);
    EXPECT_EQ(MemberIdProblem(screen, "edsfzh2"), QStringLiteral("与申请人身份证号码相同!"));
    screen.setText("edsfzh2", member);
    EXPECT_EQ(MemberIdProblem(screen, "edsfzh2"), QStringLiteral("与第3个参与人身份证号码相同!"));
    screen.setText("edsfzh2", IdWithCheck("11010519900101003"));
    EXPECT_EQ(MemberIdProblem(screen, "EDSFZH2"), QString());
}

TEST(Email, TheRule)
{
    EXPECT_TRUE(IsValidEmail(" a@b.cn "));
    EXPECT_TRUE(IsValidEmail("x.y@z"));  // positions are not examined
    EXPECT_FALSE(IsValidEmail(""));
    EXPECT_FALSE(IsValidEmail("a@bcn"));
    EXPECT_FALSE(IsValidEmail("ab.cn"));
    EXPECT_FALSE(IsValidEmail(QStringLiteral("a@b.cn，c@d.cn")));
    EXPECT_FALSE(IsValidEmail("a@b.cn,c@d.cn"));
    EXPECT_FALSE(IsValidEmail(QStringLiteral("a@b。cn.x")));
    EXPECT_FALSE(IsValidEmail("a\\b@c.d"));
}
