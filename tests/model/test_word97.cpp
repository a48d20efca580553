// The Windows edition's applications: read as the current format is read, judged alike, and
// converted on request into a checked new file while the original stays as it was.
#include "CompleteDocument.h"
#include "CompletenessCheck.h"
#include "Conversion.h"
#include "DocumentEngine.h"
#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "Processes.h"
#include "Protection.h"
#include "Resources.h"
#include "ShortForm.h"
#include "TestSupport.h"
#include "Word97Fixtures.h"
#include "OpenApplication.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace word97test;

namespace {

const QMap<QString, QString> Values = {
    {"xmmc", QStringLiteral("黄土高原土壤侵蚀的过程与机理研究")},
    {"xm1", QStringLiteral("买买提·吐尔逊")},
    {"sfzh1", "360102196102110110"},
    {"xkdm", "520.2040"},
    {"xmjj", QStringLiteral("第一段。\r\n第二段，𠀀𠀁。")},
    {"xm2", QStringLiteral("李四")},
    {"zyjszw2", QStringLiteral("教授")},
    {"sfzh2", "360102196102110137"},
    {"szdw2", QStringLiteral("某大学")},
    {"xmzfg2", QStringLiteral("实验")},
};

struct Word97App : ::testing::Test {
    TestHome home;
    SystemProcesses system;
    void SetUp() override
    {
        if (!HaveOffice())
            GTEST_SKIP() << "LibreOffice is not installed";
    }
    // The filled application in both formats: (OOXML, Word 97 as the Windows edition keeps it).
    std::pair<QString, QString> Both(const QString& name, int bodyChars, const QMap<QString, QString>& values = Values)
    {
        const QString docx = home.path() + "/" + name + ".qvx";
        createxms(docx);
        CompleteDocument(docx, bodyChars, values);
        const QString made = ToWord97(docx, home.path());
        EXPECT_FALSE(made.isEmpty());
        const QString doc = home.path() + "/" + name + "-97.qvx";
        WriteFile(doc, WithProtectionKey(ReadAll(made), LegacyPasswordHash(ProtectPassword)));
        QFile::remove(made);
        return {docx, doc};
    }
    static DocumentCheck Check(const QString& path)
    {
        const auto doc = OpenWordDocument(path);
        EXPECT_TRUE(UnprotectForReading(*doc));
        return CheckOpenDocument(*doc, CheckBodyLength | CheckCompleteness, ReadNothing, {});
    }
    static QStringList Values97(const QString& path)
    {
        const auto doc = OpenWordDocument(path);
        UnprotectForReading(*doc);
        return ReadFieldValues(*doc);
    }
};

} // namespace

TEST_F(Word97App, TheSameApplicationReadsAndIsJudgedAlikeInBothFormats)
{
    // More than MinBodyChars characters of body pass and MinBodyChars fail, whichever format holds them.
    const auto [passing, passing97] = Both("pass", MinBodyChars + 1);
    const auto [failing, failing97] = Both("fail", MinBodyChars);
    EXPECT_EQ(Values97(passing97), Values97(passing));
    const DocumentCheck good = Check(passing), good97 = Check(passing97);
    ASSERT_TRUE(good.passed()) << good.message.toStdString();
    EXPECT_TRUE(good97.passed()) << good97.message.toStdString();
    EXPECT_EQ(good97.bodyCharacters, good.bodyCharacters);
    const DocumentCheck bad = Check(failing), bad97 = Check(failing97);
    EXPECT_EQ(bad.outcome, DocumentCheck::BodyTooShort);
    EXPECT_EQ(bad97.outcome, DocumentCheck::BodyTooShort);
    EXPECT_EQ(bad97.message, bad.message);

    // A member row half filled is the same fault in both.
    QMap<QString, QString> half = Values;
    half.remove("sfzh2");
    const auto [partial, partial97] = Both("half", MinBodyChars + 10, half);
    EXPECT_EQ(Check(partial97).outcome, DocumentCheck::MembersIncomplete);
    EXPECT_EQ(Check(partial).outcome, DocumentCheck::MembersIncomplete);
}

