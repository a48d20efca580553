// The submission flow: its two dialogs, both branches, the destinations, the applicant's test,
// and what the applicant is told when something does not arrive.
#include "CompleteDocument.h"
#include "ScreenFixture.h"

#include "Drives.h"
#include "Files.h"
#include "Package.h"
#include "PackageWindow.h"
#include "SendEmail.h"
#include "SubmitType.h"
#include "Tags.h"
#include "VantraExport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class FakeHost : public SubmitHost {
public:
    explicit FakeHost(ApplicationDocument& working) : working(working) {}
    ApplicationDocument& working;
    QStringList shortForms;  // the document each showing of the short form loaded
    QStringList bodies;      // the document each "申请书正文" opened
    int shownWithoutWaiting = 0;
    QList<bool> autoName;

    ApplicationDocument& WorkingDocument() override { return working; }
    void ShowShortFormOf(ApplicationDocument& document) override
    {
        shortForms << document.CurDocPath();
        FrmSimpleform->SetDocument(&document);
        QTimer::singleShot(0, FrmSimpleform, [] { FrmSimpleform->close(); });
        FrmSimpleform->exec();
        FrmSimpleform->SetDocument(&working);
    }
    void ShowShortFormWithoutWaiting() override { ++shownWithoutWaiting; }
    void OpenBodyTextOf(const QString& path) override { bodies << path; }
    void SetAutoNameEnabled(bool on) override { autoName << on; }
    QString SaveDlg(const QString& title, const QString& folder, const QString& filter, const QString& proposed) override
    {
        return filePicker().saveFile(title, folder, filter, proposed);
    }
};

bool Marked(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText) == QColor(Qt::red);
}

struct SubmitTest : ScreenTest {
    FakeHost host{document};
    TfrmVantraExport* dialog;
    QString copy;  // the submission copy in the temporary folder

    SubmitTest()
    {
        TempFolder = TempFolderPath();
        DocFolder = home.path() + "/docs/";
        QDir().mkpath(DocFolder);
        frmzipx = new Tfrmzipx;
        dialog = frmVantraExport = new TfrmVantraExport(&host);
        CompleteDocument(path, 1100, {{"xm1", QStringLiteral("张三")}, {"xmlbdm", "B"}, {"cddw1", QStringLiteral("Arvel理工大学")},
                                      {"szxy", QStringLiteral("化学学院")}, {"email", "zhangsan@arvel.edu.cn"},
                                      {"yjqsjy", "2013"}, {"yjzsjy", "2015"}});
        copy = TempFolder + QStringLiteral("张三B上报文件.qvx");
        dialog->show();
    }
    ~SubmitTest() override
    {
        delete dialog;
        frmVantraExport = nullptr;
        delete frmzipx;
        frmzipx = nullptr;
    }
    QString LastNotice() const { return home.prompter.shown.isEmpty() ? QString() : home.prompter.shown.last().text; }
    bool Said(const QString& text) const { return home.prompter.texts().contains(text); }
    bool Package(const QString& file)
    {
        PackageState state;
        const PackageCheck checked = CheckPackage(state, file);
        return checked.ok && checked.entry == QStringLiteral("张三B上报文件.qvx");
    }
};

} // namespace

TEST(SubmitTypeDialog, DefaultsTextsAndKeptChoices)
{
    TestHome home;
    Tfrmsubmittype dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("提交申请书"));
    EXPECT_EQ(dialog.rgsubtype->ItemIndex(), 0);
    EXPECT_EQ(dialog.RadioGroupZip->ItemIndex(), 0);
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.labmsg->text(), SubmitTypeText(0));
        dialog.rgsubtype->findChildren<QRadioButton*>().at(1)->click();
        EXPECT_TRUE(dialog.labmsg->text().startsWith(QStringLiteral("方式:采用本机的MS Outlook Express发送提交文件邮件。\r\n\r\n要求:")));
        dialog.RadioGroupZip->findChildren<QRadioButton*>().at(1)->click();
        dialog.BitBtn1->click();
    });
    EXPECT_EQ(dialog.exec(), ModalOk);
    QTimer::singleShot(0, &dialog, [&] { dialog.BitBtn2->click(); });
    EXPECT_EQ(dialog.exec(), ModalCancel);
    EXPECT_EQ(dialog.rgsubtype->ItemIndex(), 1);  // kept for the next submission
    EXPECT_EQ(dialog.RadioGroupZip->ItemIndex(), 1);
    EXPECT_EQ(SubmitTypeText(0).split("\r\n\r\n").size(), 4);
}

