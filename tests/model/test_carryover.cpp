// A new application from an earlier one: the groups chosen taken over, the edition's values
// and the codes today's lists no longer have left behind, the earlier file never touched.
#include "CarryOver.h"
#include "CompleteDocument.h"
#include "CompletenessCheck.h"
#include "DocumentEngine.h"
#include "EarlierApplication.h"
#include "Edition.h"
#include "FieldCatalogue.h"
#include "Processes.h"
#include "Resources.h"
#include "ShortForm.h"
#include "TeamMemory.h"
#include "TestSupport.h"
#include "Text.h"
#include "Word97Fixtures.h"
#include "WordSession.h"
#include "ZipOps.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QMap<QString, QString> Earlier = {
    {"xmmc", QStringLiteral("黄土高原土壤侵蚀的过程与机理研究")}, {"xmlbdm", "B"}, {"xmlb", QStringLiteral("面上项目")},
    {"yjlbdm", "A"}, {"yjlb", QStringLiteral("基础研究")}, {"sqje", "12"}, {"xkdm", "520.2040"},
    {"xk", QStringLiteral("旧名称")}, {"yjxk", QStringLiteral("旧门类")}, {"yjqsjy", "2012"}, {"yjqsjm", "3"},
    {"yjzsjy", "2015"}, {"yjzsjm", "12"}, {"selffin", QStringLiteral("是")}, {"sqrq", QStringLiteral("2012年 5月")},
    {"xm1", QStringLiteral("欧阳建国华")}, {"sfzh1", "360102196102110110"}, {"zyjszw1", QStringLiteral("教授")},
    {"zyjszwdm1", "011"}, {"jb", QStringLiteral("正高")}, {"jbdm", "A"}, {"lxdh", "0791-88206688"},
    {"email", "oy@arvel.edu.cn"}, {"cddw1", QStringLiteral("Arvel大学")}, {"szxy", QStringLiteral("资源学院")},
    {"xm2", QStringLiteral("李四")}, {"zyjszw2", QStringLiteral("中级")}, {"sfzh2", "360102196102110137"},
    {"szdw2", QStringLiteral("Arvel大学")}, {"xmzfg2", QStringLiteral("实验")}, {"zrs", "2"},
    {"xmjj", QStringLiteral("第一段。\r\n第二段。")}, {"ztc1", QStringLiteral("土壤侵蚀")},
};

struct CarryOverTest : ::testing::Test {
    TestHome home;
    QString earlier;
    QByteArray earlierBytes;
    QMap<QString, QString> blank;

    CarryOverTest()
    {
        earlier = home.path() + QStringLiteral("/去年.qvx");
        createxms(earlier);
        CompleteDocument(earlier, MinBodyChars + 40, Earlier);
        // The receiving office's number, stamped on last year's cover.
        {
            DocumentEngine engine;
            auto doc = engine.Open(earlier, false, true);
            doc->Unprotect(ProtectPassword);
            doc->SetCellText(1, 8, "2012-0042");
            doc->Protect(2, false, ProtectPassword);
            doc->Close(true);
        }
        earlierBytes = ReadAll(earlier);
        const QString b = home.path() + "/blank.qvx";
        createxms(b);
        blank = Read(b);
    }
    static QMap<QString, QString> Read(const QString& path)
    {
        const auto doc = OpenWordDocument(path);
        UnprotectForReading(*doc);
        return ValuesByName(ReadFieldValues(*doc));
    }
    NewFromEarlierOutcome Make(const QString& from, const QString& target, const QSet<CarryGroup>& groups)
    {
        return MakeFromEarlier(ReadEarlierApplication(from), target, groups);
    }
};

QSet<CarryGroup> All()
{
    QSet<CarryGroup> all;
    for (const CarryGroupInfo& info : CarryGroups())
        all.insert(info.group);
    return all;
}

} // namespace