TEST_F(Word97App, ProtectedWithAnotherPasswordItIsNoApplicationOfOurs)
{
    const auto [docx, doc] = Both("other", MinBodyChars + 1);
    WriteFile(doc, WithProtectionKey(ReadAll(doc), LegacyPasswordHash("not ours")));
    OpenApplication app(doc);
    FieldMap screen;
    EXPECT_EQ(app.document.LoadShortForm(screen).cause, Cause::ForeignProtection);
    EXPECT_EQ(ReadAndCheckDocument(app.session, doc, CheckBodyLength, ReadNothing, {}).outcome, DocumentCheck::Invalid);
}

TEST_F(Word97App, ConvertedBesideTheOriginalCheckedAndProtected)
{
    installProcesses(&system);
    const auto [docx, doc] = Both("filled", MinBodyChars + 5);
    const QByteArray original = ReadAll(doc);
    const QString target = ConvertedNameFor(doc);
    EXPECT_EQ(QFileInfo(target).fileName(), QStringLiteral("filled-97（新格式）.qvx"));
    const ConversionOutcome converted = ConvertToCurrentFormat(doc, target, {});
    ASSERT_TRUE(converted.ok()) << converted.message.toStdString();
    EXPECT_EQ(ReadAll(doc), original);  // byte for byte

    DocumentEngine engine;
    const auto result = engine.Open(target, false, false);
    EXPECT_EQ(result->Format(), DocumentFormat::Ooxml);
    ASSERT_EQ(result->SectionsCount(), 2);
    EXPECT_TRUE(result->ProtectedForForms(1));
    EXPECT_FALSE(result->ProtectedForForms(2));
    // Protected with the edition's password, and with no other.
    EXPECT_EQ(result->Unprotect("wrong"), Unprotection::WrongPassword);
    EXPECT_TRUE(UnprotectForReading(*result));
    EXPECT_EQ(ReadFieldValues(*result), Values97(doc));
    EXPECT_EQ(ConvertedNameFor(doc), home.path() + QStringLiteral("/filled-97（新格式）2.qvx"));

    // Never over anything, never again over itself, never a document that is new already.
    EXPECT_EQ(ConvertToCurrentFormat(doc, target, {}).status, ConversionOutcome::TargetTaken);
    EXPECT_EQ(ConvertToCurrentFormat(doc, doc, {}).status, ConversionOutcome::TargetTaken);
    EXPECT_EQ(ConvertToCurrentFormat(docx, home.path() + "/x.qvx", {}).status, ConversionOutcome::NotOldFormat);
    EXPECT_EQ(ReadAll(doc), original);
    installProcesses(&home.processes);
}

TEST_F(Word97App, AConversionThatChangesTheApplicationIsNotUsed)
{
    const auto [docx, doc] = Both("changed", MinBodyChars + 5);
    const QByteArray original = ReadAll(doc);
    // LibreOffice stands in here with a document that says something else.
    const QString altered = home.path() + "/altered.qvx";
    QFile::copy(docx, altered);
    {
        DocumentEngine engine;
        auto d = engine.Open(altered, false, true);
        d->Unprotect(ProtectPassword);
        d->SetCellText(2, 4, QStringLiteral("另一个项目"));  // the project name on the cover
        d->Protect(2, false, ProtectPassword);
        d->Close(true);
    }
    home.processes.installed = {"soffice"};
    home.processes.runs = [&](const QString&, const QStringList& arguments) {
        const QString outdir = arguments.at(arguments.indexOf("--outdir") + 1);
        QDir().mkpath(outdir);
        QFile::copy(altered, outdir + QStringLiteral("/申请书.docx"));
        return RunOutcome{true, false, false, 0, {}};
    };
    const QString target = home.path() + "/new.qvx";
    const ConversionOutcome converted = ConvertToCurrentFormat(doc, target, {});
    EXPECT_EQ(converted.status, ConversionOutcome::Differs);
    EXPECT_TRUE(converted.message.contains(QStringLiteral("另一个项目"))) << converted.message.toStdString();
    EXPECT_TRUE(converted.message.contains(QStringLiteral("原文件保持不变")));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(ReadAll(doc), original);

    // Without LibreOffice the notice names what to install, and nothing is run or written.
    home.processes.installed.clear();
    home.processes.ran.clear();
    const ConversionOutcome none = ConvertToCurrentFormat(doc, target, {});
    EXPECT_EQ(none.status, ConversionOutcome::NoOffice);
    EXPECT_TRUE(none.message.contains("libreoffice-writer"));
    EXPECT_TRUE(home.processes.ran.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target));
}
