// Edits survive a crash: the journal of unstored values, a killed process, and what a later
// opening offers; the status bar tells when a save worked.
#include "DocumentEngine.h"
#include "ScreenFixture.h"

#include "EditJournal.h"
#include "SafeWrite.h"
#include "ShortForm.h"
#include "Tags.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QProcess>
#include <QUrl>
#include <csignal>
#include <cstdio>

namespace {

// Leaves the field as the Tab key would: its exit rule runs and the journal is written.
void Leave(QWidget* field)
{
    QTest::keyClick(field, Qt::Key_Tab);
}

// The role of the killed program, played by this test binary in a child process.
constexpr char ChildDocument[] = "VANTRA_JOURNAL_CHILD_DOCUMENT";
constexpr char ChildHome[] = "VANTRA_JOURNAL_CHILD_HOME";
const QString TypedBeforeTheCrash = QStringLiteral("崩溃前输入的题目");
constexpr char ChildRenamedTo[] = "VANTRA_JOURNAL_CHILD_RENAMED";

} // namespace

TEST_F(ScreenTest, EveryFieldExitJournalsTheChangedValuesOnly)
{
    const QString journal = JournalPath(QFileInfo(path).canonicalFilePath());
    Show([&] {
        auto* title = Control<QLineEdit>("edxmmc");
        title->setFocus();
        Type(title, QStringLiteral("新题目"));
        EXPECT_FALSE(QFileInfo::exists(journal));  // typing waits for the interval
        Leave(title);
        const std::optional<EditJournal> kept = ReadJournal(QFileInfo(path).canonicalFilePath());
        ASSERT_TRUE(kept.has_value());
        EXPECT_EQ(kept->values, (QMap<QString, QString>{{"xmmc", QStringLiteral("新题目")}}));
        EXPECT_TRUE(kept->document.sameAs(document.LoadedDocument));
        EXPECT_EQ(Cell(2, 4), QString());  // the document is not written until a save

        screen->sbSave->click();
        EXPECT_FALSE(QFileInfo::exists(journal));
        EXPECT_TRUE(screen->SaveState->text().startsWith(QStringLiteral("已保存 ")));
        EXPECT_EQ(Cell(2, 4), QStringLiteral("新题目"));
    });
    EXPECT_FALSE(QFileInfo::exists(journal));
}

TEST_F(ScreenTest, AJournalIsOfferedRestoredAsEditsOrRemoved)
{
    document.LoadShortForm(*screen);  // the identity the journal was written against
    const QString resolved = QFileInfo(path).canonicalFilePath();
    const EditJournal kept{document.LoadedDocument, QDateTime(QDate(2026, 12, 9), QTime(8, 5)), {{"xmmc", QStringLiteral("恢复的题目")}}};
    ASSERT_TRUE(WriteJournal(kept).written());
    home.prompter.answers = {true};
    Show([&] {
        EXPECT_EQ(screen->text("edxmmc"), QStringLiteral("恢复的题目"));
        EXPECT_EQ(Cell(2, 4), QString());  // an edit like any other, stored by the close
    });
    EXPECT_EQ(home.prompter.texts().first(), QStringLiteral("发现上次未保存的修改（2026年12月9日 08:05），要恢复吗？"));
    EXPECT_EQ(Cell(2, 4), QStringLiteral("恢复的题目"));
    EXPECT_FALSE(QFileInfo::exists(JournalPath(resolved)));

    // 取消 removes it.
    ASSERT_TRUE(WriteJournal({document.LoadedDocument, QDateTime::currentDateTime(), {{"xmmc", QStringLiteral("不要了")}}}).written());
    SetTag(screen, 0);
    home.prompter.answers = {false};
    Show([&] { EXPECT_EQ(screen->text("edxmmc"), QStringLiteral("恢复的题目")); });
    EXPECT_FALSE(QFileInfo::exists(JournalPath(resolved)));
}

