#include "AboutBox.h"
#include "CodeLookup.h"
#include "DocumentChooser.h"
#include "Edition.h"
#include "FieldCatalogue.h"
#include "Forms.h"
#include "Gb18030.h"
#include "MainWindow.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Package.h"
#include "Resources.h"
#include "SendEmail.h"
#include "Session.h"
#include "Simpleform.h"
#include "Startup.h"
#include "Tags.h"
#include "VantraExport.h"
#include "TestSupport.h"
#include "Word97Fixtures.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QSettings>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

TEST(DecideStart, TheDecisionTable)
{
    // argument, marker existed, default exists, tag
    EXPECT_EQ(DecideStart("", false, false, 2), StartAction::CreateDefault);
    EXPECT_EQ(DecideStart("", false, true, 2), StartAction::ShowChooser);
    EXPECT_EQ(DecideStart("", true, false, 2), StartAction::ShowChooser);
    EXPECT_EQ(DecideStart("", true, true, 2), StartAction::ShowChooser);
    EXPECT_EQ(DecideStart("", false, false, 1), StartAction::ShowChooser);
    EXPECT_EQ(DecideStart("_link", false, false, 2), StartAction::CreateDefault);
    EXPECT_EQ(DecideStart("_link", true, false, 2), StartAction::ShowChooser);
    EXPECT_EQ(DecideStart("/x/a.qvx", true, true, 2), StartAction::UseArgument);
    EXPECT_EQ(DecideStart("_LINK", false, false, 2), StartAction::UseArgument);
    EXPECT_TRUE(IsPackagePath("/x/a.qvs"));
    EXPECT_TRUE(IsPackagePath("/x/a.QVS"));
    EXPECT_FALSE(IsPackagePath("/x/a.QVX"));
    EXPECT_FALSE(IsPackagePath("/x/a.qvx"));
}

namespace {

struct Start : ::testing::Test {
    TestHome home;
    QString docs;

    Start() { docs = home.path() + QStringLiteral("/Documents/省高校申请书2013/"); }
    ~Start() override { FreeForms(); }

    // One run of the program up to the end of the first showing.
    void Run(const QStringList& arguments, std::function<void()> whileModal = {})
    {
        FreeForms();
        CreateForms();
        FrmVantraMain->Arguments = arguments;
        // A window that waits for a person and was not expected fails the test instead of hanging it.
        QTimer::singleShot(0, FrmVantraMain, whileModal ? whileModal : [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "unexpected modal window " << modal->objectName().toStdString();
                modal->close();
            }
        });
        FrmVantraMain->FormShow();
    }
    bool AsksOnClose()
    {
        const qsizetype before = home.prompter.shown.size();
        home.prompter.answers = {false};
        QCloseEvent event;
        QCoreApplication::sendEvent(FrmVantraMain, &event);
        home.prompter.answers.clear();
        return home.prompter.shown.size() > before && !event.isAccepted();
    }
};

} // namespace

