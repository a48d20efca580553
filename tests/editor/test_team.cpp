// The team remembered: a member typed in one application is offered in the next, and the notes
// of a new application made from an earlier one stand in the list of problems.
#include "ScreenFixture.h"

#include "CarryOver.h"
#include "FormProblems.h"
#include "Tags.h"
#include "TeamMemory.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

TEST_F(ScreenTest, ARememberedMemberFillsTheRowWhenChosen)
{
    ASSERT_TRUE(TeamMemory().remember({{QStringLiteral("李四"), QStringLiteral("中级"), "360102196102110137",
                                        QStringLiteral("Arvel大学"), QStringLiteral("实验")}}));
    Show([&] {
        auto* name = Control<QLineEdit>("edxm3");
        ASSERT_TRUE(name && name->completer());
        name->setFocus();
        Type(name, QStringLiteral("李"));
        QAbstractItemView* popup = name->completer()->popup();
        ASSERT_TRUE(popup->isVisible());
        EXPECT_EQ(popup->model()->index(0, 0).data().toString(), QStringLiteral("李四（中级，Arvel大学）"));
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        EXPECT_EQ(screen->text("edxm3"), QStringLiteral("李四"));
        EXPECT_EQ(screen->text("edsfzh3"), "360102196102110137");
        EXPECT_EQ(screen->text("edzyjszw3"), QStringLiteral("中级"));
        EXPECT_EQ(screen->text("edszdw3"), QStringLiteral("Arvel大学"));
        EXPECT_EQ(screen->text("edxmzfg3"), QStringLiteral("实验"));
        // It can still be changed.
        screen->setText("edxmzfg3", QStringLiteral("分析"));
    });
    // Stored, the changed row is remembered as the newest word on that person.
    EXPECT_EQ(Cell(4, 92), QStringLiteral("分析"));
    EXPECT_EQ(TeamMemory().people().first().work, QStringLiteral("分析"));
}

TEST_F(ScreenTest, WhatANewApplicationDidNotTakeIsListedUntilChosenAgain)
{
    screen->SetCarryOverNotes({{"xkdm", QStringLiteral("学科代码"), "999.9999", QStringLiteral("不在本版学科代码表中")},
                               {"zyjszwdm1", QStringLiteral("专业技术职务"), QStringLiteral("999 老职称"), QStringLiteral("不在本版代码表中")}});
    Show([&] {
        QListWidget* list = screen->ProblemList;
        ASSERT_TRUE(list && list->isVisible());
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        EXPECT_EQ(items.value(0), QStringLiteral("学科代码：原值 999.9999 不在本版学科代码表中，请重新选择"));
        EXPECT_EQ(items.value(1), QStringLiteral("专业技术职务：原值 999 老职称 不在本版代码表中，请重新选择"));
        EXPECT_FALSE(items.contains(QStringLiteral("学科名称：请输入")));
        // Chosen again: the note goes.
        screen->setText("edzyjszw1", QStringLiteral("教授"));
        screen->RefreshProblems();
        EXPECT_FALSE(list->item(1)->text().startsWith(QStringLiteral("专业技术职务：原值")));
    });
    // The notes belonged to that document: another one loads without them.
    createxms(home.path() + "/b.qvx");
    document.Open(home.path() + "/b.qvx");
    SetTag(screen, 0);
    Show([&] {
        screen->ShowProblems();
        EXPECT_FALSE(screen->ProblemList->item(0)->text().contains(QStringLiteral("原值")));
    });
}
