// The short-form screen: opening, storing, closing, layout, byte limits and the wheel.
#include "ScreenFixture.h"
#include "DocumentEngine.h"
#include "Failure.h"

#include "Edition.h"
#include "FormPanel.h"
#include "Gb18030.h"
#include "InputControls.h"
#include "ModalResult.h"
#include "Processes.h"
#include "Tags.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

void Commit(QWidget* control, const QString& text)
{
    QInputMethodEvent event(QString(), {});
    event.setCommitString(text);
    QApplication::sendEvent(control, &event);
}

void Wheel(QWidget* over, int delta)
{
    const QPointF at(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
}

QStringList Items(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

TEST_F(ScreenTest, TheFivePanelsAndTheirControls)
{
    QStringList order;
    for (FormPanel* panel : screen->Panels) {
        order << panel->objectName();
        EXPECT_EQ(panel->width(), 793);
    }
    EXPECT_EQ(order, QStringList({"GroupBox1", "GroupBox5", "GroupBox3", "GroupBox4", "GroupBox2"}));
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("申请书简表"));
    EXPECT_EQ(screen->font().pixelSize(), 14);
    EXPECT_EQ(screen->Panel_toolbar->height(), 49);
    for (QToolButton* button : {screen->SpeedButton16, screen->sbSave, screen->SpeedButton1, screen->SbClose})
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << button->objectName().toStdString();
    EXPECT_EQ(Tag(Control("edxmmc")), 1);
    EXPECT_EQ(Tag(Control("edxldm")), 0);
    EXPECT_EQ(Control("edxkdm")->property("hint").toString(), QStringLiteral("请点击右边▲按钮选择学科代码"));
    for (const char* hidden : {"edsqrq", "edyjlbdm", "edxmlbdm", "edyjxk", "edzyjszwdm1", "edjbdm", "Edxwdm"})
        EXPECT_TRUE(Control(hidden)->isHidden()) << hidden;
    EXPECT_EQ(Control<QLineEdit>("edsqrq")->text(), "xxxx");
    EXPECT_EQ(Control<QComboBox>("edxb")->currentText(), QStringLiteral("男"));
    EXPECT_FALSE(Control("edxb")->isEnabled());
    EXPECT_EQ(Control<QComboBox>("edzyjszw1")->count(), 79);
    EXPECT_EQ(Items(Control<QComboBox>("edzyjszw10")), Items(Control<QComboBox>("edzyjszw2")));
    EXPECT_EQ(Control<QComboBox>("edcddw1")->currentText(), QString());
    for (int row = 2; row <= 10; ++row)
        EXPECT_EQ(Control<QToolButton>("SpeedButton" + QString::number(row))->text(), QStringLiteral("×"));
    EXPECT_EQ(screen->StatusPanel->text(), QStringLiteral("注:以上*为必填项；▲为内容查找；回车或Tab键切换到时下一个输入框。"));
    // Tab order runs as the tables list it, across panels; read-only fields are passed by.
    EXPECT_EQ(Control("edxmmc")->nextInFocusChain(), Control("edxmlb"));
    EXPECT_EQ(Control("edyjqsjy")->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(Control("edxm10")->nextInFocusChain(), Control("edsfzh10"));
}

TEST_F(ScreenTest, ScreenReadersHearLabelsAndHints)
{
    auto spoken = [&](const char* name, QAccessible::Text which) {
        return QAccessible::queryAccessibleInterface(Control(name))->text(which);
    };
    EXPECT_EQ(spoken("edxm1", QAccessible::Name), QStringLiteral("姓名"));
    EXPECT_EQ(spoken("edxm1", QAccessible::Description), QStringLiteral("申请人姓名"));
    EXPECT_EQ(spoken("edsfzh2", QAccessible::Name), QStringLiteral("身份证号成员1"));
    EXPECT_EQ(spoken("edxmzfg10", QAccessible::Name), QStringLiteral("项目中的分工成员9"));
    EXPECT_EQ(spoken("edyjqsjm", QAccessible::Name), QStringLiteral("开始月份"));  // no label: its hint
    EXPECT_EQ(spoken("edxmjj", QAccessible::Name), QStringLiteral("主要研究内容及技术指标（限200字）"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(screen->sbSave)->text(QAccessible::Name), QStringLiteral("保存数据"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Control("SpeedButton11"))->text(QAccessible::Name),
              QStringLiteral("专业技术职务查询"));
}

TEST_F(ScreenTest, ShowingTwiceReadsTheDocumentOnce)
{
    EXPECT_EQ(Show(), ModalOk);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(Tag(screen), 1);
    EXPECT_EQ(screen->text("edyjqsjy"), "2013");
    EXPECT_EQ(document.EditValues.at(Record("sqrq")), QStringLiteral("2013年"));
    // A value kept only in memory comes back on the second showing, from document.EditValues.
    document.EditValues[Record("xmmc")] = QStringLiteral("内存中的名称");
    screen->setText("edxmmc", QString());
    EXPECT_EQ(Show([&] { EXPECT_EQ(screen->text("edxmmc"), QStringLiteral("内存中的名称")); }), ModalOk);
    EXPECT_EQ(opens, 2);  // the second close stored the change; the showing read nothing
    EXPECT_EQ(Cell(2, 4), QStringLiteral("内存中的名称"));
}

TEST_F(ScreenTest, AnotherDocumentReloadsWithItsOwnEndYears)
{
    Show();
    EXPECT_EQ(Items(Control<QComboBox>("edyjzsjy")), QStringList({"2014", "2015", "2016"}));
    const QString other = home.path() + "/b.qvx";
    createxms(other);
    SetCell(other, 4, 20, "2020");
    SetCell(other, 2, 4, QStringLiteral("第二个项目"));
    document.Open(other);
    SetTag(screen, 0);
    Show([&] { EXPECT_EQ(screen->text("edxmmc"), QStringLiteral("第二个项目")); });
    EXPECT_EQ(Items(Control<QComboBox>("edyjzsjy")), QStringList({"2021", "2022", "2023"}));
}

TEST_F(ScreenTest, AFileThatIsNoApplicationIsNeverWritten)
{
    Show([&] { screen->setText("edxmmc", QStringLiteral("上一个申请书的名称")); });
    const QString stranger = home.path() + "/notes.qvx";
    WriteFile(stranger, "just some text\n");
    document.Open(stranger);
    SetTag(screen, 0);
    bool appeared = false;
    QTimer::singleShot(0, screen, [&] { appeared = screen->isVisible(); });
    EXPECT_EQ(screen->exec(), ModalCancel);
    EXPECT_FALSE(appeared);
    EXPECT_EQ(Tag(screen), 88);
    EXPECT_EQ(ReadAll(stranger), QByteArray("just some text\n"));
    // The system's line, then the cause as qvtool info and the intake word it.
    QString cause;
    try {
        OpenWordDocument(stranger);
    } catch (const Failure& failure) {
        cause = failure.text();
    }
    EXPECT_FALSE(cause.isEmpty());
    EXPECT_EQ(home.prompter.texts().last(), QStringLiteral("本文不是合法项目申请书。\n") + cause);
}

TEST_F(ScreenTest, ADamagedDocumentGivesTheLongNoticeAndEndsNobodysProgram)
{
    // A word processor of this user, busy with an unrelated document: it must live on.
    const QString unrelated = home.path() + "/notes.odt";
    WriteFile(unrelated, "unsaved work");
    QProcess office;
    office.start("bash", {"-c",
                          "exec 3<\"$1\"; exec -a soffice.bin python3 -c "
                          "'import time; print(\"ready\", flush=True); time.sleep(600)'",
                          "_", unrelated});
    ASSERT_TRUE(office.waitForReadyRead(20000));  // it has the file open and is named so
    SystemProcesses system;
    installProcesses(&system);

    // A document whose start year is not a number cannot be opened for editing.
    SetCell(path, 4, 20, QStringLiteral("二〇一三"));
    const QByteArray before = ReadAll(path);
    EXPECT_EQ(screen->exec(), ModalCancel);
    EXPECT_EQ(Tag(screen), 88);
    EXPECT_EQ(home.prompter.texts().last(), OpeningFailedText());
    EXPECT_TRUE(OpeningFailedText().contains(QStringLiteral("如果是2013年省高校项目申请书，\r\n\r\n请将全部WORD关闭")));
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(office.state(), QProcess::Running);
    EXPECT_TRUE(system.holdersOf(unrelated).contains(office.processId()));
    installProcesses(&home.processes);
    office.kill();  // the test's own child
    office.waitForFinished();
}

TEST_F(ScreenTest, EscapeDoesNotLeaveTheScreen)
{
    Show([&] {
        QTest::keyClick(Control("edxmmc"), Qt::Key_Escape);
        EXPECT_TRUE(screen->isVisible());
    });
}

TEST_F(ScreenTest, PanelsSitAtEightOrCentredTenToTheLeft)
{
    screen->resize(700, 600);
    screen->Layout();
    for (FormPanel* panel : screen->Panels)
        EXPECT_EQ(panel->x(), 8);
    screen->resize(1400, 900);
    screen->Layout();
    for (FormPanel* panel : screen->Panels)
        EXPECT_EQ(panel->x(), (1400 - 793) / 2 - 10);
    EXPECT_EQ(screen->PanelCmds->x() + screen->PanelCmds->width(), 1400);
    screen->resize(800, 600);
    screen->Layout();
    EXPECT_EQ(screen->Panels.first()->x(), 8);  // (800 - 793) / 2 - 10 is below 8
}

TEST_F(ScreenTest, AFieldTakesWhatFitsHoweverTheTextArrivesAndSaysWhatItLeftOut)
{
    Show([&] {
        auto* name = Control<QLineEdit>("edxm1");  // 40 bytes
        name->setFocus();
        Type(name, QStringLiteral("阿不都热合曼·阿不都克力木"));  // 13 characters, 26 bytes
        EXPECT_EQ(name->text(), QStringLiteral("阿不都热合曼·阿不都克力木"));
        EXPECT_EQ(screen->StatusNote->text(), QStringLiteral("姓名：26/40 字节"));
        name->clear();
        Type(name, QString(20, QChar(0x6b27)));
        Type(name, QStringLiteral("阳"));  // typing stops at the limit, with a sign
        EXPECT_EQ(name->text(), QString(20, QChar(0x6b27)));
        EXPECT_EQ(screen->StatusNote->text(), QStringLiteral("姓名最多 40 字节，这些没有放进去：阳"));

        name->clear();
        QTest::keyClicks(name, "abc");
        Commit(name, QString(18, QChar(0x8bf8)) + QStringLiteral("葛亮"));  // 3 + 40 bytes: what fits goes in
        EXPECT_EQ(name->text(), "abc" + QString(18, QChar(0x8bf8)));
        EXPECT_TRUE(screen->StatusNote->text().endsWith(QStringLiteral("葛亮")));

        name->clear();
        QApplication::clipboard()->setText(QStringLiteral("欧阳建国华") + QString(16, QChar(0x5b50)));
        name->paste();  // 42 bytes pasted: the first 40 go in
        EXPECT_EQ(name->text(), QStringLiteral("欧阳建国华") + QString(15, QChar(0x5b50)));
        EXPECT_TRUE(screen->StatusNote->text().endsWith(QStringLiteral("子")));

        auto* unit = Control<QComboBox>("edszdw2");  // a typed combo, 250 bytes
        unit->setFocus();
        QApplication::clipboard()->setText(QString(126, QChar(0x5927)));
        unit->lineEdit()->paste();
        EXPECT_EQ(unit->currentText(), QString(125, QChar(0x5927)));

        auto* memo = Control<MemoEdit>("edxmjj");  // 420 bytes, a line break counts 2
        memo->setFocus();
        memo->setText(QString(207, QChar(0x7814)) + "\r\n" + "ab");
        EXPECT_EQ(Gb18030Length(memo->text()), 418);
        memo->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(QStringLiteral("一二"));
        memo->paste();
        EXPECT_TRUE(memo->text().endsWith(QStringLiteral("ab一")));
        EXPECT_TRUE(screen->StatusNote->text().endsWith(QStringLiteral("二")));
        QTest::keyClicks(memo, "c");
        QTest::keyClick(memo, Qt::Key_Return);
        Commit(memo, QStringLiteral("字"));
        EXPECT_EQ(Gb18030Length(memo->text()), 420);
        EXPECT_TRUE(memo->text().endsWith(QStringLiteral("ab一")));
        QTest::keyClick(memo, Qt::Key_Backspace);
        QTest::keyClick(memo, Qt::Key_Backspace);
        QTest::keyClick(memo, Qt::Key_Return);  // Enter breaks the line in the memo only
        EXPECT_TRUE(memo->text().endsWith("a\r\n"));
        screen->setText("edxmjj", QString());
    });
}

TEST_F(ScreenTest, SingleLineFieldsHoldNoControlCharactersAndShowWhatIsStored)
{
    Show([&] {
        auto* title = Control<QLineEdit>("edxmmc");
        title->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("第一行\r\n第二行\t\f结束\u202e\x01"));
        title->paste();
        EXPECT_EQ(title->text(), QStringLiteral("第一行 第二行 结束"));
        EXPECT_TRUE(screen->StatusNote->text().contains(QStringLiteral("控制字符已去掉")));
        auto* memo = Control<MemoEdit>("edxmjj");
        memo->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("一\n二\t三\f\u202d"));
        memo->paste();
        EXPECT_EQ(memo->text(), QStringLiteral("一\r\n二\t三"));
    });
    EXPECT_EQ(Cell(2, 4), QStringLiteral("第一行 第二行 结束"));
    EXPECT_EQ(Cell(4, 138), QStringLiteral("一\r二\t三"));
}

TEST_F(ScreenTest, TheEndYearIsNotCompletedAndThePostdocCountShowsANumber)
{
    Show([&] {
        EXPECT_EQ(screen->text("edbsh"), "0");  // counted, as its stored neighbours show theirs
        auto* endYear = Control<QComboBox>("edyjzsjy");
        endYear->setFocus();
        QTest::keyClicks(endYear, "201");
        EXPECT_EQ(endYear->currentText(), "201");
        QTest::keyClick(endYear, Qt::Key_Tab);
        EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("请输入正确的年份!")}));
        endYear->setEditText("2015");
    });
}

