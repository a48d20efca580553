#pragma once
// The check before submission: the body is long enough and the short form complete, and the
// values of a few named fields, all read from the document itself.
#include "Outcome.h"

#include <QString>
#include <QStringList>
#include <functional>

enum CheckFlag { CheckBodyLength = 1, CheckCompleteness = 2 };
enum ReadMode { ReadNothing = 0, ReadValuesByName = 1 };

inline const QString IncompleteText = QStringLiteral("信息不全,请补全！");
inline const QString MembersIncompleteText = QStringLiteral("项目组成员信息不全,请补全！");
inline const QString InvalidDocumentText = QStringLiteral("无效项目申请书!");

struct DocumentCheck {
    enum Verdict { Passed, Invalid, BodyTooShort, Incomplete, MembersIncomplete };
    Verdict outcome = Passed;
    QString message;      // what the user is told; empty when every requested check passed
    int bodyCharacters = -1;  // the applicant's own body text, when it was counted
    QStringList values;   // one per requested name ("#" for a name no own field has), read when
                          // the checks passed and a read was asked for
    Outcome cause;        // with Invalid: why the file is no application (the message's second line)
    bool passed() const { return outcome == Passed; }
};

// The two walks of a check, for its caller's progress: the completeness check, then the read of
// the named values; step is called once per catalogue record of each.
enum class CheckPhase { Checking, Reading };
using CheckStep = std::function<void(CheckPhase)>;

// The body text's length rule: the characters the applicant wrote in the body section, beyond
// the blank document's own, must be more than MinBodyChars.
int BodyCharacters(class DocumentReader& doc);
// "正文字数少于一千! （当前正文 N 字）"
QString BodyTooShortMessage(int bodyCharacters);

// The checks on the document the session opens from path; Invalid when it is no application,
// with InvalidDocumentText and the cause on a second line.
DocumentCheck ReadAndCheckDocument(class Twordqen& session, const QString& path, int checks, ReadMode mode,
                                   const QStringList& names, const CheckStep& step = {});
// The same checks on a document already open and unprotected (a damaged one throws). It uses
// nothing shared, so that several threads can check documents at once.
DocumentCheck CheckOpenDocument(class DocumentReader& doc, int checks, ReadMode mode, const QStringList& names,
                                const CheckStep& step = {});
