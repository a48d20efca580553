#include "CarryOver.h"

#include "CodeLists.h"
#include "DisciplineTree.h"
#include "FieldCatalogue.h"
#include "Resources.h"
#include "ShortForm.h"
#include "Text.h"

#include <optional>

namespace {

QStringList MemberFields()
{
    QStringList fields;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        for (const QString& prefix : MemberFieldPrefixes)
            fields << prefix.mid(2) + QString::number(row);
    return fields + QStringList{"zrs", "gj", "zj", "cj", "bs", "ss", "cjdw"};
}

const QString NotListed = QStringLiteral("不在本版代码表中");
const QString NotInTree = QStringLiteral("不在本版学科代码表中");

// A code and the text that goes with it, checked against one of the edition's lists.
struct CodedPair {
    const char* code;
    const char* text;
    const char* list;
    const char* label;
};
constexpr CodedPair CodedPairs[] = {
    {"xmlbdm", "xmlb", "edxmlb", "项目类别"},
    {"yjlbdm", "yjlb", "edyjlb", "研究类别"},
    {"zyjszwdm1", "zyjszw1", "edzyjszw1", "专业技术职务"},
    {"xwdm", "xw", "edxw", "学位"},
};

const CodeList* ListFor(const QList<CodeList>& lists, const QString& target)
{
    for (const CodeList& list : lists)
        if (list.target.compare(target, Qt::CaseInsensitive) == 0)
            return &list;
    return nullptr;
}

class Planner {
public:
    Planner(const QMap<QString, QString>& earlier, const QSet<CarryGroup>& groups) : m_earlier(earlier)
    {
        for (const CarryGroupInfo& info : CarryGroups())
            if (groups.contains(info.group))
                for (const QString& field : info.fields)
                    m_wanted.insert(field);
    }

    CarryOverPlan run()
    {
        for (const QString& field : std::as_const(m_wanted))
            m_plan.values.insert(field, TrimBlanks(m_earlier.value(field)).isEmpty() ? QString() : m_earlier.value(field));
        const QList<CodeList> lists = EmbeddedCodeLists();
        for (const CodedPair& pair : CodedPairs)
            checkPair(pair, lists);
        checkDiscipline();
        checkMemberTitles(lists);
        checkChoice("selffin", QStringLiteral("是否同意转自筹"), {QStringLiteral("是"), QStringLiteral("否")});
        checkYears();
        return m_plan;
    }

private:
    bool wanted(const QString& field) const { return m_wanted.contains(field); }
    QString value(const QString& field) const { return TrimBlanks(m_plan.values.value(field)); }
    void leaveOut(const QString& field, const QString& label, const QString& reason, const QStringList& with = {})
    {
        m_plan.leftOut.append({field, label, value(field), reason});
        for (const QString& f : QStringList{field} + with)
            m_plan.values.insert(f, QString());
    }

    // The code decides; its text is today's text for it. An old document with a text but no
    // code is matched by its text.
    void checkPair(const CodedPair& pair, const QList<CodeList>& lists)
    {
        if (!wanted(pair.code) && !wanted(pair.text))
            return;
        const QString code = value(pair.code), text = value(pair.text);
        if (code.isEmpty() && text.isEmpty())
            return;
        const CodeList* list = ListFor(lists, pair.list);
        if (list)
            for (const auto& [c, t] : list->items)
                if ((!code.isEmpty() && TrimBlanks(c) == code) || (code.isEmpty() && TrimBlanks(t) == text)) {
                    m_plan.values.insert(pair.code, TrimBlanks(c));
                    m_plan.values.insert(pair.text, TrimBlanks(t));
                    return;
                }
        const QString shown = code.isEmpty() ? text : code + (text.isEmpty() ? QString() : " " + text);
        m_plan.leftOut.append({pair.code, QString::fromUtf8(pair.label), shown, NotListed});
        m_plan.values.insert(pair.code, QString());
        m_plan.values.insert(pair.text, QString());
        // The title's level goes with the title.
        if (QLatin1String(pair.code) == QLatin1String("zyjszwdm1")) {
            m_plan.values.insert("jb", QString());
            m_plan.values.insert("jbdm", QString());
        }
    }

