#pragma once
// The files an intake takes: every .qvs and .qvx under the folders named, any letter case.
// Links are never followed; a link, a pipe or a device with such a name is refused at sight.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

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
};

inline constexpr int MaxFolderDepth = 64;  // deeper folders are not entered (and are reported)

IntakeScan ScanFolders(const QStringList& folders);
// Whether a file name is one an intake takes, and as what.
bool IsIntakeName(const QByteArray& name, IntakeFile::Kind* kind);
