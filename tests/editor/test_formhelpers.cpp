#include "FormHelpers.h"
#include "Tags.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QWidget>
#include <gtest/gtest.h>

TEST(ShowBanner, MakesFourStackedLabelsOnceAndOnlyMovesThemLater)
{
    QWidget window;
    window.resize(600, 420);
    BannerSet set;
    ShowBanner(set, &window, QString(), "Title", 600, 100, 26, 0);
    const auto labels = window.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 4);
    const int x = (600 - set.slot[1]->width()) / 2;
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(set.slot[j]->pos(), QPoint(x + j, 100 + j));
        EXPECT_EQ(set.slot[j]->palette().color(QPalette::WindowText), BannerColour(0, j));
    }
    EXPECT_EQ(BannerColour(0, 0), QColor(128, 128, 0));
    EXPECT_EQ(BannerColour(2, 2), QColor(192, 220, 192));

    ShowBanner(set, &window, QString(), "Other", 10, 5, 40, 2);
    EXPECT_EQ(window.findChildren<QLabel*>().size(), 4);
    EXPECT_EQ(set.slot[0]->text(), "Title");
    EXPECT_EQ(set.slot[0]->palette().color(QPalette::WindowText), BannerColour(0, 0));
    EXPECT_LT(set.slot[0]->x(), 0);  // a narrow area starts the banner left of it
    EXPECT_EQ(set.slot[3]->pos(), QPoint(set.slot[0]->x() + 3, 8));

    FreeBanner(set);
    EXPECT_TRUE(window.findChildren<QLabel*>().isEmpty());
    FreeBanner(set);  // a second free finds nothing to do
}

TEST(ShowBanner, NamedParentHoldsTheLabels)
{
    QWidget window;
    auto* panel = new QWidget(&window);
    panel->setObjectName("Panel_toolbar");
    BannerSet set;
    ShowBanner(set, &window, "Panel_toolbar", "T", 300, 10, 20, 0);
    EXPECT_EQ(set.slot[0]->parentWidget(), panel);
    FreeBanner(set);
}

namespace {

QString Type(QLineEdit& edit, const QString& keys, int mode)
{
    for (QChar c : keys) {
        FilterKey(&edit, c, mode);
        if (!c.isNull())
            edit.insert(QString(c));
    }
    return edit.text();
}

} // namespace

TEST(FilterKey, PhoneTakesAtMostTwoHyphens)
{
    QLineEdit edit;
    EXPECT_EQ(Type(edit, "0571-8-7-6a", FilterPhone), "0571-8-76");
}

TEST(FilterKey, AmountTakesOneFullStop)
{
    QLineEdit edit;
    EXPECT_EQ(Type(edit, "12.5.0x", FilterAmount), "12.50");
}

TEST(FilterKey, DigitsOnly)
{
    QLineEdit edit;
    EXPECT_EQ(Type(edit, "20a1-3.", FilterDigits), "2013");
}

TEST(FilterKey, IdNumberAppendsOneXAtTheEnd)
{
    QLineEdit edit;
    edit.setText("11010519491231002");
    edit.setCursorPosition(5);
    QChar x('x');
    FilterKey(&edit, x, FilterIdNumber);
    ASSERT_EQ(x, QChar('x'));
    EXPECT_EQ(edit.cursorPosition(), 17);
    edit.insert("X");
    EXPECT_EQ(edit.text(), "11010519491231002X");
    QChar again('x');
    FilterKey(&edit, again, FilterIdNumber);
    EXPECT_TRUE(again.isNull());
}

TEST(FilterKey, EditingKeysPassAndCopyDoesNot)
{
    QLineEdit edit;
    for (ushort code : {8, 13, 22, 24, 26}) {
        QChar c(code);
        FilterKey(&edit, c, FilterDigits);
        EXPECT_EQ(c.unicode(), code);
    }
    for (ushort code : {1, 3}) {
        QChar c(code);
        FilterKey(&edit, c, FilterPhone);
        EXPECT_TRUE(c.isNull());
    }
}

TEST(FilterKey, WorksOnEditableComboBoxes)
{
    QComboBox combo;
    combo.setEditable(true);
    combo.setEditText("1.5");
    QChar dot('.');
    FilterKey(&combo, dot, FilterAmount);
    EXPECT_TRUE(dot.isNull());
}

TEST(EnterToNextControl, EnterMovesTheFocusAndOtherKeysStay)
{
    QWidget window;
    auto* a = new QLineEdit(&window);
    auto* b = new QLineEdit(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    a->setFocus();
    QChar key('a');
    EnterToNextControl(&window, key);
    EXPECT_EQ(key, QChar('a'));
    key = QChar(13);
    EnterToNextControl(&window, key);
    EXPECT_TRUE(key.isNull());
    EXPECT_EQ(window.focusWidget(), b);
}

TEST(HideCodeFields, OnlyTagTwoChildrenOfGroupBoxPanels)
{
    QScrollArea area;
    auto* inner = new QWidget;
    auto* group = new QWidget(inner);
    group->setObjectName("GroupBox3");
    auto* code = new QLineEdit(group);
    SetTag(code, 2);
    auto* required = new QLineEdit(group);
    SetTag(required, 1);
    auto* deeper = new QWidget(group);
    auto* deepCode = new QLineEdit(deeper);
    SetTag(deepCode, 2);
    auto* other = new QWidget(inner);
    other->setObjectName("groupbox9");
    auto* otherCode = new QLineEdit(other);
    SetTag(otherCode, 2);
    area.setWidget(inner);
    area.show();

    HideCodeFields(&area);
    EXPECT_FALSE(code->isVisible());
    EXPECT_TRUE(required->isVisible());
    EXPECT_TRUE(deepCode->isVisible());
    EXPECT_TRUE(otherCode->isVisible());
}
