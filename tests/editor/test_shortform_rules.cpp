// What the short-form screen does while a person types into it: key rules, exit and change
// rules, the lookups, the member rows and the data check.
#include "ScreenFixture.h"

#include "Edition.h"
#include "InputControls.h"
#include "ModalResult.h"
#include "FormProblems.h"
#include "SimpleformRules.h"
#include "Tags.h"

#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

namespace {

void Commit(QWidget* control, const QString& text)
{
    QInputMethodEvent event(QString(), {});
    event.setCommitString(text);
    QApplication::sendEvent(control, &event);
}

struct RulesTest : ScreenTest {
    // Types into a field and moves on with Tab, as a person leaves it.
    void TypeAndLeave(const QString& name, const QString& text)
    {
        QWidget* field = Control(name);
        field->setFocus();
        Type(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
    QString LastNotice() const { return home.prompter.shown.isEmpty() ? QString() : home.prompter.shown.last().text; }
    void FillMember(int row, const QString& name)
    {
        const QString n = QString::number(row);
        screen->setText("edxm" + n, name);
        screen->setText("edsfzh" + n, IdWithCheck(QStringLiteral("3201021985010100%1").arg(row % 10)));
        screen->setText("edzyjszw" + n, QStringLiteral("中级"));
        screen->setText("edszdw" + n, QStringLiteral("单位") + n);
        screen->setText("edxmzfg" + n, QStringLiteral("分工") + n);
    }
};

} // namespace

TEST_F(RulesTest, SelectOnlyListsTakeArrowsNotLetters)
{
    Show([&] {
        auto* category = Control<QComboBox>("edxmlb");
        category->setFocus();
        Type(category, "B");
        EXPECT_EQ(category->currentIndex(), -1);
        EXPECT_EQ(screen->text("edxmlbdm"), QString());
        QTest::keyClick(category, Qt::Key_Down);
        EXPECT_EQ(screen->text("edxmlb"), QStringLiteral("重大项目"));
        EXPECT_EQ(screen->text("edxmlbdm"), "A");  // choosing ran the change rule
        // The load sets texts without running the rules.
        screen->setText("edyjlb", QStringLiteral("应用基础"));
        EXPECT_EQ(screen->text("edyjlbdm"), QString());
    });
}

TEST_F(RulesTest, KeyFiltersOfTheNumberFields)
{
    Show([&] {
        auto* phone = Control<QLineEdit>("edlxdh");
        phone->setFocus();
        Type(phone, "0791-8812-34-5a");
        EXPECT_EQ(phone->text(), "0791-8812-345");  // two hyphens, not three; no letters
        phone->clear();
        Commit(phone, QStringLiteral("0791－12a-3"));  // committed text is judged key by key
        EXPECT_EQ(phone->text(), "079112-3");

        auto* id = Control<QLineEdit>("edsfzh1");
        id->setFocus();
        Type(id, "11010519491231002");
        id->setCursorPosition(5);
        Type(id, "x");
        EXPECT_EQ(id->text(), "11010519491231002X");  // at the end, upper case
        Type(id, "x");
        EXPECT_EQ(id->text(), "11010519491231002X");
        id->clear();

        auto* amount = Control<QLineEdit>("edsqje");
        amount->setFocus();
        Type(amount, "12.5.0");
        EXPECT_EQ(amount->text(), "12.50");
        auto* unit = Control<QComboBox>("edcddw1");
        unit->setFocus();
        Type(unit, QStringLiteral("A 大学"));
        EXPECT_EQ(unit->currentText(), QStringLiteral("A大学"));
        auto* endYear = Control<QComboBox>("edyjzsjy");
        endYear->setFocus();
        Type(endYear, "20a15");
        EXPECT_EQ(endYear->currentText(), "2015");
        // Pasted text is not filtered: the exit rule judges it.
        QApplication::clipboard()->setText("abc");
        amount->clear();
        amount->paste();
        EXPECT_EQ(amount->text(), "abc");
        for (const char* name : {"edsqje", "edcddw1"})
            screen->setText(name, QString());
    });
}

TEST_F(RulesTest, TheApplicantsIdentityNumber)
{
    Show([&] {
        auto* birth = Control<QLineEdit>("edcsny");
        QWidget* sex = Control("edxb");
        TypeAndLeave("edsfzh1", "110105194912310021");  // a wrong check character
        EXPECT_EQ(LastNotice(), QStringLiteral("输入的身份证号码不正确!"));
        EXPECT_EQ(QApplication::focusWidget(), Control("edsfzh1"));
        EXPECT_FALSE(birth->isReadOnly());
        EXPECT_TRUE(sex->isEnabled());

        screen->setText("edsfzh1", QString());
        const QString woman = IdWithCheck("44030419880229084");  // 1988 was a leap year
        TypeAndLeave("edsfzh1", woman);
        EXPECT_EQ(screen->text("edsfzh1"), woman.toUpper());
        EXPECT_EQ(birth->text(), "1988-02");
        EXPECT_EQ(screen->text("edxb"), QStringLiteral("女"));
        EXPECT_TRUE(birth->isReadOnly());
        EXPECT_FALSE(sex->isEnabled());

        screen->setText("edsfzh1", "440304870229081");  // 1987 was not
        Control("edsfzh1")->setFocus();
        QTest::keyClick(Control("edsfzh1"), Qt::Key_Tab);
        EXPECT_EQ(LastNotice(), QStringLiteral("输入的身份证号码不正确!"));
        screen->setText("edsfzh1", "440304880229081");  // the 15-character form: a man born 1988
        QTest::keyClick(Control("edsfzh1"), Qt::Key_Tab);
        EXPECT_EQ(birth->text(), "1988-02");
        EXPECT_EQ(screen->text("edxb"), QStringLiteral("男"));
    });
}

TEST_F(RulesTest, ADuplicateMemberNumberKeepsTheScreenOpen)
{
    const QString id = IdWithCheck("32010219850101001");
    Show([&] {
        screen->setText("edsfzh1", id);
        TypeAndLeave("edsfzh3", id);
        EXPECT_EQ(LastNotice(), QStringLiteral("与申请人身份证号码相同!"));
        EXPECT_EQ(QApplication::focusWidget(), Control("edsfzh3"));
        const qsizetype said = home.prompter.shown.size();
        screen->close();
        EXPECT_TRUE(screen->isVisible());
        ASSERT_EQ(home.prompter.shown.size(), said + 1);  // the rule's notice, nothing else
        EXPECT_EQ(LastNotice(), QStringLiteral("与申请人身份证号码相同!"));
        screen->sbSave->click();
        EXPECT_EQ(home.prompter.shown.size(), said + 2);
        screen->setText("edsfzh3", QString());
    });
}

TEST_F(RulesTest, EndYearAndEmail)
{
    Show([&] {
        screen->setText("edyjzsjy", "201");  // typed, the list would complete it to 2014
        Control("edyjzsjy")->setFocus();
        QTest::keyClick(Control("edyjzsjy"), Qt::Key_Tab);
        EXPECT_EQ(LastNotice(), QStringLiteral("请输入正确的年份!"));
        screen->setText("edyjzsjy", "2012");
        QTest::keyClick(Control("edyjzsjy"), Qt::Key_Tab);
        EXPECT_EQ(LastNotice(), QStringLiteral("研究止年份应在研究起年份之后!"));
        EXPECT_EQ(QApplication::focusWidget(), Control("edyjzsjy"));
        const qsizetype said = home.prompter.shown.size();
        screen->setText("edyjzsjy", "2013");  // the start year itself is accepted
        QTest::keyClick(Control("edyjzsjy"), Qt::Key_Tab);
        EXPECT_EQ(home.prompter.shown.size(), said);

        TypeAndLeave("edemail", QStringLiteral("zhang@arvel，edu.cn"));
        EXPECT_EQ(LastNotice(), QStringLiteral("电子邮件格式错误,请修改!"));
        screen->setText("edemail", " zhang@arvel.edu.cn ");
        QTest::keyClick(Control("edemail"), Qt::Key_Tab);
        EXPECT_EQ(home.prompter.shown.size(), said + 1);
    });
}

TEST_F(RulesTest, UnitsFeedTheMembersLists)
{
    Show([&] {
        TypeAndLeave("edcddw2", QStringLiteral("Arvel师范大学"));
        TypeAndLeave("edcddw3", QStringLiteral("Arvel农业大学"));
        EXPECT_EQ(screen->text("edcjdw"), "2");
        auto* unit = Control<QComboBox>("edszdw4");
        ASSERT_EQ(unit->count(), 2);
        unit->setCurrentIndex(0);
        EXPECT_EQ(screen->text("edszdw4"), QStringLiteral("Arvel师范大学"));
        Control("edcddw2")->setFocus();
        screen->setText("edcddw2", QString());
        QTest::keyClick(Control("edcddw2"), Qt::Key_Tab);
        EXPECT_EQ(screen->text("edcjdw"), "1");
        EXPECT_EQ(unit->count(), 1);
        EXPECT_EQ(unit->itemText(0), QStringLiteral("Arvel农业大学"));
        EXPECT_EQ(screen->text("edszdw4"), QStringLiteral("Arvel师范大学"));  // the chosen text stays
        screen->setText("edszxy", QStringLiteral("  化学学院 "));
        Control("edszxy")->setFocus();
        QTest::keyClick(Control("edszxy"), Qt::Key_Tab);
        EXPECT_EQ(screen->text("edszxy"), QStringLiteral("化学学院"));
    });
}

TEST_F(RulesTest, TheApplicationDate)
{
    Show([&] {
        EXPECT_EQ(screen->text("edtsqyear"), "2013");
        EXPECT_EQ(Tag(Control("edsqrq")), 1);  // the load split the date
        auto* month = Control<QComboBox>("cmbmonth");
        month->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(month, Qt::Key_Down);
        EXPECT_EQ(screen->text("edsqrq"), QStringLiteral("2013年 3月"));
        for (int i = 0; i < 9; ++i)
            QTest::keyClick(month, Qt::Key_Down);
        EXPECT_EQ(screen->text("edsqrq"), QStringLiteral("2013年12月"));
    });
    EXPECT_EQ(Cell(2, 10), QStringLiteral("2013年12月"));
    // Another document's date shows as its own year and month.
    const QString other = home.path() + "/b.qvx";
    createxms(other);
    SetCell(other, 2, 10, QStringLiteral("2013年 5月"));
    document.Open(other);
    SetTag(screen, 0);
    Show([&] { EXPECT_EQ(screen->text("cmbmonth"), "5"); });
}

TEST_F(RulesTest, TheTitleLookup)
{
    bool hookWhileOpen = true;
    Show([&] {
        QTimer::singleShot(0, frmcode, [&] {
            frmcode->EdtKey->setText(QStringLiteral("教授"));
            QTest::keyClick(frmcode->EdtKey, Qt::Key_Return);
            EXPECT_EQ(frmcode->Lstcode->count(), 2);  // 教授 and 副教授
            EXPECT_EQ(frmcode->Lstcode->currentItem()->text(), QStringLiteral("011 | 教授"));
            frmcode->BitBtn1->click();
        });
        Control<QToolButton>("SpeedButton11")->click();
        EXPECT_EQ(screen->text("edzyjszw1"), QStringLiteral("教授"));
        EXPECT_EQ(screen->text("edzyjszwdm1"), "011");
        EXPECT_EQ(screen->text("edjbdm"), "A");
        EXPECT_EQ(screen->text("edjb"), QStringLiteral("正高"));
        EXPECT_EQ(screen->text("edgj"), "1");
        EXPECT_EQ(screen->text("edzj"), "0");
        EXPECT_TRUE(screen->WheelHookInstalled());
        EXPECT_EQ(screen->focusWidget(), Control("edzyjszw1"));  // given back when the screen is active again

        // The hook the first lookup installed is off while the dialog is open. Cancelled:
        // nothing changes, and the hook is back.
        QTimer::singleShot(0, frmcode, [&] {
            hookWhileOpen = screen->WheelHookInstalled();
            frmcode->BitBtn2->click();
        });
        Control<QToolButton>("SpeedButton12")->click();
        EXPECT_EQ(screen->text("edcddw1"), QString());
        EXPECT_TRUE(screen->WheelHookInstalled());

        // A lookup that cannot open says so and leaves the wheel as it was.
        Tfrmcode* lookup = frmcode.built();
        frmcode = nullptr;
        frmcode.makeWith(nullptr);
        Control<QToolButton>("SpeedButton11")->click();
        frmcode.makeWith([]() -> Tfrmcode* { return new Tfrmcode; });
        frmcode = lookup;
        EXPECT_EQ(home.prompter.texts().last(), QStringLiteral("代码查询窗口不可用"));
        EXPECT_TRUE(screen->WheelHookInstalled());
    });
    EXPECT_FALSE(hookWhileOpen);
    EXPECT_FALSE(screen->WheelHookInstalled());  // closing removed it
}

TEST_F(RulesTest, TheDisciplineTree)
{
    Show([&] {
        QTimer::singleShot(0, frmxkdm_tree, [] {
            frmxkdm_tree->Edit1->setText("110.1410");
            QTest::keyClick(frmxkdm_tree->Edit1, Qt::Key_Return);
            frmxkdm_tree->BitBtn1->click();
        });
        Control<QToolButton>("SpeedButton13")->click();
        EXPECT_EQ(screen->text("edxkdm"), "110.1410");
        EXPECT_EQ(screen->text("edxk"), QStringLiteral("演绎逻辑学(亦称符号逻辑学)"));
        EXPECT_EQ(screen->text("edyjxk"), QStringLiteral("数学"));
    });
}

TEST_F(RulesTest, RemovingAMemberCompactsTheRows)
{
    Show([&] {
        for (int row = 2; row <= 6; ++row)
            FillMember(row, QStringLiteral("成员") + QString::number(row));
        home.prompter.answers = {false};
        Control<QToolButton>("SpeedButton3")->click();
        EXPECT_EQ(LastNotice(), QStringLiteral("请问真的要删除成员3吗？"));
        EXPECT_EQ(screen->text("edxm3"), QStringLiteral("成员3"));
        EXPECT_EQ(screen->text("edzrs"), "6");  // counted whatever the answer
        home.prompter.answers = {true};
        Control<QToolButton>("SpeedButton3")->click();
        QStringList names;
        for (int row = 2; row <= 6; ++row)
            names << screen->text("edxm" + QString::number(row));
        EXPECT_EQ(names, QStringList({QStringLiteral("成员2"), QStringLiteral("成员4"), QStringLiteral("成员5"),
                                      QStringLiteral("成员6"), QString()}));
        EXPECT_EQ(screen->text("edszdw3"), QStringLiteral("单位4"));
        EXPECT_EQ(screen->text("edzrs"), "5");
        EXPECT_EQ(screen->text("edzj"), "5");  // the applicant without a title counts as intermediate
        home.prompter.answers = {false};
        Control<QToolButton>("SpeedButton9")->click();  // an empty row is asked about too
        EXPECT_EQ(LastNotice(), QStringLiteral("请问真的要删除吗？"));
        for (int row = 2; row <= 6; ++row)
            for (const char* prefix : {"edxm", "edsfzh", "edzyjszw", "edszdw", "edxmzfg"})
                screen->setText(prefix + QString::number(row), QString());
    });
}

TEST_F(RulesTest, ReorderingMovesTheLastMemberToTheTop)
{
    Show([&] {
        FillMember(2, QStringLiteral("甲"));
        Control<QToolButton>("SpeedButton15")->click();
        EXPECT_EQ(LastNotice(), QStringLiteral("人员不足两人，不好调整他们的顺序！"));

        FillMember(3, QStringLiteral("乙"));
        FillMember(4, QStringLiteral("丙"));
        bool upOnTop = true, downAtBottom = true, bothOffAtFirst = false;
        QTimer::singleShot(0, frmmemberorder, [&] {
            QListWidget* list = frmmemberorder->lstMember;
            bothOffAtFirst = !frmmemberorder->butup->isEnabled() && !frmmemberorder->butdown->isEnabled();
            EXPECT_EQ(list->item(2)->text(), QStringLiteral("丙"));
            EXPECT_EQ(list->item(2)->data(Tfrmmemberorder::LineRole).toString(), QStringLiteral("丙") + QString(39, ' ') + "4");
            list->setCurrentRow(2);
            downAtBottom = frmmemberorder->butdown->isEnabled();
            frmmemberorder->butup->click();
            frmmemberorder->butup->click();
            upOnTop = frmmemberorder->butup->isEnabled();
            frmmemberorder->BitBtn1->click();
        });
        Control<QToolButton>("SpeedButton15")->click();
        EXPECT_TRUE(bothOffAtFirst);
        EXPECT_FALSE(downAtBottom);
        EXPECT_FALSE(upOnTop);
        EXPECT_EQ(screen->text("edxm2"), QStringLiteral("丙"));
        EXPECT_EQ(screen->text("edszdw2"), QStringLiteral("单位4"));
        EXPECT_EQ(screen->text("edxm3"), QStringLiteral("甲"));
        EXPECT_EQ(screen->text("edxm4"), QStringLiteral("乙"));

        // Escape cancels and changes nothing.
        QTimer::singleShot(0, frmmemberorder, [] { QTest::keyClick(frmmemberorder->lstMember, Qt::Key_Escape); });
        Control<QToolButton>("SpeedButton15")->click();
        EXPECT_EQ(frmmemberorder->result(), ModalCancel);
        EXPECT_EQ(screen->text("edxm2"), QStringLiteral("丙"));
    });
}

TEST_F(RulesTest, TheDataCheck)
{
    Show([&] {
        screen->SpeedButton1->click();
        EXPECT_EQ(LastNotice(), QStringLiteral("请输入项目名称"));
        EXPECT_EQ(home.prompter.shown.last().caption, NoticeCaption);
        EXPECT_EQ(QApplication::focusWidget(), Control("edxmmc"));

        const QMap<QString, QString> filled = {
            {"edxmmc", QStringLiteral("项目")}, {"edxmlb", QStringLiteral("面上项目")},
            {"edyjlb", QStringLiteral("基础研究")}, {"edsqje", "10"}, {"cmbmonth", "3"},
            {"edxkdm", "110.11"}, {"edyjqsjm", "1"}, {"edyjzsjy", "2015"}, {"edyjzsjm", "12"},
            {"edselffin", QStringLiteral("是")}, {"edxk", QStringLiteral("数学")}, {"edxm1", QStringLiteral("张三")},
            {"edsfzh1", IdWithCheck("11010519800507001")}, {"edxb", QStringLiteral("男")}, {"edcsny", "1980-05"},
            {"edzyjszw1", QStringLiteral("教授")}, {"edjb", QStringLiteral("正高")}, {"edlxdh", "0791-1234567"},
            {"edemail", "z@a.cn"}, {"edcddw1", QStringLiteral("Arvel理工大学")}, {"edxmjj", QStringLiteral("内容")},
            {"edztc1", QStringLiteral("主题")}};
        for (auto it = filled.begin(); it != filled.end(); ++it)
            screen->setText(it.key(), it.value());
        screen->setText("edxmjj", QString());
        screen->SpeedButton1->click();
        EXPECT_EQ(LastNotice(), QStringLiteral("主要研究内容及技术指标"));  // the memo: no prefix
        screen->setText("edxmjj", QStringLiteral("内容"));
        screen->setText("edxm5", QStringLiteral("只有名字"));
        screen->SpeedButton1->click();
        EXPECT_EQ(LastNotice(), QStringLiteral("请补全项目组成员身份证号"));
        EXPECT_EQ(QApplication::focusWidget(), Control("edsfzh2"));  // compacted first
        screen->setText("edxm2", QString());
        screen->SpeedButton1->click();
        EXPECT_EQ(LastNotice(), CheckPassedText);
    });
}

TEST_F(RulesTest, IdentityRulesAgreeWithIso7064)
{
    // Numbers computed here, not by the code under test: every prefix gets exactly one check
    // character the screen accepts, and a changed one is refused.
    const QString prefixes[] = {"11010519491231002", "44030419880229084", "65010220000229123",
                                "32058420991231999", "51010119700101000"};
    Show([&] {
        for (const QString& prefix : prefixes) {
            const QString good = IdWithCheck(prefix);
            screen->setText("edsfzh1", good);
            Control("edsfzh1")->setFocus();
            const qsizetype said = home.prompter.shown.size();
            QTest::keyClick(Control("edsfzh1"), Qt::Key_Tab);
            EXPECT_EQ(home.prompter.shown.size(), said) << good.toStdString();
            const QChar wrong = good.back() == '0' ? QChar('1') : QChar('0');
            screen->setText("edsfzh1", prefix + wrong);
            Control("edsfzh1")->setFocus();
            QTest::keyClick(Control("edsfzh1"), Qt::Key_Tab);
            EXPECT_EQ(LastNotice(), QStringLiteral("输入的身份证号码不正确!")) << prefix.toStdString();
        }
        screen->setText("edsfzh1", IdWithCheck("11010519000229001"));  // 1900 was no leap year
        QTest::keyClick(Control("edsfzh1"), Qt::Key_Tab);
        EXPECT_EQ(LastNotice(), QStringLiteral("输入的身份证号码不正确!"));
        screen->setText("edsfzh1", IdWithCheck("11010519800431001"));  // 31 April
        QTest::keyClick(Control("edsfzh1"), Qt::Key_Tab);
        EXPECT_EQ(LastNotice(), QStringLiteral("输入的身份证号码不正确!"));
        screen->setText("edsfzh1", QString());
    });
}

TEST_F(RulesTest, EveryProblemAtOnceInTheDataChecksOrder)
{
    Show([&] {
        EXPECT_FALSE(screen->ProblemPanel->isVisible());
        screen->SpeedButton1->click();
        EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("请输入项目名称")}));  // the data check's own
        ASSERT_TRUE(screen->ProblemPanel->isVisible());
        EXPECT_EQ(screen->ProblemList->accessibleName(), QStringLiteral("待完善事项"));
        QStringList controls;
        for (int i = 0; i < screen->ProblemList->count(); ++i)
            controls << screen->ProblemList->item(i)->data(Qt::UserRole).toString();
        EXPECT_EQ(controls, QStringList({"edxmmc", "edxmlb", "edyjlb", "edsqje", "cmbmonth", "edxkdm", "edyjqsjm",
                                         "edyjzsjy", "edyjzsjm", "edselffin", "edxk", "edxm1", "edsfzh1", "edxb",
                                         "edcsny", "edzyjszw1", "edjb", "edlxdh", "edemail", "edcddw1", "edxmjj",
                                         "edztc1"}));
        EXPECT_EQ(screen->ProblemList->item(0)->text(), QStringLiteral("项目名称：请输入项目名称"));

