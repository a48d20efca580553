#include "CodeLists.h"
#include "CodeLookup.h"
#include "DisciplineLookup.h"
#include "DisciplineTree.h"
#include "Gb18030.h"
#include "Resources.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

struct Screen : QWidget {
    Screen()
    {
        for (const char* name : {"edxmlb", "edyjlb", "edzyjszw1", "edzyjszw2", "edxw", "edcddw1", "edzyjszw3",
                                 "edzyjszw10"}) {
            auto* combo = new QComboBox(this);
            combo->setObjectName(name);
        }
        for (const char* name : {"edxmlbdm", "edzyjszwdm1", "Edxwdm"}) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(name);
        }
    }
    QComboBox* combo(const QString& name) { return findChild<QComboBox*>(name); }
    QString text(const QString& name) { return findChild<QLineEdit*>(name)->text(); }
};

void Key(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}

} // namespace

TEST(CodeLists, ParsedAsTheResourceHoldsThem)
{
    const auto lists = ParseCodeLists(QStringLiteral("2    edxmlb\r\nA|重大项目\r\nB|面上项目\r\n0    empty\r\n1    edxw\r\n|\r\n"));
    ASSERT_EQ(lists.size(), 3);
    EXPECT_EQ(lists[0].target, "edxmlb");
    EXPECT_EQ(lists[0].items[1], std::make_pair(QString("B"), QStringLiteral("面上项目")));
    EXPECT_TRUE(lists[1].items.isEmpty());
    EXPECT_EQ(lists[2].items[0], std::make_pair(QString(" "), QString(" ")));
    EXPECT_EQ(CompanionName("edzyjszw1"), "edzyjszwdm1");
    EXPECT_EQ(CompanionName("edxmlb"), "edxmlbdm");
}

TEST(CodeLists, FilledCombosCarryTheirCodes)
{
    Screen screen;
    FillCodeLists(&screen);
    EXPECT_EQ(screen.combo("edzyjszw1")->count(), 79);
    EXPECT_EQ(screen.combo("edcddw1")->count(), 48);
    EXPECT_EQ(screen.combo("edzyjszw10")->count(), 7);
    EXPECT_EQ(screen.combo("edzyjszw3")->itemText(0), QStringLiteral("正高"));

    QComboBox* title = screen.combo("edzyjszw1");
    title->setCurrentIndex(title->findText(QStringLiteral("副教授")));
    EXPECT_EQ(SyncCodeField(&screen, title, 5), "012");
    EXPECT_EQ(screen.text("edzyjszwdm1"), "012");
    title->setCurrentIndex(0);  // the blank item
    EXPECT_EQ(SyncCodeField(&screen, title, 5), "");
    EXPECT_EQ(screen.text("edzyjszwdm1"), "");

    QComboBox* degree = screen.combo("edxw");
    degree->setCurrentIndex(degree->findText(QStringLiteral("硕士")));
    EXPECT_EQ(SyncCodeField(&screen, degree, 5), "B");
    EXPECT_EQ(screen.text("Edxwdm"), "B");  // found whatever the letter case
    QComboBox* unit = screen.combo("edcddw1");
    unit->setCurrentIndex(0);
    EXPECT_EQ(SyncCodeField(&screen, unit, 1), unit->currentData().value<Tmycomp>().Code);
}

TEST(CodeLookup, SearchEnterAndConfirm)
{
    Tfrmcode dialog;
    dialog.SetCodeList({QStringLiteral("A|001 | Arvel大学"), QStringLiteral("B|002 | 临川大学"), QStringLiteral("B|003 | 青岚大学")});
    dialog.EdtKey->setText(QStringLiteral("临川"));
    dialog.BitBtn3Click();
    ASSERT_EQ(dialog.Lstcode->count(), 1);
    dialog.EdtKey->setText("002");
    dialog.BitBtn3Click();
    EXPECT_EQ(dialog.Lstcode->count(), 1);  // the lines begin with the code
    dialog.EdtKey->setText(" ");
    dialog.BitBtn3Click();
    EXPECT_EQ(dialog.Lstcode->count(), 3);

    int result = -1;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.EdtKey->setText(QStringLiteral("青岚"));
        Key(dialog.EdtKey, Qt::Key_Return, "\r");
        EXPECT_EQ(dialog.Lstcode->currentRow(), 0);
        Key(dialog.Lstcode, Qt::Key_A, "a");  // any key confirms
    });
    result = dialog.exec();
    EXPECT_EQ(result, Tfrmcode::ResultChosen);
    EXPECT_EQ(dialog.ResultText, QStringLiteral("青岚大学"));

    QTimer::singleShot(0, &dialog, [&] {
        dialog.EdtKey->setText("nothing");
        dialog.BitBtn3Click();
        dialog.BitBtn1->click();  // nothing to choose: stays open
        EXPECT_TRUE(dialog.isVisible());
        dialog.BitBtn2->click();
    });
    EXPECT_EQ(dialog.exec(), Tfrmcode::ResultCancelled);
}

TEST(DisciplineTree, TheResourceAndItsParts)
{
    const auto nodes = ParseDisciplines(FromGb18030(*ResourceBytes("text", "xkpz")));
    EXPECT_EQ(nodes.size(), 2045);
    int top = 0;
    for (const auto& n : nodes)
        top += n.level == 0;
    EXPECT_EQ(top, 38);
    const QString geo = QStringLiteral("170.4520 人文地理学(包括区域地理、旅游地理, 其他入有关学科)");
    EXPECT_EQ(DisciplineCode(geo), "170.4520");
    EXPECT_EQ(DisciplineName(geo), QStringLiteral("人文地理学(包括区域地理、旅游地理, 其他入有关学科)"));
}

TEST(DisciplineTree, SearchSelectAndConfirm)
{
    Tfrmxkdm_tree dialog;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(dialog.BitBtn1->isEnabled());
        dialog.Edit1->setText("110.1410");
        Key(dialog.Edit1, Qt::Key_Return, "\r");
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("110.1410 演绎逻辑学(亦称符号逻辑学)"));
        EXPECT_TRUE(dialog.BitBtn1->isEnabled());
        dialog.BitBtn1->click();
    });
    ASSERT_EQ(dialog.exec(), Tfrmxkdm_tree::ResultChosen);
    EXPECT_EQ(dialog.SelCode, "110.1410");
    EXPECT_EQ(dialog.SelName, QStringLiteral("演绎逻辑学(亦称符号逻辑学)"));
    EXPECT_EQ(dialog.SelRootName, QStringLiteral("数学"));

    // The next showing finds the last leaf again; a parent cannot be confirmed.
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.Edit1->text(), "110.1410");
        EXPECT_EQ(dialog.TreeView1->currentItem()->text(0).left(8), "110.1410");
        dialog.TreeView1->setCurrentItem(dialog.TreeView1->currentItem()->parent());
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("请选择下一级学科代码"));
        EXPECT_FALSE(dialog.BitBtn1->isEnabled());
        Key(dialog.TreeView1, Qt::Key_Return, "\r");
        EXPECT_TRUE(dialog.isVisible());
        dialog.Edit1->setText("110.11");  // a second-level leaf
        dialog.Search();
        EXPECT_TRUE(dialog.BitBtn1->isEnabled());
        dialog.Edit1->setText("110.1");  // five characters: only the top node opens
        dialog.TreeView1->setCurrentItem(nullptr);
        dialog.Search();
        dialog.BitBtn2->click();
    });
    EXPECT_EQ(dialog.exec(), Tfrmxkdm_tree::ResultCancelled);
    EXPECT_EQ(dialog.SelCode, "110.11");
}