TEST_F(ScreenTest, AJournalOfAnotherDocumentOrADamagedOneIsNeverApplied)
{
    document.LoadShortForm(*screen);
    const QString resolved = QFileInfo(path).canonicalFilePath();
    EditJournal stranger{document.LoadedDocument, QDateTime::currentDateTime(), {{"xmmc", QStringLiteral("别人的")}}};
    stranger.document.inode += 1;  // another file has come to stand at this path since
    ASSERT_TRUE(WriteJournal(stranger).written());
    Show([&] { EXPECT_EQ(screen->text("edxmmc"), QString()); });
    EXPECT_FALSE(QFileInfo::exists(JournalPath(resolved)));

    WriteFile(JournalPath(resolved), "{\"format\": \"vantra-edit-journal-1\", \"document\": ");  // cut short
    SetTag(screen, 0);
    Show([&] { EXPECT_EQ(screen->text("edxmmc"), QString()); });
    EXPECT_FALSE(QFileInfo::exists(JournalPath(resolved)));
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

TEST_F(ScreenTest, NoJournalForADocumentThatFailedToLoad)
{
    WriteFile(path, "damaged");
    screen->exec();
    Type(Control("edxmmc"), QStringLiteral("不该保存"));
    screen->JournalNow();
    const QDir journals(QFileInfo(JournalPath(path)).path());
    EXPECT_TRUE(!journals.exists() || journals.isEmpty(QDir::Files));
}

TEST_F(ScreenTest, OpeningRemovesWhatAKilledSaveLeftBesideTheDocument)
{
    const QString folder = home.path() + "/elsewhere";
    QDir().mkpath(folder);
    path = folder + "/b.qvx";
    createxms(path);
    document.Open(path);
    const QString stale = folder + "/" + TemporaryMark + "b.qvx-12ab34";
    WriteFile(stale, QByteArray(ReadAll(path).size(), 'x'));
    Show();
    EXPECT_FALSE(QFileInfo::exists(stale));
}

// The child's part: type, leave the field, say so, and wait to be killed.
TEST_F(ScreenTest, ChildTypesAndIsKilled)
{
    const QByteArray document = qgetenv(ChildDocument);
    if (document.isEmpty())
        GTEST_SKIP() << "run by KilledWhileEditing in a child process";
    qputenv("HOME", qgetenv(ChildHome));
    path = QString::fromUtf8(document);
    this->document.Open(path);
    // Named automatically after a first close, as the main window names it, and edited again.
    if (const QByteArray renamed = qgetenv(ChildRenamedTo); !renamed.isEmpty()) {
        Show([&] { Type(Control("edxmmc"), QStringLiteral("改名前")); });
        ASSERT_TRUE(this->document.MoveTo(QString::fromUtf8(renamed)).ok());
    }
    Show([&] {
        auto* title = Control<QLineEdit>("edxmmc");
        title->setFocus();
        title->clear();
        Type(title, TypedBeforeTheCrash);
        Leave(title);
        std::puts("journaled");
        std::fflush(stdout);
        std::getchar();  // the parent never answers: it kills
    });
}

// Runs ChildTypesAndIsKilled on path and kills it once it has journaled; renamedTo: the
// document is named automatically first.
void KillTheEditingChild(const QString& path, const QString& home, const QString& renamedTo = {})
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ChildDocument, path);
    environment.insert(ChildHome, home);
    if (!renamedTo.isEmpty())
        environment.insert(ChildRenamedTo, renamedTo);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=ScreenTest.ChildTypesAndIsKilled"});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray said;
    while (!said.contains("journaled") && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    ASSERT_TRUE(said.contains("journaled")) << said.constData();
    ::kill(pid_t(child.processId()), SIGKILL);  // the test's own child, as a crash would end it
    child.waitForFinished();
}

TEST_F(ScreenTest, KilledWhileEditingLosesNothing)
{
    KillTheEditingChild(path, home.path());
    EXPECT_EQ(Cell(2, 4), QString());  // nothing was stored

    home.prompter.answers = {true};
    Show([&] { EXPECT_EQ(screen->text("edxmmc"), TypedBeforeTheCrash); });
    ASSERT_FALSE(home.prompter.texts().isEmpty());
    EXPECT_TRUE(home.prompter.texts().first().startsWith(QStringLiteral("发现上次未保存的修改（")));
    EXPECT_EQ(Cell(2, 4), TypedBeforeTheCrash);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.qvx"}));
}

