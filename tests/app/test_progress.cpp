#include "ProgressWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ProgressWindow, CatalogueMessagesWithAStepBar)
{
    Tfrmmsgbox box;
    box.ShowDelay = 0;
    box.FrmShow(9, 96);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.lblmsg->text(), QStringLiteral("正在读取数据"));
    EXPECT_EQ(box.height(), 47);
    EXPECT_TRUE(box.pgbx->isVisible());
    EXPECT_FALSE(box.Gauge1->isVisible());
    EXPECT_EQ(box.pgbx->maximum(), 96);
    EXPECT_EQ(box.pgbx->value(), 0);
    EXPECT_EQ(box.width(), box.lblmsg->width() + 40);
    EXPECT_EQ(box.x(), (QGuiApplication::primaryScreen()->geometry().width() - box.width()) / 2);
    EXPECT_EQ(box.y(), 127);

    box.FrmShow(0, 5);  // kind 0 repeats the last catalogue text
    EXPECT_EQ(box.lblmsg->text(), QStringLiteral("正在读取数据"));
    box.FrmShow(25, 0);  // and so does a kind above 19; no steps: no bar, a lower window
    EXPECT_EQ(box.lblmsg->text(), QStringLiteral("正在读取数据"));
    EXPECT_EQ(box.height(), 32);
    EXPECT_FALSE(box.pgbx->isVisible());
    box.FrmShow(18, 2);
    EXPECT_EQ(box.lblmsg->text(), QStringLiteral("正在校验申请书信息"));
    EXPECT_EQ(Tfrmmsgbox::CatalogueText(15), QStringLiteral("第一次运行，正在生成系统配置信息。"));
    EXPECT_TRUE(Tfrmmsgbox::CatalogueText(20).isEmpty());
}

TEST(ProgressWindow, WorkThatEndsSoonShowsNoWindow)
{
    Tfrmmsgbox box;
    box.FrmShow(9, 3);
    box.run(QString());
    box.setGauge(50);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(box.ShowTimer->isActive());
    EXPECT_EQ(box.ShowTimer->interval(), Tfrmmsgbox::DefaultShowDelay);
    box.Close();
    EXPECT_FALSE(box.ShowTimer->isActive());  // a closed piece of work never appears later

    box.zipxMsg(QStringLiteral("正在压缩申请书文件..."));
    box.ShowDelay = 0;  // the delay has passed: the next word from the work shows it
    box.setGauge(30);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.Gauge1->value(), 30);
}

TEST(ProgressWindow, FirstUseOfAnUnknownKindShowsNothing)
{
    Tfrmmsgbox box;
    box.ShowDelay = 0;
    box.FrmShow(0, 3);
    EXPECT_TRUE(box.lblmsg->text().isEmpty());
}

TEST(ProgressWindow, RunAdvancesAndStopsAtTheEnd)
{
    Tfrmmsgbox box;
    box.ShowDelay = 0;
    box.FrmShow(8, 2);
    box.run(QString());
    EXPECT_EQ(box.pgbx->value(), 1);
    box.run("other");
    box.run(QString());
    box.run(QString());
    EXPECT_EQ(box.pgbx->value(), 2);
    EXPECT_EQ(box.lblmsg->text(), "other");
}

TEST(ProgressWindow, AClickClosesItWhileTheWorkGoesOn)
{
    Tfrmmsgbox box;
    box.ShowDelay = 0;
    box.FrmShow(13, 10);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(box.lblmsg, &press);
    EXPECT_FALSE(box.isVisible());
    box.run(QString());
    EXPECT_EQ(box.pgbx->value(), 1);

    box.zipxMsg(QStringLiteral("正在压缩申请书文件..."));
    box.setGauge(40);
    QCoreApplication::sendEvent(&box, &press);
    EXPECT_FALSE(box.isVisible());
    box.setGauge(90);  // the gauge is not updated while hidden
    EXPECT_EQ(box.Gauge1->value(), 40);
}

TEST(ProgressWindow, ArchiveMessagesUseTheGauge)
{
    Tfrmmsgbox box;
    box.ShowDelay = 0;
    box.zipxMsg(QStringLiteral("正在校验申请书文件..."));
    EXPECT_TRUE(box.Gauge1->isVisible());
    EXPECT_FALSE(box.pgbx->isVisible());
    EXPECT_EQ(box.height(), 48);
    box.setGauge(150);
    EXPECT_EQ(box.Gauge1->value(), 100);
    box.Timer1Timer();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.Timer1->isActive());
}
