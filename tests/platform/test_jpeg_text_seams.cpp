#include "Edition.h"
#include "Gb18030.h"
#include "Jpeg.h"
#include "Resources.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(DecodeJpeg, TheEmbeddedBackgroundIs640By460)
{
    const auto image = DecodeJpeg(*ResourceBytes("jpgtype", "bkjpg"));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 460);
    EXPECT_EQ(image->rgb.size(), 640 * 460 * 3);
}

TEST(DecodeJpeg, DamagedPicturesFailWithoutCrashing)
{
    const QByteArray good = *ResourceBytes("jpgtype", "bkjpg");
    EXPECT_FALSE(DecodeJpeg(QByteArray()).has_value());
    EXPECT_FALSE(DecodeJpeg("not a picture at all").has_value());
    EXPECT_FALSE(DecodeJpeg(good.left(200)).has_value());
    QByteArray scrambled = good;
    for (int i = 20; i < 400; i += 7)
        scrambled[i] = char(scrambled[i] ^ 0x5a);
    DecodeJpeg(scrambled);  // may or may not decode; must return
}

TEST(Gbk, ChineseCountsTwoBytes)
{
    EXPECT_EQ(Gb18030Length(QStringLiteral("数学ab")), 6);
    EXPECT_EQ(ToGb18030(QStringLiteral("申")), QByteArray("\xc9\xea"));
    EXPECT_EQ(FromGb18030(QByteArray("\xc9\xea")), QStringLiteral("申"));
}

TEST(MessageBoxes, WarningIconExactlyForTheNoticeCaption)
{
    TestHome home;
    ShowNotice("a", QStringLiteral("请注意"));
    ShowNotice("b", QStringLiteral("请注意 "));
    ShowNotice("c", "Info");
    ASSERT_EQ(home.prompter.shown.size(), 3);
    EXPECT_EQ(home.prompter.shown[0].icon, NoticeIcon::Warning);
    EXPECT_EQ(home.prompter.shown[1].icon, NoticeIcon::Information);
    EXPECT_EQ(home.prompter.shown[2].icon, NoticeIcon::Information);
    home.prompter.answers = {true};
    EXPECT_TRUE(AskConfirm("q", NoticeCaption));
    EXPECT_FALSE(AskConfirm("q", NoticeCaption));
}