TEST_F(Start, FirstRunMakesTheDefaultDocumentSilently)
{
    Run({});
    EXPECT_TRUE(home.prompter.shown.isEmpty()) << home.prompter.texts().join('\n').toStdString();
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), docs + QStringLiteral("省高校申请书.qvx"));
    EXPECT_EQ(ReadAll(FrmVantraMain->Document.CurDocPath()), *ResourceBytes("word", "xms"));
    EXPECT_EQ(ReadAll(docs + QStringLiteral("省高校vantra.txt")), ToGb18030(QStringLiteral("没有问题请不要删除本文件!")) + "\r\n");
    EXPECT_EQ(FrmVantraMain->windowTitle(), QStringLiteral("省高校申请书.qvx -Arvel省高校自然科学研究项目项目申报系统"));
    EXPECT_EQ(Tag(FrmVantraMain), 1);
    EXPECT_EQ(FieldData().size(), 96);
    EXPECT_EQ(FrmVantraMain->Document.LoadedValues.size(), 96);
    EXPECT_EQ(FrmVantraMain->Document.EditValues.size(), 96);
    EXPECT_TRUE(FrmVantraMain->AutoNameEnabled);
    EXPECT_EQ(FrmVantraMain->size(), QSize(600, 420));
    EXPECT_EQ(FrmVantraMain->windowHandle()->framePosition().y(), 0);  // the title bar on the screen
    EXPECT_EQ(YearText, "2013");
    EXPECT_EQ(FrmVantraMain->MaxProjectYears, 3);
    EXPECT_TRUE(QFileInfo::exists(HelpDocPath));
    EXPECT_TRUE(QFileInfo::exists(home.path() + "/.local/share/vantra/vantra_jxsqv.ico"));
    EXPECT_TRUE(QFileInfo::exists(home.path() + "/.local/share/applications/qvs_auto_file.desktop"));
    // File dialogs name the types as the filters do.
    EXPECT_TRUE(ReadAll(home.path() + "/.local/share/mime/packages/qvx_auto_file.xml").contains("<comment>项目申请书</comment>"));
    EXPECT_TRUE(QFileInfo(TempFolder).isDir());
    QSettings settings(home.path() + "/.config/vantra/vantra.ini", QSettings::IniFormat);
    EXPECT_FALSE(settings.value("qen/vantraqv").toString().isEmpty());
    EXPECT_TRUE(AsksOnClose());
}

TEST_F(Start, LaterStartsShowTheChooserEvenWithoutTheDefaultDocument)
{
    Run({});
    QFile::remove(FrmVantraMain->Document.CurDocPath());
    bool chooserShown = false;
    Run({}, [&] {
        chooserShown = frmfiledlg->isVisible();
        frmfiledlg->BitBtn4->click();
    });
    EXPECT_TRUE(chooserShown);
    EXPECT_TRUE(FrmVantraMain->CloseWithoutAsking);
    EXPECT_FALSE(AsksOnClose());
}

TEST_F(Start, ChoosersNewDocumentBecomesCurrent)
{
    Run({});
    Run({}, [&] { frmfiledlg->BitBtn1->click(); });
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), docs + QStringLiteral("省高校申请书1.qvx"));
    EXPECT_EQ(Tag(FrmVantraMain), 1);
    EXPECT_TRUE(AsksOnClose());
}

TEST_F(Start, LinkStartsLikeNoArgumentButClosesWithoutAsking)
{
    Run({"_link"});
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), docs + QStringLiteral("省高校申请书.qvx"));
    EXPECT_TRUE(QFileInfo::exists(FrmVantraMain->Document.CurDocPath()));
    EXPECT_FALSE(AsksOnClose());
}

TEST_F(Start, ADocumentArgumentIsTakenAsItIs)
{
    Run({home.path() + "/elsewhere/a.qvx"});
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), home.path() + "/elsewhere/a.qvx");
    EXPECT_FALSE(QFileInfo::exists(docs + QStringLiteral("省高校vantra.txt")));
    EXPECT_EQ(FrmVantraMain->windowTitle(), WindowTitleFor("a.qvx"));
    EXPECT_FALSE(AsksOnClose());
}

TEST_F(Start, APackageUnpacksToItsTarget)
{
    const QString doc = home.path() + QStringLiteral("/in/王五A.qvx");
    WriteFile(doc, *ResourceBytes("word", "xms"));
    PackageState state;
    CompressPackage(state, doc, home.path() + "/in/x.y.qvs", 2);
    QFile::remove(doc);
    Run({home.path() + "/in/x.y.qvs"});
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), home.path() + QStringLiteral("/in/x申请书.qvx"));
    EXPECT_EQ(ReadAll(FrmVantraMain->Document.CurDocPath()), *ResourceBytes("word", "xms"));
    EXPECT_TRUE(home.picker.asked.isEmpty());
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

