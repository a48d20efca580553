#include "CompleteDocument.h"
#include "CompletenessCheck.h"
#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Resources.h"
#include "ShortForm.h"
#include "TestSupport.h"
#include "OpenApplication.h"
#include "SystemCalls.h"
#include "ZipReader.h"

#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

namespace {

int Record(const QString& name)
{
    for (int i = 0; i <= FieldHigh(); ++i)
        if (FieldData().at(i).Name == name && FieldData().at(i).Source == -1)
            return i;
    return -1;
}

struct ShortFormTest : ::testing::Test {
    TestHome home;
    QString path = home.path() + "/a.qvx";
    OpenApplication app{path};
    Twordqen& session = app.session;
    ApplicationDocument& document = app.document;
    FieldMap screen;
    int steps = 0;
    Interaction counting{[this] { ++steps; }, {}};

    ShortFormTest() { createxms(path); }
    void Edit(const QString& name, const QString& value)
    {
        document.EditValues[Record(name)] = value;
        screen.setText("ed" + name, value);
    }
    QString Cell(int table, int cell)
    {
        DocumentEngine app;
        return app.Open(path, false, true)->CellText(table, cell);
    }
    QString DocumentXml()
    {
        return QString::fromUtf8(ZipReader::openFile(path).reader->readAll("word/document.xml").bytes);
    }
};

} // namespace

TEST_F(ShortFormTest, LoadingTheBlankDocument)
{
    EXPECT_TRUE(document.LoadShortForm(screen, [this] { ++steps; }).ok());
    EXPECT_EQ(screen.text("edyjqsjy"), "2013");
    EXPECT_EQ(screen.text("EDSQRQ"), QStringLiteral("2013年"));
    for (const char* count : {"zrs", "gj", "zj", "cj", "bs", "ss", "cjdw"})
        EXPECT_EQ(document.LoadedValues[Record(count)], "0") << count;
    EXPECT_EQ(document.LoadedValues[Record("xmmc")], "");
    EXPECT_EQ(document.LoadedValues, document.EditValues);
    EXPECT_EQ(steps, 96);
    EXPECT_EQ(session.WordApp->DocumentsCount(), 0);
}

TEST_F(ShortFormTest, ASaveWithoutChangesTouchesNothing)
{
    document.LoadShortForm(screen);
    const QByteArray before = ReadAll(path);
    EXPECT_EQ(document.SaveShortForm(screen, counting).status, StoreStatus::NothingChanged);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(ReadAll(path), before);
}

TEST_F(ShortFormTest, TheProjectNameReachesCoverAndMirrorAndFitsBySize)
{
    document.LoadShortForm(screen);
    const QString twenty = QString(20, QChar(0x6d4b));  // 40 GBK bytes
    Edit("xmmc", twenty);
    Edit("xmjj", QStringLiteral("第一段\r\n第二段"));
    EXPECT_EQ(document.SaveShortForm(screen, counting).status, StoreStatus::Stored);
    EXPECT_EQ(steps, 96);
    EXPECT_EQ(Cell(2, 4), twenty + "\r\a");
    EXPECT_EQ(Cell(4, 3), twenty + "\r\a");
    EXPECT_EQ(DocumentXml().count("<w:tcFitText/>"), 0);
    EXPECT_EQ(document.LoadedValues, document.EditValues);

    Edit("xmmc", twenty + QChar(0x6d4b));  // 42 bytes: above 40, not above 84
    document.SaveShortForm(screen, counting);
    EXPECT_EQ(DocumentXml().count("<w:tcFitText/>"), 1);
    EXPECT_EQ(DocumentXml().count("<w:noWrap/>"), 2);

    // A two-paragraph cell reads back with CR LF; protection is back on.
    document.LoadShortForm(screen);
    EXPECT_EQ(screen.text("edxmjj"), QStringLiteral("第一段\r\n第二段"));
    DocumentEngine app;
    auto doc = std::static_pointer_cast<OoxmlDocument>(app.Open(path, false, true));
    EXPECT_TRUE(doc->IsProtected());
    EXPECT_TRUE(doc->ProtectedForForms(1));
    EXPECT_FALSE(doc->ProtectedForForms(2));
}

TEST_F(ShortFormTest, AForeignDocumentIsNotLoaded)
{
    {
        DocumentEngine app;
        auto doc = app.Open(path, false, true);
        doc->Unprotect(ProtectPassword);
        doc->Protect(2, false, "someone else");
        doc->Close(true);
    }
    const Outcome loaded = document.LoadShortForm(screen);
    EXPECT_EQ(loaded.cause, Cause::ForeignProtection);
    EXPECT_EQ(NotAnApplicationMessage(loaded), QStringLiteral("本文不是合法项目申请书。\n文档 %1 设有别的保护密码，不是本程序的申请书").arg(path));
    EXPECT_TRUE(document.LoadedValues.join("").isEmpty());
    EXPECT_TRUE(home.prompter.shown.isEmpty());  // the model says nothing to anybody
}