        // A mended field leaves the list when it is left; a rule that fails joins it.
        auto* title = Control<QLineEdit>("edxmmc");
        title->setFocus();
        Type(title, QStringLiteral("新题目"));
        Control<QLineEdit>("edemail")->setText("not-an-address");
        FillMember(2, QStringLiteral("甲"));
        screen->setText("edsfzh2", QString());
        QTest::keyClick(title, Qt::Key_Tab);
        QStringList texts;
        for (int i = 0; i < screen->ProblemList->count(); ++i)
            texts << screen->ProblemList->item(i)->text();
        EXPECT_FALSE(texts.contains(QStringLiteral("项目名称：请输入项目名称")));
        EXPECT_TRUE(texts.contains(QStringLiteral("电子邮件：电子邮件格式错误,请修改!")));
        EXPECT_TRUE(texts.contains(QStringLiteral("成员1（甲）：请补全项目组成员身份证号")));

        // A click on an entry goes to its field, scrolled into view.
        const int last = screen->ProblemList->count() - 1;
        EXPECT_EQ(screen->ProblemList->item(last)->data(Qt::UserRole).toString(), "edztc1");
        screen->ScrollBox1->verticalScrollBar()->setValue(0);
        emit screen->ProblemList->itemClicked(screen->ProblemList->item(last));
        EXPECT_EQ(QApplication::focusWidget(), Control("edztc1"));
        EXPECT_GT(screen->ScrollBox1->verticalScrollBar()->value(), 0);
        screen->setText("edemail", QString());
        screen->setText("edxm2", QString());
        screen->setText("edzyjszw2", QString());
        screen->setText("edszdw2", QString());
        screen->setText("edxmzfg2", QString());
    });
}
