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

class ZipReader;

// The check a personal package passes wherever it is read (the submission as it packs, qvtool
// check, the intake): an archive the engine reads, exactly one entry, which inflates whole with
// its CRC. keep: the entry's bytes are kept for the caller, so that it is inflated once.
struct PackageVerdict {
    Outcome cause;        // None, or what is wrong with the package
    QString entry;        // the one entry's name
    QByteArray document;  // its bytes, when kept
    bool noMemory = false;  // the entry could not be held: no verdict on the package
    bool ok() const { return cause.ok(); }
};
PackageVerdict JudgePackage(const ZipReader& reader, const QString& path, bool keep, const zip::Events& events = {});

struct PackResult {
    bool ok = false;
    QString message;  // what failed and where, for the user; empty when all went well
};
// Writes the package whole or not at all, and checks it (JudgePackage) before it takes the
// place of anything: a failure leaves whatever stood at the package path (an older package) as
// it was, and never touches the document.
PackResult CompressPackage(PackageState& state, const QString& document, const QString& package, int deflateType);
struct PackageCheck {
    bool ok = false;
    QString entry;    // the one entry's name, when the package holds exactly one good entry
    QString message;  // otherwise why it is no personal package
};
PackageCheck CheckPackage(PackageState& state, const QString& package);
// ok when the unpacked document stands at target. Nothing else is written, and no folder made.
PackResult ExtractPackage(PackageState& state, const QString& package, const QString& target);