TEST_F(Start, ADamagedPackageIsReportedAndItsTargetStaysCurrent)
{
    WriteFile(home.path() + "/in/bad.qvs", "not a package");
    Run({home.path() + "/in/bad.qvs"});
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), home.path() + QStringLiteral("/in/bad申请书.qvx"));
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].caption, NoticeCaption);
}

TEST_F(Start, AnOccupiedTargetAsksForAnotherName)
{
    const QString target = home.path() + QStringLiteral("/in/x申请书.qvx");
    WriteFile(target, "taken");
    home.picker.answers = {home.path() + "/in/mine.txt"};
    Run({home.path() + "/in/x.qvs"});
    ASSERT_EQ(home.picker.asked.size(), 1);
    EXPECT_EQ(home.picker.asked[0].title, QStringLiteral("本文件已打包，请输入解压的文件名。"));
    EXPECT_EQ(home.picker.asked[0].proposed, target);
    EXPECT_EQ(home.picker.asked[0].folder, docs);
    EXPECT_EQ(home.picker.asked[0].filter, DocumentsFilter());
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), home.path() + "/in/mine.qvx");
    EXPECT_EQ(ReadAll(target), "taken");

    Run({home.path() + "/in/x.qvs"});  // cancelled: the program ends without the question
    EXPECT_TRUE(FrmVantraMain->CloseWithoutAsking);
}

TEST_F(Start, ExitQuestionDeclinedKeepsTheWindowConfirmedEmptiesTheValues)
{
    Run({});
    home.prompter.answers = {true};
    QCloseEvent event;
    QCoreApplication::sendEvent(FrmVantraMain, &event);
    EXPECT_TRUE(event.isAccepted());
    EXPECT_EQ(home.prompter.shown.last().text, QStringLiteral("请问真的要退出系统吗？"));
    EXPECT_EQ(home.prompter.shown.last().caption, NoticeCaption);
}

TEST_F(Start, ExtractedFilesAreRefreshedOnlyWhenTheProgramChanged)
{
    Run({});
    WriteFile(HelpDocPath, "edited by hand");
    Run({home.path() + "/a.qvx"});
    EXPECT_EQ(ReadAll(HelpDocPath), "edited by hand");
    QSettings(home.path() + "/.config/vantra/vantra.ini", QSettings::IniFormat).setValue("qen/vantraqv", "old");
    Run({home.path() + "/a.qvx"});
    EXPECT_EQ(ReadAll(HelpDocPath), *ResourceBytes("text", "help"));
}

TEST_F(Start, ADamagedSettingsFileIsReplaced)
{
    WriteFile(home.path() + "/.config/vantra/vantra.ini", QByteArray("\xff\xfe[qen\x00\x01garbage=", 16));
    Run({});
    EXPECT_TRUE(home.prompter.shown.isEmpty()) << home.prompter.texts().join('\n').toStdString();
    QSettings settings(home.path() + "/.config/vantra/vantra.ini", QSettings::IniFormat);
    EXPECT_FALSE(settings.value("qen/vantraqv").toString().isEmpty());
}

TEST_F(Start, AnUnwritableDocumentFolderIsReported)
{
    WriteFile(home.path() + "/Documents", "a file, not a folder");
    Run({"_link"});
    ASSERT_FALSE(home.prompter.shown.isEmpty());
    EXPECT_EQ(home.prompter.shown.first().icon, NoticeIcon::Error);
    EXPECT_TRUE(home.prompter.shown.first().text.contains(QStringLiteral("省高校申请书2013")));
    EXPECT_NE(Tag(FrmVantraMain), 2);
}

namespace {

// Opens "申请书简表", fills the fields given while it is open, and closes it.
void EditShortForm(const QMap<QString, QString>& values, std::function<void()> alsoWhileOpen = {})
{
    QTimer::singleShot(0, FrmSimpleform, [values, alsoWhileOpen] {
        for (auto it = values.begin(); it != values.end(); ++it)
            FrmSimpleform->setText(it.key(), it.value());
        if (alsoWhileOpen)
            alsoWhileOpen();
        FrmSimpleform->close();
    });
    FrmVantraMain->TbSimpleform->trigger();
}

} // namespace