TEST_F(ScreenTest, EditsTypedAfterTheAutomaticNamingSurviveAKill)
{
    const QString named = home.path() + QStringLiteral("/省高校2013B张三.qvx");
    KillTheEditingChild(path, home.path(), named);
    ASSERT_TRUE(QFileInfo::exists(named));
    EXPECT_EQ(Cell(2, 4, named), QStringLiteral("改名前"));  // stored by the first close

    // The program starts again on the document under its new name: the journal is there.
    document.Open(named);
    home.prompter.answers = {true};
    Show([&] { EXPECT_EQ(screen->text("edxmmc"), TypedBeforeTheCrash); });
    EXPECT_EQ(Cell(2, 4, named), TypedBeforeTheCrash);
    // Nothing is left under the old name, and the stored journal is gone.
    const QDir journals(QFileInfo(JournalPath(named)).path());
    EXPECT_TRUE(journals.entryList(QDir::Files).isEmpty()) << journals.entryList(QDir::Files).join(' ').toStdString();
}

// The roles that tests/editor/journal_kill.py plays at random moments: a program that edits,
// journals and saves without end, and one that opens the document again afterwards.
TEST_F(ScreenTest, ChildEditsAndSavesUntilKilled)
{
    const QByteArray document = qgetenv("VANTRA_JOURNAL_LOOP_DOCUMENT");
    if (document.isEmpty())
        GTEST_SKIP() << "run by tests/editor/journal_kill.py";
    qputenv("HOME", qgetenv(ChildHome));
    path = QString::fromUtf8(document);
    this->document.Open(path);
    home.prompter.answers = {true};
    Show([&] {
        std::puts("ready");
        std::fflush(stdout);
        auto* title = Control<QLineEdit>("edxmmc");
        // Values count on from the round's first number, so that a later value is a larger one.
        for (int round = qEnvironmentVariableIntValue("VANTRA_JOURNAL_LOOP_FIRST");; ++round) {
            title->setFocus();
            title->clear();
            Type(title, QStringLiteral("v%1").arg(round));
            Leave(title);
            if (round % 2 == 0)
                screen->sbSave->click();
        }
    });
}

TEST_F(ScreenTest, ChildOpensAgain)
{
    const QByteArray document = qgetenv("VANTRA_JOURNAL_CHECK_DOCUMENT");
    if (document.isEmpty())
        GTEST_SKIP() << "run by tests/editor/journal_kill.py";
    qputenv("HOME", qgetenv(ChildHome));
    path = QString::fromUtf8(document);
    this->document.Open(path);
    home.prompter.answers = {true};
    Show([&] {
        std::printf("shown=%s\nasked=%d\n", qPrintable(screen->text("edxmmc")), int(!home.prompter.shown.isEmpty()));
        std::fflush(stdout);
    });
}

TEST_F(ScreenTest, PreviewStoresTheScreensEditsFirst)
{
    home.processes.installed = {"soffice"};
    home.processes.runs = [this](const QString&, const QStringList& arguments) {
        // What LibreOffice is given already holds the edit.
        const QString copy = arguments.last();
        DocumentEngine word;
        const QString title = word.Open(copy, false, true)->CellText(2, 4);
        WriteFile(arguments.at(arguments.indexOf("--outdir") + 1) + QStringLiteral("/申请书.pdf"), title.toUtf8());
        return RunOutcome{true, false, false, 0, {}};
    };
    Show([&] {
        screen->setText("edxmmc", QStringLiteral("预览前的修改"));
        screen->sbPreview->click();
    });
    EXPECT_EQ(Cell(2, 4), QStringLiteral("预览前的修改"));
    ASSERT_EQ(home.opener.opened.size(), 1);
    EXPECT_TRUE(ReadAll(QUrl(home.opener.opened[0]).toLocalFile()).startsWith(QStringLiteral("预览前的修改").toUtf8()));
}
