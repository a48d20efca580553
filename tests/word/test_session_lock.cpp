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
        path = home.path() + "/a.qvx";
        createxms(path);
    }
};

} // namespace

TEST_F(SessionTest, OpenRecordsProtectionAndCloseRestoresIt)
{
    Twordqen session;
    ASSERT_TRUE(session.WordStarted);
    ASSERT_TRUE(session.OpenDocument(path).ok());
    EXPECT_EQ(session.ProtectionList, QStringList({"1", "0"}));
    session.Doc->SetProtectedForForms(2, true);  // whatever happens meanwhile
    session.Doc->SetCellText(4, 3, QStringLiteral("项目"));
    ASSERT_TRUE(session.CloseDocument(true).ok());
    EXPECT_FALSE(session.CloseDocument(true).ok());  // already closed

    ASSERT_TRUE(session.OpenDocument(path).ok());
    EXPECT_EQ(session.ProtectionList, QStringList({"1", "0"}));
    EXPECT_EQ(session.Doc->CellText(4, 3), QStringLiteral("项目\r\a"));
    ASSERT_TRUE(session.CloseDocument(false).ok());
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

TEST_F(SessionTest, UnprotectedDocumentsOpenOtherPasswordsDoNot)
{
    Twordqen session;
    ASSERT_TRUE(session.OpenDocument(path).ok());
    session.Doc->Close(true);  // saved without protection
    EXPECT_TRUE(session.OpenDocument(path).ok());
    session.Doc->Protect(2, false, "other");
    session.Doc->Close(true);
    const Outcome refused = session.OpenDocument(path);
    EXPECT_EQ(refused.cause, Cause::ForeignProtection);
    EXPECT_EQ(refused.path, path);
    EXPECT_EQ(session.WordApp->DocumentsCount(), 0);  // nothing stays open behind a refusal
}

TEST_F(SessionTest, SaveDocumentCopyKeepsTheProtection)
{
    Twordqen session;
    ASSERT_TRUE(session.SaveDocumentCopy(path, home.path() + "/copy.qvx").ok());
    ASSERT_TRUE(session.OpenDocument(home.path() + "/copy.qvx").ok());
    EXPECT_EQ(session.ProtectionList, QStringList({"1", "0"}));
    session.CloseDocument(false);
    EXPECT_EQ(session.SaveDocumentCopy(home.path() + "/missing.qvx", home.path() + "/x.qvx").cause, Cause::Missing);
}

TEST_F(SessionTest, FailuresToStartAndBrokenDocumentsAreSaidByNobody)
{
    Twordqen broken([]() -> std::unique_ptr<WordApplication> { throw Failure("no engine"); });
    EXPECT_FALSE(broken.WordStarted);

    Twordqen session;
    WriteFile(home.path() + "/bad.qvx", "not a document");
    EXPECT_EQ(session.OpenDocument(home.path() + "/bad.qvx").cause, Cause::NotADocument);
    EXPECT_FALSE(session.CloseDocument(false).ok());
    EXPECT_TRUE(home.prompter.shown.isEmpty());  // the caller says what went wrong
}

TEST_F(SessionTest, QuitTellsOfDocumentsLeftOpen)
{
    Twordqen session;
    session.Doc = session.WordApp->Open(path, false, true);
    EXPECT_TRUE(session.QuitWord());
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

TEST_F(SessionTest, AFreeFileNeedsNoQuestions)
{
    int asked = 0;
    EXPECT_TRUE(lock.EnsureNotInUse(path, [&asked](const QString&) { return ++asked, true; }).ok());
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(home.sleeper.slept.isEmpty());
    EXPECT_FALSE(lock.HandleOpen);
}

TEST_F(SessionTest, AMissingFileIsRefusedWithoutQuestions)
{
    int asked = 0;
    EXPECT_EQ(lock.EnsureNotInUse(home.path() + "/missing.qvx", [&asked](const QString&) { return ++asked, true; }).cause,
              Cause::Missing);
    EXPECT_EQ(asked, 0);
}

TEST_F(SessionTest, TheUserClosesTheFileElsewhereAndPressesOk)
{
    home.processes.holders[path] = {4242};
    QStringList asked;
    EXPECT_TRUE(lock.EnsureNotInUse(path, [&](const QString& held) {
        asked << held;
        home.processes.holders.clear();
        return true;
    }).ok());
    EXPECT_EQ(asked, QStringList{path});
    EXPECT_TRUE(home.sleeper.slept.isEmpty());
}

TEST_F(SessionTest, OkLooksAgainAndCancelEndsTheAction)
{
    home.processes.holders[path] = {7};
    QList<bool> answers = {true, true, false};
    int asked = 0;
    EXPECT_EQ(lock.EnsureNotInUse(path, [&](const QString&) { return ++asked, answers.takeFirst(); }).cause, Cause::InUse);
    EXPECT_EQ(asked, 3);  // asked again after every 确定, until 取消
    EXPECT_EQ(home.processes.holders.value(path), QList<qint64>({7}));
    EXPECT_EQ(lock.EnsureNotInUse(path, {}).cause, Cause::InUse);  // nobody to ask: refused
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
    EXPECT_FALSE(lock.EnsureNotInUse(path, {}).ok());
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
