#include "TeamMembers.h"

#include "Edition.h"
#include "Seams.h"
#include "ShortForm.h"
#include "SimpleformTables.h"
#include "Text.h"

QString MemberField(const QString& prefix, int row)
{
    return prefix + QString::number(row);
}

TitleClass TitleCategory(const QString& code)
{
    if (code.size() < 3)
        return {};
    switch (code.at(2).unicode()) {
    case '1': return {QStringLiteral("A"), QStringLiteral("正高")};
    case '2': return {QStringLiteral("B"), QStringLiteral("副高")};
    case '3': return {QStringLiteral("C"), QStringLiteral("中级")};
    default: return {};
    }
}

void CountTeam(FieldAccess& screen, const QString& applicantLetter)
{
    int total = 1, senior = 0, intermediate = 0, junior = 0, postdoc = 0, doctoral = 0, master = 0;
    const QString letter = TrimBlanks(applicantLetter).left(1);
    if (letter == "A" || letter == "B")
        ++senior;
    else if (letter.isEmpty() || letter == "C")
        ++intermediate;
    else
        ++junior;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
        const QString title = TrimBlanks(screen.text(MemberField(MemberTitlePrefix, row)));
        if (title.isEmpty())
            continue;
        ++total;
        if (title == QStringLiteral("正高") || title == QStringLiteral("副高"))
            ++senior;
        else if (title == QStringLiteral("中级"))
            ++intermediate;
        else if (title == QStringLiteral("初级"))
            ++junior;
        else if (title == QStringLiteral("博士后"))
            ++postdoc;
        else if (title == QStringLiteral("博士生"))
            ++doctoral;
        else if (title == QStringLiteral("硕士生"))
            ++master;
    }
    const std::pair<const char*, int> counts[] = {{"edzrs", total}, {"edgj", senior},    {"edzj", intermediate},
                                                  {"edcj", junior}, {"edbsh", postdoc},  {"edbs", doctoral},
                                                  {"edss", master}};
    for (const auto& [name, n] : counts)
        screen.setText(name, QString::number(n));
}

int CountPostdocs(const FieldAccess& screen)
{
    int count = 0;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        count += TrimBlanks(screen.text(MemberField(MemberTitlePrefix, row))) == QStringLiteral("博士后");
    return count;
}

QString CheckMembers(FieldAccess& screen)
{
    CompactMembers(screen);
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
        bool anyFilled = false;
        int firstEmpty = -1;
        for (int c = 0; c < MemberColumns().size(); ++c) {
            const bool empty = TrimBlanks(screen.text(MemberField(MemberColumns().at(c).prefix, row))).isEmpty();
            anyFilled = anyFilled || !empty;
            if (empty && firstEmpty < 0)
                firstEmpty = c;
        }
        if (anyFilled && firstEmpty >= 0) {
            const MemberColumn& column = MemberColumns().at(firstEmpty);
            screen.focus(MemberField(column.prefix, row));
            return QStringLiteral("请补全项目组成员") + column.label;
        }
    }
    return {};
}

void DeleteMember(FieldAccess& screen, int row)
{
    if (AskConfirm(QStringLiteral("请问真的要删除") + screen.text(MemberField(MemberNamePrefix, row)) + QStringLiteral("吗？"),
                   NoticeCaption)) {
        for (const MemberColumn& column : MemberColumns())
            screen.setText(MemberField(column.prefix, row), QString());
        CompactMembers(screen);
    }
    CountTeam(screen, screen.text("edjbdm"));
}

void ReorderMembers(FieldAccess& screen, const QList<int>& rows)
{
    QList<QStringList> texts;
    for (const int row : rows) {
        QStringList fields;
        for (const MemberColumn& column : MemberColumns())
            fields << screen.text(MemberField(column.prefix, row));
        texts << fields;
    }
    for (qsizetype k = 0; k < texts.size(); ++k)
        for (int c = 0; c < MemberColumns().size(); ++c)
            screen.setText(MemberField(MemberColumns().at(c).prefix, FirstMemberRow + int(k)), texts.at(k).at(c));
}
