#pragma once
// The files an intake takes: every .qvs and .qvx under the folders named, any letter case.
// Links are never followed; a link, a pipe or a device with such a name is refused at sight.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct IntakeFile {
    enum Kind { Package, Document };
    QByteArray path;   // as the system names it, for opening
    QString shownPath; // for the register and the tables
    Kind kind = Document;
    qint64 size = 0;
    qint64 modifiedNs = 0;  // modification time, nanoseconds since the epoch
    qint64 inode = 0;
    qint64 device = 0;
    QString refusal;   // why it is refused without being read; empty when it is to be read
};

struct IntakeScan {
    QList<IntakeFile> files;  // in path order
    QStringList problems;     // folders that could not be read, and arguments that are no folder
    // The other files found, by name, so that a folder without one package can say what it has.
    QStringList skipped;      // the first MaxSkippedNamed of them
    int skippedCount = 0;
};

inline constexpr int MaxSkippedNamed = 20;

inline constexpr int MaxFolderDepth = 64;  // deeper folders are not entered (and are reported)

IntakeScan ScanFolders(const QStringList& folders);
// What an intake takes a file of that name as; nothing for a name it does not take.
std::optional<IntakeFile::Kind> IntakeKindOf(const QByteArray& name);
