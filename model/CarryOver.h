#pragma once
// What a new application takes over from an earlier one: the groups of the short form the user
// chose, without what belongs to the old edition and year (the start year, the application
// date, the receiving office's number), and without a code today's lists no longer have (the
// field stays empty and the user is told the old value, so that they choose again).
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

enum class CarryGroup { Project, Applicant, Units, Members, Abstract, Body };

struct CarryGroupInfo {
    CarryGroup group;
    QString name;    // as qvtool names it: "project"
    QString label;   // as the window names it: "项目"
    QStringList fields;  // the catalogue's own fields it holds; none for the body
};
const QList<CarryGroupInfo>& CarryGroups();
// The group of a qvtool name, case ignored; nothing for a name no group has.
std::optional<CarryGroup> CarryGroupNamed(const QString& name);

// A value the new application does not take, and why.
struct LeftOut {
    QString field;   // the catalogue's name: "xkdm"
    QString label;   // as the user knows it: "学科代码"
    QString value;   // the earlier application's value
    QString reason;  // "不在本版代码表中"
    // "学科代码：原值 999.9999 不在本版代码表中"
    QString text() const;
};

struct CarryOverPlan {
    QMap<QString, QString> values;  // by field name: what the new application is given
    QList<LeftOut> leftOut;
};

// The earlier application's own fields by name (as ReadFieldValues reads them), and the groups
// chosen. Codes are looked up in the edition's code lists and discipline tree; the text that
// goes with a code follows it, and is today's text for it.
CarryOverPlan PlanCarryOver(const QMap<QString, QString>& earlier, const QSet<CarryGroup>& groups);

// The own fields of a document's values by name.
QMap<QString, QString> ValuesByName(const QStringList& byRecord);
