#pragma once
// A new application made from an earlier one: the earlier document (this program's, the Windows
// edition's Word 97 one, or the document in a package) is read and never written; the new one
// is the blank document, or with the body chosen a copy of the earlier one (converted first
// when it is a Word 97 document), with its short form replaced by the chosen groups and the
// template's protection.
#include "CarryOver.h"
#include "WordHost.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

struct EarlierApplication {
    bool ok = false;
    QString message;   // why it cannot be read, for the user
    QString path;      // what the user chose
    QString document;  // the document read: path itself, or a package's unpacked document
    std::shared_ptr<QTemporaryDir> unpacked;  // a package's private folder, while this lives
    DocumentFormat format = DocumentFormat::Ooxml;
    QMap<QString, QString> values;  // the own fields, by name
    int bodyCharacters = 0;          // what the applicant wrote in the body
};

// The catalogue must be loaded. A package (.qvs) is unpacked into a private temporary folder.
EarlierApplication ReadEarlierApplication(const QString& path);

struct NewFromEarlierOutcome {
    bool ok = false;
    QString message;         // why it was not made; nothing was left at the target then
    QList<LeftOut> leftOut;  // what the new application did not take, and why
};

// Makes the new application at target, which must not exist. stop is asked while a Word 97
// body is converted.
NewFromEarlierOutcome MakeFromEarlier(const EarlierApplication& earlier, const QString& target,
                                      const QSet<CarryGroup>& groups, const std::function<bool()>& stop = {});