TEST_F(ShortFormTest, AFailedSaveKeepsTheOldValuesForTheNextTry)
{
    document.LoadShortForm(screen);
    Edit("xm1", QStringLiteral("张三"));
    const QStringList loaded = document.LoadedValues;
    WriteFile(path, "damaged");
    const StoreResult result = document.SaveShortForm(screen, counting);
    EXPECT_EQ(result.status, StoreStatus::Replaced);
    EXPECT_EQ(result.cause.cause, Cause::Replaced);
    EXPECT_EQ(document.LoadedValues, loaded);
    EXPECT_EQ(ReadAll(path), "damaged");
}

TEST_F(ShortFormTest, AStoreWhoseFolderCannotBeFlushedIsStoredAndTheNextStoreToo)
{
    document.LoadShortForm(screen);
    Edit("xmmc", QStringLiteral("第一次"));
    {
        systemCalls().fsync = [](int fd) {
            struct stat st {};
            if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
                errno = EIO;
                return -1;
            }
            return ::fsync(fd);
        };
        const StoreResult stored = document.SaveShortForm(screen, counting);
        RestoreSystemCalls();
        // Stored, with the warning that a power cut might still lose it.
        EXPECT_EQ(stored.status, StoreStatus::Stored);
        EXPECT_EQ(stored.cause.cause, Cause::NotDurable);
    }
    EXPECT_EQ(Cell(2, 4), QStringLiteral("第一次\r\a"));
    EXPECT_EQ(document.LoadedValues, document.EditValues);
    // The document is the one written: the next store does not take the user's own file for
    // somebody else's.
    Edit("xmmc", QStringLiteral("第二次"));
    const StoreResult again = document.SaveShortForm(screen, counting);
    EXPECT_EQ(again.status, StoreStatus::Stored);
    EXPECT_TRUE(again.cause.ok());
    EXPECT_EQ(Cell(2, 4), QStringLiteral("第二次\r\a"));
}

TEST_F(ShortFormTest, MemberRowsCloseUpKeepingTheirOrder)
{
    screen.setText("edxm2", QStringLiteral("甲 "));
    screen.setText("edxm4", QStringLiteral(" 乙"));
    screen.setText("edxmzfg4", QStringLiteral("实验"));
    screen.setText("edsfzh6", "1");
    CompactMembers(screen);
    EXPECT_EQ(screen.text("edxm2"), QStringLiteral("甲 "));  // not moved, not trimmed
    EXPECT_EQ(screen.text("edxm3"), QStringLiteral("乙"));
    EXPECT_EQ(screen.text("edxmzfg3"), QStringLiteral("实验"));
    EXPECT_EQ(screen.text("edsfzh4"), "1");
    EXPECT_EQ(screen.text("edxm4"), "");
    EXPECT_EQ(screen.text("edsfzh6"), "");
}

TEST_F(ShortFormTest, ResolveTableByKey)
{
    DocumentEngine app;
    auto doc = app.Open(path, false, true);
    Tfiledata keyed;
    keyed.TableNo = -1;
    keyed.TableKey = QStringLiteral("项目");
    EXPECT_EQ(ResolveTable(*doc, 0, keyed), 1);   // 项目类别
    keyed.TableKey = QStringLiteral("项 目");
    EXPECT_EQ(ResolveTable(*doc, 1, keyed), 4);   // 项 目 概 况, past the tables that do not match
    keyed.TableKey = "XYZ";
    EXPECT_EQ(ResolveTable(*doc, 2, keyed), 2);   // none: the preceding records' table
}

namespace {

// Changes the document as a word processor would, keeping its protection.
void EditDocument(const QString& path, const std::function<void(WordDocument&)>& change)
{
    DocumentEngine app;
    auto doc = app.Open(path, false, true);
    doc->Unprotect(ProtectPassword);
    change(*doc);
    doc->Protect(2, false, ProtectPassword);
    doc->Close(true);
}

} // namespace