    void checkDiscipline()
    {
        if (!wanted("xkdm") || value("xkdm").isEmpty())
            return;
        const QString code = value("xkdm");
        QString root;
        for (const DisciplineNode& node : EmbeddedDisciplines()) {
            if (node.level == 0)
                root = DisciplineName(node.text);
            if (DisciplineCode(node.text) == code) {
                m_plan.values.insert("xk", DisciplineName(node.text));
                m_plan.values.insert("yjxk", root);
                return;
            }
        }
        leaveOut("xkdm", QStringLiteral("学科代码"), NotInTree, {"xk", "yjxk"});
    }

    void checkMemberTitles(const QList<CodeList>& lists)
    {
        const CodeList* titles = ListFor(lists, "edzyjszw2");
        for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
            const QString field = MemberTitlePrefix.mid(2) + QString::number(row);
            if (!wanted(field) || value(field).isEmpty() || !titles)
                continue;
            bool listed = false;
            for (const auto& item : titles->items)
                listed = listed || TrimBlanks(item.second) == value(field);
            if (!listed)
                leaveOut(field, QStringLiteral("成员%1专业技术职务").arg(row - 1), NotListed);
        }
    }

    void checkChoice(const QString& field, const QString& label, const QStringList& choices)
    {
        if (wanted(field) && !value(field).isEmpty() && !choices.contains(value(field)))
            leaveOut(field, label, NotListed);
    }

    // The start year is the edition's: an end year or month the new edition does not offer
    // is chosen again.
    void checkYears()
    {
        const QStringList months = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
        for (const auto& [field, label] : {std::pair{"yjqsjm", "起始月份"}, std::pair{"yjzsjm", "终止月份"}})
            checkChoice(field, QString::fromUtf8(label), months);
        if (!wanted("yjzsjy") || value("yjzsjy").isEmpty())
            return;
        bool ok = false;
        const int start = StringResource(1).toInt(&ok), years = StringResource(2).toInt();
        const int end = value("yjzsjy").toInt();
        if (ok && (end <= start || end > start + years))
            leaveOut("yjzsjy", QStringLiteral("终止年份"),
                     QStringLiteral("不在本版的年限内（%1 至 %2 年）").arg(start + 1).arg(start + years));
    }

    const QMap<QString, QString>& m_earlier;
    QSet<QString> m_wanted;
    CarryOverPlan m_plan;
};

} // namespace

const QList<CarryGroupInfo>& CarryGroups()
{
    // The start year (yjqsjy) and the application date (sqrq) are the edition's, in no group.
    static const QList<CarryGroupInfo> groups = {
        {CarryGroup::Project, "project", QStringLiteral("项目"),
         {"xmmc", "xmlbdm", "xmlb", "yjlbdm", "yjlb", "sqje", "xkdm", "xk", "yjxk", "xldm", "yjqsjm", "yjzsjy",
          "yjzsjm", "selffin"}},
        {CarryGroup::Applicant, "applicant", QStringLiteral("申请人"),
         {"xm1", "xb", "csny", "sfzh1", "xw", "xwdm", "xl", "zyjszw1", "zyjszwdm1", "jb", "jbdm", "cz", "lxdh", "email",
          "mz"}},
        {CarryGroup::Units, "units", QStringLiteral("所在单位"), {"cddw1", "szxy", "cddw2", "cddw3"}},
        {CarryGroup::Members, "members", QStringLiteral("项目组"), MemberFields()},
        {CarryGroup::Abstract, "abstract", QStringLiteral("简介与主题词"), {"xmjj", "ztc1", "ztc2", "ztc3"}},
        {CarryGroup::Body, "body", QStringLiteral("正文"), {}},
    };
    return groups;
}

std::optional<CarryGroup> CarryGroupNamed(const QString& name)
{
    for (const CarryGroupInfo& info : CarryGroups())
        if (info.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return info.group;
    return std::nullopt;
}

QString LeftOut::text() const
{
    return label + QStringLiteral("：原值 ") + value + " " + reason;
}

CarryOverPlan PlanCarryOver(const QMap<QString, QString>& earlier, const QSet<CarryGroup>& groups)
{
    return Planner(earlier, groups).run();
}

QMap<QString, QString> ValuesByName(const QStringList& byRecord)
{
    QMap<QString, QString> values;
    for (int i = 0; i <= FieldHigh() && i < byRecord.size(); ++i)
        if (FieldData().at(i).Source == -1)
            values.insert(FieldData().at(i).Name, byRecord.at(i));
    return values;
}