TEST_F(Start, WindowsNotShownAtStartAreMadeAtTheirFirstUse)
{
    Run({}, [] {});
    EXPECT_EQ(FrmSimpleform.built(), nullptr);
    EXPECT_EQ(frmAbout.built(), nullptr);
    EXPECT_EQ(frmcode.built(), nullptr);
    EXPECT_EQ(frmVantraExport.built(), nullptr);
    EXPECT_EQ(frmsendemail.built(), nullptr);
    // Made ahead while the program waits, it is not shown, and opens as it would have.
    PrepareLikelyWindows();
    ASSERT_NE(FrmSimpleform.built(), nullptr);
    EXPECT_FALSE(FrmSimpleform->isVisible());
    EXPECT_EQ(FrmSimpleform->parentWidget(), FrmVantraMain);  // still kept above the main window
    EXPECT_EQ(FrmSimpleform->MaxProjectYears, FrmVantraMain->MaxProjectYears);
    EditShortForm({{"edxm1", QStringLiteral("张三")}, {"edxmlbdm", "B"}});
    EXPECT_EQ(FrmVantraMain->NamingBase, QStringLiteral("2013B张三"));
}

TEST_F(Start, TheShortFormNamesTheDocumentAfterTheApplicant)
{
    Run({}, [] {});
    const QString first = FrmVantraMain->Document.CurDocPath();
    EditShortForm({});  // nobody's name yet: the new document keeps its own
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), first);
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EditShortForm({{"edxm1", QStringLiteral("张三")}, {"edxmlbdm", "B"}});
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), docs + QStringLiteral("省高校2013B张三.qvx"));
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_EQ(FrmVantraMain->windowTitle(), WindowTitleFor(FrmVantraMain->Document.CurDocPath()));
    EXPECT_EQ(home.prompter.texts().last(), QStringLiteral("系统自动命名申请书为:省高校2013B张三"));
    EXPECT_EQ(FrmVantraMain->ApplicantId, QString());

    // Named already: nothing happens, nothing is said.
    const qsizetype said = home.prompter.shown.size();
    EditShortForm({});
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), docs + QStringLiteral("省高校2013B张三.qvx"));
    EXPECT_EQ(home.prompter.shown.size(), said);

    // A second application of the same person in the same folder gets the free-name suffix.
    FrmVantraMain->Document.Open(docs + QStringLiteral("省高校申请书.qvx"));
    createxms(FrmVantraMain->Document.CurDocPath());
    SetTag(FrmSimpleform, 0);
    EditShortForm({{"edxm1", QStringLiteral("张三")}, {"edxmlbdm", "B"}});
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), docs + QStringLiteral("省高校2013B张三1.qvx"));
    EXPECT_EQ(FrmVantraMain->NamingBase, QStringLiteral("2013B张三1"));
}

