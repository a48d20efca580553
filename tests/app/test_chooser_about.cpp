#include "AboutBox.h"
#include "DocumentLock.h"
#include "WordSession.h"
#include "DocumentChooser.h"
#include "Edition.h"
#include "FileDialogs.h"
#include "Forms.h"
#include "Resources.h"
#include "Session.h"
#include "TestSupport.h"
#include "WidgetSeams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include "Translation.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTranslator>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

struct ChooserFixture : ::testing::Test {
    TestHome home;
    TfrmunivForm holder;
    Tfrmfiledlg chooser;
    ChooserFixture()
    {
        frmunivForm = &holder;
        DocFolder = home.path() + "/docs/";
        QDir().mkpath(DocFolder);
    }
    ~ChooserFixture() override { frmunivForm = nullptr; }
};

} // namespace

TEST_F(ChooserFixture, NewWritesTheBlankDocumentUnderAFreeName)
{
    chooser.BitBtn1->click();
    EXPECT_EQ(chooser.result(), Tfrmfiledlg::ResultNew);
    EXPECT_EQ(chooser.ChosenPath, DocFolder + QStringLiteral("省高校申请书.qvx"));
    EXPECT_EQ(ReadAll(chooser.ChosenPath), *ResourceBytes("word", "xms"));
    chooser.BitBtn1->click();
    EXPECT_EQ(chooser.ChosenPath, DocFolder + QStringLiteral("省高校申请书1.qvx"));
}

TEST_F(ChooserFixture, OpenStaysUntilAFileIsChosen)
{
    home.picker.answers = {QString(), "/some/where/x.qvs"};
    int result = -1;
    QTimer::singleShot(0, &chooser, [&] {
        EXPECT_EQ(chooser.focusWidget(), chooser.BitBtn2);
        chooser.BitBtn2->click();
        EXPECT_TRUE(chooser.isVisible());
        EXPECT_TRUE(chooser.ChosenPath.isEmpty());
        chooser.BitBtn2->click();
    });
    result = chooser.exec();
    EXPECT_EQ(result, Tfrmfiledlg::ResultChosen);
    EXPECT_EQ(chooser.ChosenPath, "/some/where/x.qvs");
    ASSERT_EQ(home.picker.asked.size(), 2);
    EXPECT_EQ(home.picker.asked[0].title, QStringLiteral("请选择项目申请书或个人上报文件"));
    EXPECT_EQ(home.picker.asked[0].folder, DocFolder);
    EXPECT_EQ(home.picker.asked[0].filter, DocumentsAndPackagesFilter());
}

TEST_F(ChooserFixture, EscapeAndExitAnswerTwo)
{
    QTimer::singleShot(0, &chooser, [&] { chooser.reject(); });
    EXPECT_EQ(chooser.exec(), Tfrmfiledlg::ResultExit);
    QTimer::singleShot(0, &chooser, [&] { chooser.BitBtn4->click(); });
    EXPECT_EQ(chooser.exec(), Tfrmfiledlg::ResultExit);
    EXPECT_EQ(chooser.windowTitle(), WelcomeTitleText);
    // The whole title fits the title bar.
    EXPECT_GE(chooser.width(), QFontMetrics(chooser.font()).horizontalAdvance(WelcomeTitleText) + 120);
}

TEST(FileDialogs, SaveDialogPassesItsProposal)
{
    TestHome home;
    TfrmunivForm holder;
    home.picker.answers = {"/a/b.qvx"};
    QString answer;
    holder.SaveDlg("t", "/f/", DocumentsFilter(), "p.qvx", answer);
    EXPECT_EQ(answer, "/a/b.qvx");
    EXPECT_EQ(home.picker.asked[0].proposed, "p.qvx");
    holder.OpenDlgOne("t", "/f/", DocumentsFilter(), answer);
    EXPECT_TRUE(answer.isEmpty());
}