TEST_F(SubmitTest, WhatTheCheckFindsStopsTheFlow)
{
    WriteFile(home.path() + "/bad.qvx", "no document");
    document.Open(home.path() + "/bad.qvx");
    dialog->Button1Click();
    EXPECT_TRUE(LastNotice().startsWith(QStringLiteral("无效项目申请书!\n文档 "))) << LastNotice().toStdString();
    EXPECT_TRUE(Marked(dialog->Label1));
    EXPECT_TRUE(dialog->isVisible());

    document.Open(home.path() + "/blank.qvx");
    createxms(document.CurDocPath());
    home.prompter.answers = {true};
    dialog->Button1Click();
    EXPECT_EQ(LastNotice(), QStringLiteral("正文字数少于一千! （当前正文 0 字） 要打开申请书吗？"));
    EXPECT_EQ(host.bodies, QStringList{document.CurDocPath()});

    SetCell(path, 2, 4, QString());  // no project name
    document.Open(path);
    home.prompter.answers = {true};
    dialog->Button1Click();
    EXPECT_EQ(LastNotice(), QStringLiteral("信息不全,请补全！,要打开申请书简表吗？"));
    EXPECT_EQ(host.shownWithoutWaiting, 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(document.CurDocPath(), path);
}

TEST_F(SubmitTest, APackageOnAFixedDiskIsBuiltWhereItGoes)
{
    home.picker.answers = {home.path() + QStringLiteral("/out/提交.zip")};
    QDir().mkpath(home.path() + "/out");
    dialog->Button1Click();
    ASSERT_EQ(home.picker.asked.size(), 1);
    EXPECT_EQ(home.picker.asked[0].title, QStringLiteral("请输入项目申请书上报文件名"));
    EXPECT_EQ(home.picker.asked[0].proposed, QStringLiteral("张三B上报文件.qvs"));
    EXPECT_EQ(home.picker.asked[0].filter, QStringLiteral("个人版上报文件(*.qvs)|*.qvs"));
    const QString target = home.path() + QStringLiteral("/out/提交.qvs");  // the extension is the package's
    EXPECT_TRUE(Package(target));
    EXPECT_FALSE(QFileInfo::exists(TempFolder + QStringLiteral("提交.qvs")));
    EXPECT_EQ(LastNotice(), PackageSuccessText);  // the test question was answered Cancel
    EXPECT_TRUE(Said(TestQuestionText));
    EXPECT_EQ(dialog->result(), ModalOk);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(document.CurDocPath(), path);
    EXPECT_TRUE(host.shortForms.isEmpty());
    EXPECT_EQ(opens, 2);  // the check, and the copy saved through the session
}

TEST_F(SubmitTest, ARemovableDriveGetsAPackageBuiltLocallyAndTestedFromTheDrive)
{
    const QString stick = home.path() + "/media/usb/";
    QDir().mkpath(stick);
    home.drives.kinds.insert(stick, DriveRemovable);
    home.picker.answers = {stick + "x.qvs"};
    home.prompter.answers = {true, true, true};  // test it; the short form and the body are right
    SetTag(screen, 1);
    dialog->Button1Click();
    EXPECT_TRUE(Package(stick + "x.qvs"));
    EXPECT_TRUE(Package(TempFolder + "x.qvs"));  // built and checked here first, copied back for the test
    const QString test = TempFolder + QStringLiteral("xmstest.jx");
    EXPECT_EQ(host.shortForms, QStringList{test});
    EXPECT_EQ(host.autoName, QList<bool>({false, true}));
    EXPECT_EQ(host.bodies, QStringList{test});
    EXPECT_TRUE(home.sleeper.slept.contains(1000));
    EXPECT_EQ(LastNotice(), PackageSuccessText);
    EXPECT_EQ(dialog->result(), ModalOk);
    EXPECT_EQ(document.CurDocPath(), path);
    EXPECT_EQ(Tag(screen), 0);  // the working document is read again next time
    EXPECT_EQ(screen->text("edxm1"), QStringLiteral("张三"));  // the short form of the file under test
    EXPECT_FALSE(Said(OpeningFailedText()));
}

TEST_F(SubmitTest, APlainCopyArrivesByteForByte)
{
    dialog->PackMode = PackPlain;
    QDir().mkpath(home.path() + "/out");
    home.picker.answers = {home.path() + "/out/plain.doc"};
    dialog->Button1Click();
    EXPECT_EQ(home.picker.asked[0].filter, QStringLiteral("个人版上报文件(*.qvx)|*.qvx"));
    EXPECT_EQ(ReadAll(home.path() + "/out/plain.qvx"), ReadAll(copy));
    EXPECT_FALSE(ReadAll(copy).isEmpty());
    EXPECT_EQ(LastNotice(), CopySuccessText);
    EXPECT_EQ(document.CurDocPath(), path);
}

TEST_F(SubmitTest, AReadOnlyDocumentIsNotReplacedByAPlainCopy)
{
    dialog->PackMode = PackPlain;
    const QString target = home.path() + "/kept.qvx";
    WriteFile(target, "the applicant's own");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    home.picker.answers = {target};
    dialog->Button1Click();
    EXPECT_EQ(LastNotice(), Explain(Outcome::failed(Cause::ReadOnly, target)));
    EXPECT_EQ(ReadAll(target), "the applicant's own");
    EXPECT_FALSE(Said(CopySuccessText));
}

TEST_F(SubmitTest, TheSubmissionCopyItselfIsNotSavedAgain)
{
    QFile::copy(path, copy);
    document.Open(copy);
    home.picker.answers = {home.path() + "/p.qvs"};
    dialog->Button1Click();
    EXPECT_EQ(opens, 1);  // only the check read it
    EXPECT_TRUE(Package(home.path() + "/p.qvs"));
    EXPECT_EQ(document.CurDocPath(), copy);
}

TEST_F(SubmitTest, CancellingATestQuestionEndsWithCancel)
{
    for (const QList<bool>& answers : {QList<bool>{true, false}, QList<bool>{true, true, false}}) {
        dialog->show();
        home.picker.answers = {home.path() + "/p.qvs"};
        home.prompter.answers = answers;
        const qsizetype said = home.prompter.shown.size();
        dialog->Button1Click();
        EXPECT_EQ(dialog->result(), ModalCancel);
        EXPECT_EQ(home.prompter.shown.size() - said, answers.size())  // the questions, no success notice
            << home.prompter.texts().mid(said).join('|').toStdString();
        EXPECT_EQ(document.CurDocPath(), path);
    }
}

TEST_F(SubmitTest, EmailModeBuildsInTheTemporaryFolderAndSaysNoSuccess)
{
    dialog->SubmitMode = SubmitMail;
    dialog->Button1Click();
    EXPECT_TRUE(home.picker.asked.isEmpty());
    EXPECT_EQ(dialog->MailFilePath, TempFolder + QStringLiteral("张三B上报文件.qvs"));
    EXPECT_TRUE(Package(dialog->MailFilePath));
    EXPECT_EQ(LastNotice(), TestQuestionText);
    EXPECT_EQ(dialog->result(), ModalOk);
    EXPECT_EQ(dialog->SubmitFieldValues.applicant, QStringLiteral("张三"));
    EXPECT_EQ(dialog->SubmitFieldValues.contact, "#");

    frmsendemail = new Tfrmsendemail;
    frmsendemail->edlxr->setText(QStringLiteral("老王"));
    frmsendemail->memtext->setPlainText("old");
    QString typedBody;
    QTimer::singleShot(0, frmsendemail, [&] {
        // Enter makes a new line in the body, and what is typed next goes there.
        frmsendemail->memtext->setFocus();
        QTest::keyClicks(frmsendemail->memtext, "a");
        QTest::keyClick(frmsendemail->memtext, Qt::Key_Return);
        QTest::keyClicks(frmsendemail->memtext, "b");
        typedBody = frmsendemail->memtext->toPlainText();
        frmsendemail->BitBtn2->click();
    });
    MailSubmission(dialog->SubmitFieldValues, dialog->MailFilePath);
    EXPECT_EQ(typedBody, "a\nb");  // the earlier body was emptied when the dialog was shown
    EXPECT_EQ(frmsendemail->edtsubject->text(),
              QStringLiteral("Arvel理工大学化学学院张三上报省高校项目申请书"));  // xmlb is empty in this document
    EXPECT_EQ(frmsendemail->edlxr->text(), QStringLiteral("老王"));  // lxr reads "#"
    EXPECT_EQ(frmsendemail->edemail->text(), "zhangsan@arvel.edu.cn");
    EXPECT_EQ(frmsendemail->stemailfile->text(), dialog->MailFilePath);
    EXPECT_TRUE(frmsendemail->stemailfileInfo->text().startsWith(QStringLiteral("创建时间:")));
    EXPECT_TRUE(frmsendemail->edxm1->isReadOnly());
    EXPECT_EQ(frmsendemail->edxm1->focusPolicy(), Qt::NoFocus);
    home.prompter.shown.clear();
    frmsendemail->edtaddress->setText("  ");
    frmsendemail->BitBtn1Click();
    EXPECT_EQ(LastNotice(), QStringLiteral("收信人邮址不能为空,请修改!"));
    delete frmsendemail;
    frmsendemail = nullptr;
}

TEST_F(SubmitTest, AFileThatDidNotArriveIsNeverASuccess)
{
    const QString gone = home.path() + "/media/pulled/";  // the stick was pulled: its folder is gone
    home.drives.kinds.insert(gone, DriveRemovable);
    home.picker.answers = {gone + "x.qvs"};
    dialog->Button1Click();
    EXPECT_TRUE(LastNotice().startsWith(QStringLiteral("申请书没有提交成功：无法保存文件"))) << LastNotice().toStdString();
    EXPECT_TRUE(LastNotice().contains(QStringLiteral("文件或文件夹不存在")));
    EXPECT_FALSE(Said(PackageSuccessText));
    EXPECT_FALSE(Said(TestQuestionText));
    EXPECT_TRUE(Marked(dialog->Label5));
    EXPECT_TRUE(dialog->isVisible());

    // A package that cannot be unpacked for the test is said so, without success.
    QDir().mkpath(TempFolder + QStringLiteral("xmstest.jx"));  // a folder where the test copy goes
    home.picker.answers = {home.path() + "/ok.qvs"};
    home.prompter.answers = {true};
    dialog->Button1Click();
    EXPECT_TRUE(LastNotice().contains(QStringLiteral("但测试时未能从中解压出申请书"))) << LastNotice().toStdString();
    EXPECT_FALSE(Said(PackageSuccessText));
    EXPECT_TRUE(host.shortForms.isEmpty());
    EXPECT_EQ(document.CurDocPath(), path);
}
