#include "DocumentLock.h"
#include "Edition.h"
#include "Failure.h"
#include "Processes.h"
#include "Resources.h"
#include "TestSupport.h"
#include "WordSession.h"

#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct SessionTest : ::testing::Test {
    TestHome home;
    Tlockqen lock;
    QString path;
    SessionTest()
    {
        DocLock = &lock;
        path = home.path() + "/a.qvx";
        createxms(path);
    }
    ~SessionTest() override { DocLock = nullptr; }
};

} // namespace

TEST_F(SessionTest, OpenRecordsProtectionAndCloseRestoresIt)
{
    Twordqen session;
    ASSERT_TRUE(session.WordStarted);
    ASSERT_TRUE(session.OpenDocument(path));
    EXPECT_TRUE(session.WarnOnQuit);
    EXPECT_EQ(session.ProtectionList, QStringList({"1", "0"}));
    session.Doc->SetProtectedForForms(2, true);  // whatever happens meanwhile
    session.Doc->SetCellText(4, 3, QStringLiteral("项目"));
    ASSERT_TRUE(session.CloseDocument(true));
    EXPECT_FALSE(session.CloseDocument(true));  // already closed

    ASSERT_TRUE(session.OpenDocument(path));
    EXPECT_EQ(session.ProtectionList, QStringList({"1", "0"}));
    EXPECT_EQ(session.Doc->CellText(4, 3), QStringLiteral("项目\r\a"));
    ASSERT_TRUE(session.CloseDocument(false));
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

TEST_F(SessionTest, UnprotectedDocumentsOpenOtherPasswordsDoNot)
{
    Twordqen session;
    ASSERT_TRUE(session.OpenDocument(path));
    session.Doc->Close(true);  // saved without protection
    EXPECT_TRUE(session.OpenDocument(path));
    session.Doc->Protect(2, false, "other");
    session.Doc->Close(true);
    EXPECT_FALSE(session.OpenDocument(path));
    EXPECT_EQ(session.WordApp->DocumentsCount(), 1);  // stays open until closed
    EXPECT_TRUE(session.CloseDocument(false));
    EXPECT_EQ(session.WordApp->DocumentsCount(), 0);
}

TEST_F(SessionTest, SaveDocumentCopyKeepsTheProtection)
{
    Twordqen session;
    ASSERT_TRUE(session.SaveDocumentCopy(path, home.path() + "/copy.qvx"));
    ASSERT_TRUE(session.OpenDocument(home.path() + "/copy.qvx"));
    EXPECT_EQ(session.ProtectionList, QStringList({"1", "0"}));
    session.CloseDocument(false);
    EXPECT_FALSE(session.SaveDocumentCopy(home.path() + "/missing.qvx", home.path() + "/x.qvx"));
}

TEST_F(SessionTest, FailuresToStartAndBrokenDocuments)
{
    Twordqen broken([]() -> std::unique_ptr<WordApplication> { throw Failure("no engine"); });
    EXPECT_FALSE(broken.WordStarted);
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("打开Word程序出错!"));

    Twordqen session;
    WriteFile(home.path() + "/bad.qvx", "not a document");
    EXPECT_FALSE(session.OpenDocument(home.path() + "/bad.qvx"));
    EXPECT_FALSE(session.CloseDocument(false));
}

TEST_F(SessionTest, QuitWarnsAboutDocumentsLeftOpen)
{
    {
        Twordqen session;
        session.Doc = session.WordApp->Open(path, false, true);
        session.WarnOnQuit = true;
    }
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("请关闭WORD申请书！"));
}

TEST_F(SessionTest, AFreeFileNeedsNoQuestions)
{
    EXPECT_TRUE(lock.EnsureNotInUse(path));
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_TRUE(home.sleeper.slept.isEmpty());
    EXPECT_FALSE(lock.HandleOpen);
}

TEST_F(SessionTest, AMissingFileIsRefusedWithoutQuestions)
{
    EXPECT_FALSE(lock.EnsureNotInUse(home.path() + "/missing.qvx"));
    EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("missing.qvx文件已打开!!!")}));
}

TEST_F(SessionTest, TheUserClosesTheFileElsewhereAndPressesOk)
{
    home.processes.holders[path] = {4242};
    home.prompter.answers = {true};
    home.prompter.whileAsked = [&](const QString&) { home.processes.holders.clear(); };
    EXPECT_TRUE(lock.EnsureNotInUse(path));
    EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("a.qvx文件已打开，请关闭WORD后再按确认铵钮!")}));
    EXPECT_TRUE(home.sleeper.slept.isEmpty());
}

TEST_F(SessionTest, OkLooksAgainAndCancelEndsTheAction)
{
    home.processes.holders[path] = {7};
    home.prompter.answers = {true, true, false};
    EXPECT_FALSE(lock.EnsureNotInUse(path));
    EXPECT_EQ(home.prompter.shown.size(), 3);  // asked again after every 确定, until 取消
    EXPECT_EQ(home.processes.holders.value(path), QList<qint64>({7}));
}

TEST_F(SessionTest, OfficeLockFilesAreNoEvidenceWithoutTheOpenFile)
{
    // As LibreOffice 7.4 writes it for a document it has open.
    const QByteArray me = qgetenv("USER");
    WriteFile(home.path() + "/.~lock.a.qvx#",
              "," + me + "," + QSysInfo::machineHostName().toUtf8() + ",09.12.2026 08:00,file:///x/.config/libreoffice/4;");
    EXPECT_FALSE(lock.IsInUse(path));  // stale: nothing here has the file open
    home.processes.holders[home.path() + "/other.odt"] = {99};
    EXPECT_FALSE(lock.IsInUse(path));  // an office working on other files is no evidence either
    home.processes.holders[path] = {99};
    EXPECT_TRUE(lock.IsInUse(path));   // the office that has it open is
    home.processes.holders.clear();

    WriteFile(home.path() + "/.~lock.a.qvx#", ",you,elsewhere-host,09.12.2026 08:00,file:///x;");
    EXPECT_TRUE(lock.IsInUse(path));  // held from another machine: cannot be checked, counts
    EXPECT_FALSE(lock.EnsureNotInUse(path));
}

TEST(DocumentLock, BlanksBecomeQuestionMarks)
{
    EXPECT_EQ(Tlockqen::BlanksToQuestionMarks(QStringLiteral("我的 申请 书.qvx")), QStringLiteral("我的?申请?书.qvx"));
}

TEST(SystemProcesses, FindsHoldersOnTheRunningSystem)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/held.qvx";
    WriteFile(file, "x");
    QProcess child;
    child.setStandardInputFile(file);
    child.start("sleep", {"30"});
    ASSERT_TRUE(child.waitForStarted());
    SystemProcesses system;
    EXPECT_TRUE(system.holdersOf(file).contains(child.processId()));
    Tlockqen lock;
    installProcesses(&system);
    EXPECT_TRUE(lock.IsInUse(file));
    child.kill();  // the test's own child
    child.waitForFinished();
    EXPECT_FALSE(lock.IsInUse(file));
    QFile mine(file);  // this program's own descriptor holds nothing against itself
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_TRUE(system.holdersOf(file).isEmpty());
    EXPECT_FALSE(lock.IsInUse(file));
    installProcesses(nullptr);
}