TEST(FileDialogs, PipeFiltersBecomeQtFilters)
{
    EXPECT_EQ(ToQtFilters(DocumentsAndPackagesFilter()),
              QStringList({QStringLiteral("项目申请书(*.qvx)"), QStringLiteral("个人上报文件(*.qvs)")}));
    EXPECT_EQ(ToQtFilters("All|*.a;*.b"), QStringList({"All (*.a *.b)"}));
    EXPECT_TRUE(ToQtFilters("").isEmpty());
}

TEST(AboutBox, RevealEndsWithThePicture)
{
    QImage picture(136, 101, QImage::Format_RGB32);
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            picture.setPixel(x, y, qRgb(x, y, (x * y) & 0xff));
    QImage frame(picture.size(), QImage::Format_RGB32);
    frame.fill(Qt::black);
    RevealStep(frame, picture, 0);
    RevealStep(frame, picture, 2);
    // After k = 2 the outermost columns came in from the opposite sides.
    EXPECT_EQ(frame.pixel(1, 0), picture.pixel(135, 0));
    EXPECT_EQ(frame.pixel(134, 0), picture.pixel(0, 0));
    EXPECT_NE(frame, picture);
    for (int k = 4; k <= picture.width(); k += 2)
        RevealStep(frame, picture, k);
    EXPECT_EQ(frame, picture);
}

TEST(AboutBox, BannerOnceLinksAndHelp)
{
    TestHome home;
    YearText = "2013";
    TfrmAbout about;
    about.BannerText = QStringLiteral("科研项目申报系统");
    const int labelsBefore = int(about.findChildren<QLabel*>().size());
    about.show();
    about.hide();
    about.show();
    EXPECT_EQ(about.findChildren<QLabel*>().size(), labelsBefore + 4);
    EXPECT_EQ(about.Banner.slot[0]->text(), QStringLiteral("科研项目申报系统"));
    EXPECT_EQ(about.LabelVersion->text(), "2013");
    EXPECT_EQ(about.size(), QSize(452, 378));

    emit about.LabelSupport->linkActivated("mailto:" + SupportAddress);
    emit about.LabelHomePage->linkActivated(HomePageText);
    EXPECT_EQ(home.opener.opened, QStringList({"mailto:" + SupportAddress, HomePageText}));
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    // A desktop with nothing to open them: the address is said.
    home.opener.works = false;
    emit about.LabelHomePage->linkActivated(HomePageText);
    EXPECT_TRUE(home.prompter.texts().last().endsWith("\r\n" + HomePageText));
    emit about.LabelSupport->linkActivated("mailto:" + SupportAddress);
    EXPECT_TRUE(home.prompter.texts().last().endsWith("\r\n" + SupportAddress));
    home.prompter.shown.clear();
    home.opener.works = true;
    EXPECT_TRUE(about.LabelHomePage->text().contains(HomePageText));

    // The help document opens in the word processor once the lock finds it free.
    HelpDocPath = home.path() + "/help.doc";
    WriteFile(HelpDocPath, "help");
    home.processes.installed = {"lowriter"};
    about.BitBtn2->click();
    ASSERT_EQ(home.processes.started.size(), 1);
    EXPECT_EQ(home.processes.started[0].program, "/usr/bin/lowriter");
    EXPECT_EQ(home.processes.started[0].arguments, QStringList({HelpDocPath}));
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    // A missing help document gets the lock's notice and nothing opens.
    QFile::remove(HelpDocPath);
    about.BitBtn2->click();
    EXPECT_EQ(home.processes.started.size(), 1);
    EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("help.doc文件已打开!!!")}));
    about.BitBtn1->click();
    EXPECT_EQ(about.result(), 1);
}

TEST(QtTexts, NoticesAndDialogsSpeakChinese)
{
    QTranslator* chinese = InstallQtChinese();
    ASSERT_NE(chinese, nullptr) << "qt6-translations-l10n is not installed";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("File &name:"));  // the file dialogs too
    QCoreApplication::removeTranslator(chinese);
    delete chinese;
}
