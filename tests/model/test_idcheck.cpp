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
    TIDNumInfo info;
    ASSERT_TRUE(ParseIdNumber("11010519491231002X", info));
    EXPECT_EQ(info.IdKind, 1);
    EXPECT_EQ(info.AreaCode, "110105");
    EXPECT_EQ(info.BirthDate, QDate(1949, 12, 31));
    EXPECT_EQ(info.Sex, 2);  // position 17 is 2: even
    EXPECT_EQ(info.CheckState, 2);
    EXPECT_TRUE(ParseIdNumber("11010519491231002x", info));  // lower-case x

    ASSERT_TRUE(ParseIdNumber("110105491231001", info));
    EXPECT_EQ(info.IdKind, 0);
    EXPECT_EQ(info.BirthDate, QDate(1949, 12, 31));
    EXPECT_EQ(info.Sex, 1);  // position 15 is 1: odd
    EXPECT_EQ(info.CheckState, 0);
}

TEST(IdNumber, WhatIsNotAcceptable)
{
    TIDNumInfo info;
    for (const char* n : {"11010519491231002", "1101051949123100", "11010519491231", "1101051949123100211"})
        EXPECT_FALSE(ParseIdNumber(n, info)) << n;
    EXPECT_FALSE(ParseIdNumber("11010549123100A", info));     // a letter in the short form
    EXPECT_FALSE(ParseIdNumber("1101051949X231002X", info));  // X inside
    EXPECT_FALSE(ParseIdNumber("110105194912310021", info));  // wrong check character
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519490015001"), info));  // month 00
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519491315001"), info));  // month 13
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519490100001"), info));  // day 00
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519490132001"), info));  // day 32
    EXPECT_FALSE(ParseIdNumber(IdWithCheck("11010519000229001"), info));  // 1900 was no leap year
    EXPECT_TRUE(ParseIdNumber(IdWithCheck("11010520000229001"), info));   // 2000 was
    EXPECT_FALSE(ParseIdNumber("110105000229001", info));               // 1900 in the short form
    EXPECT_TRUE(ParseIdNumber(IdWithCheck("11010521000101001"), info));   // the future is accepted
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
    TestHome home;
    FieldMap screen;
    const QString applicant = IdWithCheck("11010519800507001");
    const QString member = IdWithCheck("11010519810101002");
    screen.setText("edsfzh1", applicant);
    screen.setText("edsfzh4", member);

    screen.setText("edsfzh2", " ");
    CheckMemberId(screen, "edsfzh2");
    EXPECT_TRUE(home.prompter.shown.isEmpty());

    screen.setText("edsfzh2", "123");
    CheckMemberId(screen, "edsfzh2");
    EXPECT_EQ(home.prompter.shown.last().text, QStringLiteral("输入的身份证号码不正确!"));
    EXPECT_EQ(screen.focused, "edsfzh2");

    screen.setText("edsfzh2", applicant);
    screen.setText("edsfzh6", applicant);
    CheckMemberId(screen, "edsfzh2");
    EXPECT_EQ(home.prompter.shown.last().text, QStringLiteral("与申请人身份证号码相同!"));

    screen.setText("edsfzh2", member);
    CheckMemberId(screen, "edsfzh2");
    EXPECT_EQ(home.prompter.shown.last().text, QStringLiteral("与第3个参与人身份证号码相同!"));
    EXPECT_EQ(home.prompter.shown.last().caption, QStringLiteral("请注意"));

    const qsizetype before = home.prompter.shown.size();
    screen.setText("edsfzh2", IdWithCheck("11010519900101003"));
    CheckMemberId(screen, "EDSFZH2");
    EXPECT_EQ(home.prompter.shown.size(), before);
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