TEST_F(CarryOverTest, EachGroupTakesItsFieldsAndNothingElse)
{
    const QMap<QString, QString> before = Read(earlier);
    for (const CarryGroupInfo& info : CarryGroups()) {
        const QString target = home.path() + "/new-" + info.name + ".qvx";
        const NewFromEarlierOutcome made = Make(earlier, target, {info.group});
        ASSERT_TRUE(made.ok) << made.message.toStdString();
        const QMap<QString, QString> after = Read(target);
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            const bool carried = info.fields.contains(it.key());
            // Codes come with today's text for them (the discipline's name and category).
            if (carried && (it.key() == "xk" || it.key() == "yjxk"))
                continue;
            EXPECT_EQ(it.value(), carried ? before.value(it.key()) : blank.value(it.key()))
                << info.name.toStdString() << " " << it.key().toStdString();
        }
        const auto doc = OpenWordDocument(target);
        EXPECT_EQ(BodyCharacters(*doc), info.group == CarryGroup::Body ? MinBodyChars + 40 : 0) << info.name.toStdString();
    }
    EXPECT_EQ(ReadAll(earlier), earlierBytes);  // never written
}

TEST_F(CarryOverTest, TheEditionsValuesStayTheNewEditions)
{
    const QString target = home.path() + "/new.qvx";
    const NewFromEarlierOutcome made = Make(earlier, target, All());
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    EXPECT_TRUE(made.leftOut.isEmpty());
    const QMap<QString, QString> after = Read(target);
    EXPECT_EQ(after.value("yjqsjy"), StringResource(1));
    EXPECT_EQ(after.value("sqrq"), blank.value("sqrq"));
    EXPECT_EQ(after.value("xk"), QStringLiteral("模式识别"));  // today's name of 520.2040
    EXPECT_EQ(after.value("yjxk"), QStringLiteral("计算机科学技术"));
    EXPECT_EQ(after.value("xmmc"), Earlier.value("xmmc"));
    DocumentEngine engine;
    const auto doc = engine.Open(target, false, false);
    EXPECT_EQ(NormalizeLineBreaks(doc->CellText(1, 8)), QString());  // the office's number is theirs
    ASSERT_EQ(doc->SectionsCount(), 2);
    EXPECT_TRUE(doc->ProtectedForForms(1));
    EXPECT_FALSE(doc->ProtectedForForms(2));
    EXPECT_TRUE(UnprotectForReading(*doc));
    EXPECT_EQ(BodyCharacters(*doc), MinBodyChars + 40);
    // Never over a file, nor over the earlier one.
    EXPECT_FALSE(Make(earlier, target, All()).ok);
    EXPECT_FALSE(Make(earlier, earlier, All()).ok);
    EXPECT_EQ(ReadAll(earlier), earlierBytes);
}

TEST_F(CarryOverTest, CodesTodaysListsNoLongerHaveAreLeftOutAndNamed)
{
    QMap<QString, QString> old = Read(earlier);
    old["xkdm"] = "999.9999";
    old["zyjszwdm1"] = "999";
    old["zyjszw1"] = QStringLiteral("老职称");
    old["zyjszw3"] = QStringLiteral("特级");
    old["yjzsjy"] = "2012";
    const CarryOverPlan plan = PlanCarryOver(old, All());
    QStringList said;
    for (const LeftOut& left : plan.leftOut)
        said << left.text();
    EXPECT_TRUE(said.contains(QStringLiteral("学科代码：原值 999.9999 不在本版学科代码表中"))) << said.join('|').toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("专业技术职务：原值 999 老职称 不在本版代码表中"))) << said.join('|').toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("成员2专业技术职务：原值 特级 不在本版代码表中"))) << said.join('|').toStdString();
    EXPECT_EQ(plan.leftOut.size(), 4);
    // The field stays empty, and the text that goes with the code goes with it.
    for (const char* field : {"xkdm", "xk", "yjxk", "zyjszwdm1", "zyjszw1", "jb", "jbdm", "zyjszw3", "yjzsjy"})
        EXPECT_EQ(plan.values.value(field), QString()) << field;
    EXPECT_EQ(plan.values.value("xmmc"), old.value("xmmc"));
    // A code that is listed gets today's text for it.
    old["xmlb"] = QStringLiteral("旧说法");
    EXPECT_EQ(PlanCarryOver(old, {CarryGroup::Project}).values.value("xmlb"), QStringLiteral("面上项目"));
}