TEST_F(ScreenTest, ARefusedKeyIsSaidAndPastedTextIsJudgedWhenLeft)
{
    Show([&] {
        auto* amount = Control<QLineEdit>("edsqje");
        amount->setFocus();
        QTest::keyClicks(amount, "abc12.5.3");
        EXPECT_EQ(amount->text(), "12.53");
        EXPECT_EQ(screen->StatusNote->text(), QStringLiteral("申请经费只能输入数字和一个小数点"));
        for (const QString& pasted : {QStringLiteral("十二万"), QStringLiteral("-5")}) {
            amount->clear();
            QApplication::clipboard()->setText(pasted);
            amount->paste();
            home.prompter.shown.clear();
            QTest::keyClick(amount, Qt::Key_Tab);
            EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("请输入正确的申请经费!")})) << pasted.toStdString();
            EXPECT_TRUE(amount->hasFocus());
        }
        amount->setText("12.5");
        auto* phone = Control<QLineEdit>("edlxdh");
        phone->setFocus();
        QTest::keyClicks(phone, "+86 139");
        EXPECT_EQ(phone->text(), "86139");
        EXPECT_TRUE(screen->StatusNote->text().contains(QStringLiteral("只能输入数字")));
        phone->clear();
        QApplication::clipboard()->setText(QStringLiteral("+86 13912345678"));
        phone->paste();
        home.prompter.shown.clear();
        QTest::keyClick(phone, Qt::Key_Tab);
        EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("请输入正确的电话号码!")}));
        phone->setText("0791-88123456-12345");
    });
}

