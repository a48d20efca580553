#pragma once
// The three operations on submission packages (.qvs): pack a document, check a package, and
// unpack its document to a chosen path. They keep the log and state the package window shows.
#include "PackageRefusal.h"
#include "ZipFormat.h"

#include <QString>
#include <QStringList>
#include <functional>

struct PackageState {
    QStringList ListBox1;          // one line per entry of the last operation
    QString CurrentEntryPath;      // path of the entry the engine began last
    qint32 BegunCount = 0;         // entries begun since start; never reset
    QString StatusName;            // file-name part of the entry in work, empty when idle
    std::function<void()> changed;       // the state above changed
    std::function<void(int, int)> gauges;  // entry and archive percentages
};


inline const QString PersonalDocumentText = QStringLiteral("本文件是个人申请书!");

inline const QString UnitPackageText = QStringLiteral("本文件可能是单位提交数据,无法在个人版打开!");

struct PackResult {
    bool ok = false;
    QString message;  // what failed and where, for the user; empty when all went well
};
// Writes the package whole or not at all: a failure leaves whatever stood at the package path
// (an older package) as it was, and never touches the document.
PackResult CompressPackage(PackageState& state, const QString& document, const QString& package, int deflateType);
struct PackageCheck {
    bool ok = false;
    QString entry;    // the one entry's name, when the package holds exactly one good entry
    QString message;  // otherwise why it is no personal package
};
PackageCheck CheckPackage(PackageState& state, const QString& package);
// ok when the unpacked document stands at target. Nothing else is written, and no folder made.
PackResult ExtractPackage(PackageState& state, const QString& package, const QString& target);