TEST_F(CarryOverTest, FromAPackageAndFromTheWindowsEdition)
{
    const QString package = home.path() + QStringLiteral("/去年.qvs");
    ASSERT_TRUE(zip::PackFile(package, earlier, zip::dtDeflateN, true, {}).ok);
    const QByteArray packageBytes = ReadAll(package);
    const NewFromEarlierOutcome fromPackage = Make(package, home.path() + "/p.qvx", All());
    ASSERT_TRUE(fromPackage.ok) << fromPackage.message.toStdString();
    EXPECT_EQ(Read(home.path() + "/p.qvx").value("xm2"), Earlier.value("xm2"));
    EXPECT_EQ(ReadAll(package), packageBytes);
    EXPECT_FALSE(ReadEarlierApplication(home.path() + "/none.qvs").ok);

    if (!word97test::HaveOffice())
        GTEST_SKIP() << "LibreOffice is not installed";
    SystemProcesses system;
    installProcesses(&system);
    const QString old = word97test::ToWord97(earlier, home.path() + "/97");
    ASSERT_FALSE(old.isEmpty());
    const QByteArray oldBytes = ReadAll(old);
    const EarlierApplication read = ReadEarlierApplication(old);
    ASSERT_TRUE(read.ok) << read.message.toStdString();
    EXPECT_EQ(read.format, DocumentFormat::Word97);
    const NewFromEarlierOutcome withBody = MakeFromEarlier(read, home.path() + "/w.qvx", All());
    installProcesses(&home.processes);
    ASSERT_TRUE(withBody.ok) << withBody.message.toStdString();
    EXPECT_EQ(OpenWordDocument(home.path() + "/w.qvx")->Format(), DocumentFormat::Ooxml);
    EXPECT_EQ(BodyCharacters(*OpenWordDocument(home.path() + "/w.qvx")), MinBodyChars + 40);
    EXPECT_EQ(Read(home.path() + "/w.qvx").value("xmjj"), Earlier.value("xmjj"));
    EXPECT_EQ(ReadAll(old), oldBytes);
}

TEST(TeamMemory, PeopleAreKeptPrivateNewestFirstAndForgottenOnRequest)
{
    TestHome home;
    const TeamMemory memory;
    ASSERT_TRUE(memory.remember({{QStringLiteral("李四"), QStringLiteral("中级"), "360102196102110137", QStringLiteral("甲大学"), QStringLiteral("实验")},
                                 {QStringLiteral("王五"), QStringLiteral("正高"), "", QStringLiteral("乙大学"), ""},
                                 {QString(), QString(), QString(), QString(), QString()}}));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(TeamMemory::DefaultPath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(TeamMemory::DefaultPath().startsWith(home.path()));
    ASSERT_EQ(memory.people().size(), 2);
    EXPECT_EQ(memory.people().first().name, QStringLiteral("李四"));  // the first row of the newest application

    // A later application shows a newer title and unit for the same person.
    ASSERT_TRUE(memory.remember({{QStringLiteral("李四"), QStringLiteral("副高"), "360102196102110137", QStringLiteral("丙大学"), QStringLiteral("分析")}}));
    const QList<RememberedMember> people = memory.people();
    ASSERT_EQ(people.size(), 2);
    EXPECT_EQ(people.first().title, QStringLiteral("副高"));
    EXPECT_EQ(people.first().unit, QStringLiteral("丙大学"));

    ASSERT_TRUE(memory.clear());
    EXPECT_TRUE(memory.people().isEmpty());
    EXPECT_FALSE(ReadAll(TeamMemory::DefaultPath()).contains(QStringLiteral("李四").toUtf8()));
}
