#pragma once
// The check before submission: the body is long enough and the short form complete, and the
// values of a few named fields, all read from the document itself.
#include <QString>
#include <QStringList>

enum CheckFlag { CheckBodyLength = 1, CheckCompleteness = 2 };
enum ReadMode { ReadNothing = 0, ReadValuesByName = 1 };

inline const QString IncompleteText = QStringLiteral("信息不全,请补全！");
inline const QString MembersIncompleteText = QStringLiteral("项目组成员信息不全,请补全！");
inline const QString InvalidDocumentText = QStringLiteral("无效项目申请书!");
// The blank template's own character count; the applicant's text must add MinBodyChars.
inline constexpr int TemplateChars = 2880;

// message: empty when every requested check passed, else the first fault. values: one entry
// per name ("#" for a name no own field has), made when the checks passed and a read was asked.
void ReadAndCheckDocument(const QString& path, int checks, ReadMode mode, QString& message, QStringList& values,
                          const QStringList& names);