TEST_F(ShortFormTest, TheBodyIsCountedAloneAndTheCountIsTold)
{
    CompleteDocument(path, MinBodyChars);
    DocumentCheck check = ReadAndCheckDocument(session, path, CheckBodyLength | CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.outcome, DocumentCheck::BodyTooShort);
    EXPECT_EQ(check.message, QStringLiteral("正文字数少于一千! （当前正文 1000 字）"));
    CompleteDocument(path, MinBodyChars + 1);
    check = ReadAndCheckDocument(session, path, CheckBodyLength | CheckCompleteness, ReadNothing, {});
    EXPECT_TRUE(check.passed()) << check.message.toStdString();
    EXPECT_EQ(check.bodyCharacters, MinBodyChars + 1);

    // A blank body does not pass however long the short form's values are, nor with blank lines.
    CompleteDocument(path, 0, {{"xmjj", QString(400, QChar(0x7814))}, {"cddw2", QString(125, QChar(0x5927))},
                               {"cddw3", QString(125, QChar(0x5b66))}, {"xmmc", QString(40, QChar(0x9898))}});
    EditDocument(path, [](WordDocument& doc) { doc.SetCellText(5, 15, QString(3000, '\n')); });
    check = ReadAndCheckDocument(session, path, CheckBodyLength, ReadNothing, {});
    EXPECT_EQ(check.outcome, DocumentCheck::BodyTooShort);
    EXPECT_EQ(check.bodyCharacters, 0);
}

TEST_F(ShortFormTest, CompletenessOrderMembersAndValues)
{
    DocumentCheck check = ReadAndCheckDocument(session, path, CheckBodyLength | CheckCompleteness, ReadValuesByName, {"xm1"});
    EXPECT_EQ(check.outcome, DocumentCheck::BodyTooShort);  // the body first, whatever else is missing

    CompleteDocument(path, MinBodyChars + 10);
    EditDocument(path, [](WordDocument& doc) {
        doc.SetCellText(2, 4, "");  // the project name
        doc.SetCellText(4, 50, "");  // the research base is optional
    });
    check = ReadAndCheckDocument(session, path, CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.message, IncompleteText);
    EXPECT_EQ(check.outcome, DocumentCheck::Incomplete);

    CompleteDocument(path, MinBodyChars + 10);
    EditDocument(path, [](WordDocument& doc) {
        doc.SetCellText(4, 82, QStringLiteral("李四"));  // member 2's name, nothing else
    });
    check = ReadAndCheckDocument(session, path, CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.outcome, DocumentCheck::MembersIncomplete);
    EXPECT_EQ(check.message, MembersIncompleteText);
    EditDocument(path, [](WordDocument& doc) {
        for (int c = 83; c <= 86; ++c)
            doc.SetCellText(4, c, "x");
        doc.SetCellText(4, 87, "signature may be anything");
        doc.SetCellText(4, 92, QStringLiteral("分工"));  // member 3: role only
    });
    check = ReadAndCheckDocument(session, path, CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.message, MembersIncompleteText);
    EditDocument(path, [](WordDocument& doc) {
        doc.SetCellText(4, 92, "");
    });
    QList<CheckPhase> phases;
    check = ReadAndCheckDocument(session, path, CheckBodyLength | CheckCompleteness, ReadValuesByName,
                                 {"XM1", "xmlbdm", "lxr", "xm1"}, [&phases](CheckPhase phase) { phases << phase; });
    EXPECT_TRUE(check.passed());
    EXPECT_EQ(check.values, QStringList({"v", "v", "#", "#"}));
    // Every record it judged, then every record read.
    EXPECT_EQ(phases.count(CheckPhase::Reading), 96);
    EXPECT_EQ(phases.first(), CheckPhase::Checking);
    EXPECT_EQ(phases.last(), CheckPhase::Reading);
}

TEST_F(ShortFormTest, AnUnusableDocumentIsInvalid)
{
    WriteFile(path, "not a document");
    const DocumentCheck check = ReadAndCheckDocument(session, path, CheckBodyLength | CheckCompleteness, ReadValuesByName, {"xm1"});
    EXPECT_EQ(check.outcome, DocumentCheck::Invalid);
    EXPECT_EQ(check.cause.cause, Cause::NotADocument);
    EXPECT_TRUE(check.message.startsWith(InvalidDocumentText + "\n")) << check.message.toStdString();  // with the cause after
    EXPECT_EQ(session.WordApp->DocumentsCount(), 0);
}

TEST_F(ShortFormTest, ARefusedDocumentIsNotLeftOpenForTheQuit)
{
    // Protected with another password: opened, not unprotected, refused.
    DocumentEngine word;
    auto doc = word.Open(path, false, true);
    doc->Unprotect(ProtectPassword);
    doc->Protect(2, false, "another");
    doc->Close(true);
    EXPECT_EQ(document.LoadShortForm(screen).cause, Cause::ForeignProtection);
    EXPECT_EQ(session.WordApp->DocumentsCount(), 0);
    EXPECT_FALSE(session.QuitWord());  // nothing was left open in the engine
}