TEST_F(Start, EveryCharacterAPersonTypesGoesAllTheWay)
{
    // CJK extensions B and A and the ideographic zero; Tibetan, Mongolian, Uyghur and Yi.
    const QString name = QStringLiteral("𠮷䶮〇");
    const QString title = QStringLiteral("བོད ᠮᠣᠩᠭᠣᠯ ئۇيغۇر ꆈꌠ");  // 71 of the 80 bytes
    Run({}, [] {});
    QTimer::singleShot(0, FrmSimpleform, [&] {
        for (const auto& [field, text] : {std::pair{QStringLiteral("edxm1"), name}, std::pair{QStringLiteral("edxmmc"), title}}) {
            QWidget* control = FrmSimpleform->control(field);
            control->setFocus();
            for (const char32_t c : text.toUcs4()) {  // as an input method commits them, one by one
                QInputMethodEvent commit(QString(), {});
                commit.setCommitString(QString::fromUcs4(&c, 1));
                QApplication::sendEvent(control, &commit);
            }
        }
        FrmSimpleform->setText("edxmlbdm", "B");
        FrmSimpleform->close();
    });
    FrmVantraMain->TbSimpleform->trigger();
    // The automatic naming, the document and a package with its unpacking keep every character.
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), docs + QStringLiteral("省高校2013B") + name + ".qvx");
    DocumentEngine word;
    const auto doc = word.Open(FrmVantraMain->Document.CurDocPath(), false, true);
    EXPECT_EQ(doc->CellText(2, 6), name + "\r\a");
    EXPECT_EQ(doc->CellText(2, 4), title + "\r\a");
    PackageState state;
    const QString package = home.path() + "/p.qvs";
    ASSERT_TRUE(CompressPackage(state, FrmVantraMain->Document.CurDocPath(), package, 2).ok);
    const PackageCheck checked = CheckPackage(state, package);
    ASSERT_TRUE(checked.ok);
    EXPECT_EQ(checked.entry, QStringLiteral("省高校2013B") + name + ".qvx");
    ASSERT_TRUE(ExtractPackage(state, package, home.path() + "/back.qvx").ok);
    EXPECT_EQ(ReadAll(home.path() + "/back.qvx"), ReadAll(FrmVantraMain->Document.CurDocPath()));
}

TEST_F(Start, AnIncompleteShortFormFoundBySubmissionOpensWithItsProblems)
{
    Run({}, [] {});
    FrmVantraMain->ShowShortFormWithoutWaiting();
    EXPECT_TRUE(FrmSimpleform->isVisible());
    EXPECT_TRUE(FrmSimpleform->ProblemPanel->isVisible());
    EXPECT_GT(FrmSimpleform->ProblemList->count(), 20);
    FrmSimpleform->close();
}

TEST_F(Start, NamingStopsForIdentityNumbersShortPathsAndFailedRenames)
{
    const QString id = "11010519491231002X";
    const QStringList kept = {docs + "app" + id + ".qvx", docs + "PROGRA~1.qvx", docs + "gone.qvx"};
    for (const QString& path : kept) {
        Run({path}, [] {});
        createxms(path);
        SetTag(FrmSimpleform, 0);
        EditShortForm({{"edxm1", QStringLiteral("李四")}, {"edsfzh1", id}}, [this, path] {
            if (path.endsWith("gone.qvx")) {
                QFile::remove(path);  // the rename then fails: nothing changes, nothing is said
                home.prompter.answers = {false, true};  // no new document; leave although nothing was stored
            }
        });
        EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), path);
        EXPECT_EQ(FrmVantraMain->windowTitle(), WindowTitleFor(path));
        EXPECT_FALSE(home.prompter.texts().join('\n').contains(QStringLiteral("系统自动命名"))) << path.toStdString();
    }
}

TEST_F(Start, AShortFormThatCannotLoadMakesTheExitSilent)
{
    Run({}, [] {});
    WriteFile(FrmVantraMain->Document.CurDocPath(), "not a document");
    FrmVantraMain->TbSimpleform->trigger();
    EXPECT_TRUE(FrmVantraMain->CloseWithoutAsking);
    EXPECT_EQ(Tag(FrmSimpleform), 0);
    EXPECT_EQ(ReadAll(FrmVantraMain->Document.CurDocPath()), "not a document");
}

TEST_F(Start, AWindowsEditionDocumentIsConvertedOnlyWhenTheUserAgrees)
{
    Run({}, [] {});
    const QString old = FrmVantraMain->Document.CurDocPath();
    const QByteArray bytes = word97test::CompoundFileOf({{"WordDocument", QByteArray(1024, '\0')}});
    WriteFile(old, bytes);
    FrmVantraMain->TbSimpleform->trigger();  // the question is answered 取消
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_TRUE(home.prompter.texts().first().startsWith(QStringLiteral("本申请书是旧版（Word 97–2003）格式")));
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), old);
    EXPECT_EQ(Tag(FrmSimpleform), 0);  // the screen never opened
    // 确定, and the conversion cannot be made: it is said, and nothing changes.
    home.prompter.answers = {true};
    FrmVantraMain->TbSimpleform->trigger();
    ASSERT_EQ(home.prompter.shown.size(), 3);
    EXPECT_TRUE(home.prompter.texts().last().contains(old)) << home.prompter.texts().last().toStdString();
    EXPECT_EQ(FrmVantraMain->Document.CurDocPath(), old);
    EXPECT_EQ(ReadAll(old), bytes);
    EXPECT_TRUE(QDir(QFileInfo(old).path()).entryList({QStringLiteral("*新格式*")}).isEmpty());
}