TEST_F(ScreenTest, ListsReadOnlyFieldsAndUpperCase)
{
    Show([&] {
        auto* category = Control<QComboBox>("edxmlb");
        category->setFocus();
        Type(category, QStringLiteral("B面"));
        EXPECT_EQ(category->currentIndex(), -1);
        auto* code = Control<QLineEdit>("edxkdm");
        QTest::keyClicks(code, "110");
        EXPECT_EQ(code->text(), QString());
        auto* id = Control<QLineEdit>("edsfzh3");
        QApplication::clipboard()->setText("11010519491231002x");
        id->paste();
        EXPECT_EQ(id->text(), "11010519491231002X");
        id->clear();
        // A value in the document that the list does not have is kept, not lost.
        screen->setText("edselffin", QStringLiteral("未定"));
        EXPECT_EQ(screen->text("edselffin"), QStringLiteral("未定"));
        screen->setText("edselffin", QString());
    });
}

TEST_F(ScreenTest, EnterMovesOn)
{
    Show([&] {
        Control("edxmmc")->setFocus();
        QTest::keyClick(Control("edxmmc"), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), Control("edxmlb"));
    });
}

TEST_F(ScreenTest, TheWheelScrollsTheFormAndNeverChangesAValue)
{
    Show([&] {
        QScrollBar* bar = screen->ScrollBox1->verticalScrollBar();
        const int notch = QApplication::wheelScrollLines() * QFontMetrics(screen->font()).lineSpacing();
        auto* category = Control<QComboBox>("edxmlb");
        category->setCurrentIndex(0);  // 重大项目
        auto* month = Control<QComboBox>("edyjqsjm");
        month->setCurrentIndex(2);
        month->setFocus();  // a focused box keeps its value too
        EXPECT_TRUE(screen->WheelHookInstalled());  // before any lookup
        bar->setValue(100);
        Wheel(category, -120);
        EXPECT_EQ(bar->value(), 100 + notch);
        Wheel(month, 120);
        Wheel(screen->ScrollBox1->viewport(), 120);
        EXPECT_EQ(bar->value(), 100 - notch);
        EXPECT_EQ(category->currentText(), QStringLiteral("重大项目"));
        EXPECT_EQ(month->currentText(), "3");

        // After a lookup, the same.
        QTimer::singleShot(0, frmcode, [] { frmcode->reject(); });
        screen->control<QToolButton>("SpeedButton11")->click();
        EXPECT_TRUE(screen->WheelHookInstalled());
        Wheel(category, -120);
        EXPECT_EQ(bar->value(), 100);
        EXPECT_EQ(category->currentText(), QStringLiteral("重大项目"));
        screen->close();
        EXPECT_FALSE(screen->WheelHookInstalled());
    });
}
