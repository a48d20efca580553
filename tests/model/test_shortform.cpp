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
#include "WordSession.h"
#include "ZipReader.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class RecordingProgress : public ProgressSink {
public:
    QList<std::pair<unsigned, int>> shown;
    int runs = 0, closes = 0;
    void FrmShow(unsigned kind, int steps) override { shown.append({kind, steps}); }
    void run(const QString&) override { ++runs; }
    void zipxMsg(const QString&) override {}
    void setGauge(int) override {}
    void Close() override { ++closes; }
};

int Record(const QString& name)
{
    for (int i = 0; i <= FieldHigh; ++i)
        if (FieldData.at(i).Name == name && FieldData.at(i).Source == -1)
            return i;
    return -1;
}

struct ShortFormTest : ::testing::Test {
    TestHome home;
    RecordingProgress window;
    Twordqen session;
    QString path;
    FieldMap screen;

    ShortFormTest()
    {
        installProgress(&window);
        WordSession = &session;
        PrepareFieldValues();
        path = home.path() + "/a.qvx";
        createxms(path);
    }
    ~ShortFormTest() override
    {
        WordSession = nullptr;
        installProgress(nullptr);
    }
    void Edit(const QString& name, const QString& value)
    {
        EditValues[Record(name)] = value;
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
    LoadShortForm(screen, path);
    EXPECT_EQ(screen.closedWithTag, 0);
    EXPECT_EQ(screen.text("edyjqsjy"), "2013");
    EXPECT_EQ(screen.text("EDSQRQ"), QStringLiteral("2013年"));
    for (const char* count : {"zrs", "gj", "zj", "cj", "bs", "ss", "cjdw"})
        EXPECT_EQ(LoadedValues[Record(count)], "0") << count;
    EXPECT_EQ(LoadedValues[Record("xmmc")], "");
    EXPECT_EQ(LoadedValues, EditValues);
    EXPECT_EQ(window.shown, (QList<std::pair<unsigned, int>>{{9u, 96}}));
    EXPECT_EQ(window.runs, 96);
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(session.WordApp->DocumentsCount(), 0);
}

TEST_F(ShortFormTest, ASaveWithoutChangesTouchesNothing)
{
    LoadShortForm(screen, path);
    const QByteArray before = ReadAll(path);
    window.shown.clear();
    SaveShortForm(screen, path, 8);
    EXPECT_TRUE(window.shown.isEmpty());
    EXPECT_EQ(ReadAll(path), before);
}

TEST_F(ShortFormTest, TheProjectNameReachesCoverAndMirrorAndFitsBySize)
{
    LoadShortForm(screen, path);
    const QString twenty = QString(20, QChar(0x6d4b));  // 40 GBK bytes
    Edit("xmmc", twenty);
    Edit("xmjj", QStringLiteral("第一段\r\n第二段"));
    SaveShortForm(screen, path, 8);
    EXPECT_EQ(window.shown.last(), std::make_pair(8u, 96));
    EXPECT_EQ(Cell(2, 4), twenty + "\r\a");
    EXPECT_EQ(Cell(4, 3), twenty + "\r\a");
    EXPECT_EQ(DocumentXml().count("<w:tcFitText/>"), 0);
    EXPECT_EQ(LoadedValues, EditValues);

    Edit("xmmc", twenty + QChar(0x6d4b));  // 42 bytes: above 40, not above 84
    SaveShortForm(screen, path, 8);
    EXPECT_EQ(DocumentXml().count("<w:tcFitText/>"), 1);
    EXPECT_EQ(DocumentXml().count("<w:noWrap/>"), 2);

    // A two-paragraph cell reads back with CR LF; protection is back on.
    LoadShortForm(screen, path);
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
    LoadShortForm(screen, path);
    EXPECT_EQ(screen.closedWithTag, 88);
    EXPECT_EQ(home.prompter.shown.last().text, QStringLiteral("本文不是合法项目申请书。"));
    EXPECT_TRUE(LoadedValues.join("").isEmpty());
    EXPECT_EQ(window.closes, 1);
}

TEST_F(ShortFormTest, AFailedSaveKeepsTheOldValuesForTheNextTry)
{
    LoadShortForm(screen, path);
    Edit("xm1", QStringLiteral("张三"));
    const QStringList loaded = LoadedValues;
    WriteFile(path, "damaged");
    const StoreResult result = SaveShortForm(screen, path, 8);
    EXPECT_EQ(result.status, StoreStatus::Replaced);
    EXPECT_EQ(result.message, ReplacedText + path);
    EXPECT_EQ(LoadedValues, loaded);
    EXPECT_EQ(window.closes, window.shown.size());
    EXPECT_EQ(ReadAll(path), "damaged");
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
    const Tarrfiledata saved = FieldData;
    Tfiledata keyed;
    keyed.TableNo = -1;
    keyed.TableKey = QStringLiteral("项目");
    FieldData = {keyed};
    EXPECT_EQ(ResolveTable(*doc, 0, 0), 1);   // 项目类别
    FieldData[0].TableKey = QStringLiteral("项 目");
    EXPECT_EQ(ResolveTable(*doc, 1, 0), 4);   // 项 目 概 况, past the tables that do not match
    FieldData[0].TableKey = "XYZ";
    EXPECT_EQ(ResolveTable(*doc, 2, 0), 2);   // none: the preceding records' table
    FieldData = saved;
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
    DocumentCheck check = ReadAndCheckDocument(path, CheckBodyLength | CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.outcome, DocumentCheck::BodyTooShort);
    EXPECT_EQ(check.message, QStringLiteral("正文字数少于一千! （当前正文 1000 字）"));
    CompleteDocument(path, MinBodyChars + 1);
    check = ReadAndCheckDocument(path, CheckBodyLength | CheckCompleteness, ReadNothing, {});
    EXPECT_TRUE(check.passed()) << check.message.toStdString();
    EXPECT_EQ(check.bodyCharacters, MinBodyChars + 1);

    // A blank body does not pass however long the short form's values are, nor with blank lines.
    CompleteDocument(path, 0, {{"xmjj", QString(400, QChar(0x7814))}, {"cddw2", QString(125, QChar(0x5927))},
                               {"cddw3", QString(125, QChar(0x5b66))}, {"xmmc", QString(40, QChar(0x9898))}});
    EditDocument(path, [](WordDocument& doc) { doc.SetCellText(5, 15, QString(3000, '\n')); });
    check = ReadAndCheckDocument(path, CheckBodyLength, ReadNothing, {});
    EXPECT_EQ(check.outcome, DocumentCheck::BodyTooShort);
    EXPECT_EQ(check.bodyCharacters, 0);
}

TEST_F(ShortFormTest, CompletenessOrderMembersAndValues)
{
    DocumentCheck check = ReadAndCheckDocument(path, CheckBodyLength | CheckCompleteness, ReadValuesByName, {"xm1"});
    EXPECT_EQ(check.outcome, DocumentCheck::BodyTooShort);  // the body first, whatever else is missing

    CompleteDocument(path, MinBodyChars + 10);
    EditDocument(path, [](WordDocument& doc) {
        doc.SetCellText(2, 4, "");  // the project name
        doc.SetCellText(4, 50, "");  // the research base is optional
    });
    check = ReadAndCheckDocument(path, CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.message, IncompleteText);
    EXPECT_EQ(check.outcome, DocumentCheck::Incomplete);

    CompleteDocument(path, MinBodyChars + 10);
    EditDocument(path, [](WordDocument& doc) {
        doc.SetCellText(4, 82, QStringLiteral("李四"));  // member 2's name, nothing else
    });
    check = ReadAndCheckDocument(path, CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.outcome, DocumentCheck::MembersIncomplete);
    EXPECT_EQ(check.message, MembersIncompleteText);
    EditDocument(path, [](WordDocument& doc) {
        for (int c = 83; c <= 86; ++c)
            doc.SetCellText(4, c, "x");
        doc.SetCellText(4, 87, "signature may be anything");
        doc.SetCellText(4, 92, QStringLiteral("分工"));  // member 3: role only
    });
    check = ReadAndCheckDocument(path, CheckCompleteness, ReadNothing, {});
    EXPECT_EQ(check.message, MembersIncompleteText);
    EditDocument(path, [](WordDocument& doc) {
        doc.SetCellText(4, 92, "");
    });
    window.shown.clear();
    check = ReadAndCheckDocument(path, CheckBodyLength | CheckCompleteness, ReadValuesByName, {"XM1", "xmlbdm", "lxr", "xm1"});
    EXPECT_TRUE(check.passed());
    EXPECT_EQ(check.values, QStringList({"v", "v", "#", "#"}));
    EXPECT_EQ(window.shown, (QList<std::pair<unsigned, int>>{{18u, 96}, {13u, 96}}));
}

TEST_F(ShortFormTest, AnUnusableDocumentIsInvalid)
{
    WriteFile(path, "not a document");
    const DocumentCheck check = ReadAndCheckDocument(path, CheckBodyLength | CheckCompleteness, ReadValuesByName, {"xm1"});
    EXPECT_EQ(check.outcome, DocumentCheck::Invalid);
    EXPECT_EQ(check.message, InvalidDocumentText);
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
    LoadShortForm(screen, path);
    EXPECT_EQ(screen.closedWithTag, 88);
    EXPECT_EQ(session.WordApp->DocumentsCount(), 0);
    session.QuitWord();
    EXPECT_EQ(home.prompter.texts(), QStringList{QStringLiteral("本文不是合法项目申请书。")});
}