TEST_F(Start, AMissingDocumentIsSaidPlainly)
{
    Run({}, [] {});
    QFile::remove(FrmVantraMain->Document.CurDocPath());
    FrmVantraMain->TbSimpleform->trigger();
    ASSERT_FALSE(home.prompter.shown.isEmpty());
    EXPECT_EQ(home.prompter.texts().last(), QStringLiteral("找不到申请书文件:") + FrmVantraMain->Document.CurDocPath());
    EXPECT_FALSE(FrmVantraMain->CloseWithoutAsking);
}

TEST_F(Start, BodyTextOpensInTheWordProcessorWithAOneTimeWarning)
{
    Run({});
    home.processes.installed = {"soffice"};
    FrmVantraMain->Tbtext->trigger();
    FrmVantraMain->Tbtext->trigger();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("在word中，您只能“保存”,禁止“另存为”!"));
    ASSERT_EQ(home.processes.started.size(), 2);
    EXPECT_EQ(home.processes.started[0].arguments, QStringList({"--writer", FrmVantraMain->Document.CurDocPath()}));
    EXPECT_EQ(home.processes.started[0].folder, docs.chopped(1));
}

TEST_F(Start, NoWordProcessorInstalledIsSaid)
{
    Run({});
    FrmVantraMain->SaveAsWarned = true;
    FrmVantraMain->Tbtext->trigger();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_TRUE(home.prompter.shown[0].text.contains("LibreOffice"));
}

TEST_F(Start, TheBodyTextSaysWhatHappensAndWhatIsMissing)
{
    Run({});
    home.processes.installed = {"soffice"};
    FrmVantraMain->Tbtext->trigger();
    EXPECT_EQ(FrmVantraMain->StatusPanel->text(), QStringLiteral("正在用文字处理软件打开申请书，请稍候……"));
    home.processes.startWorks = false;
    FrmVantraMain->Tbtext->trigger();
    EXPECT_EQ(home.prompter.texts().last(), QStringLiteral("无法启动文字处理软件 /usr/bin/soffice --writer，请检查它是否安装完好。"));
    QFile::remove(FrmVantraMain->Document.CurDocPath());
    FrmVantraMain->Tbtext->trigger();
    EXPECT_EQ(home.prompter.texts().last(), QStringLiteral("找不到申请书文件:") + FrmVantraMain->Document.CurDocPath());
    EXPECT_FALSE(home.prompter.texts().join('\n').contains(QStringLiteral("文件已打开")));
}

TEST_F(Start, WindowMannersAndKeys)
{
    Run({});
    EXPECT_EQ(FrmVantraMain->TbSimpleform->shortcut(), QKeySequence(QStringLiteral("Alt+1")));
    EXPECT_TRUE(FrmVantraMain->tbexit->toolTip().endsWith(QStringLiteral("（Alt+5）")));
    EXPECT_TRUE(FrmVantraMain->tbabout->toolTip().startsWith(QStringLiteral("您有问题，请点我一下好吗？")));
    const QLabel* greeting = FrmVantraMain->StatusPanel;
    EXPECT_GE(greeting->width(), greeting->fontMetrics().horizontalAdvance(greeting->text()));
    EXPECT_FALSE(FrmVantraMain->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(FrmVantraMain->minimumSize(), FrmVantraMain->maximumSize());
    EXPECT_TRUE(frmfiledlg->BitBtn2->autoDefault());  // Return presses the focused button
}
