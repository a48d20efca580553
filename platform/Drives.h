#pragma once
// What kind of storage holds a path, and the working folders that depend on it.
#include <QString>

enum DriveKindCode {
    DriveUnknown = 0,
    DriveFixed = 1,
    DriveOptical = 2,
    DriveRemovable = 3,
    DriveRam = 4,
    DriveNetwork = 5,
};

// Classifies the mount that holds the path (the nearest existing folder when it does not exist).
int DriveKind(const QString& path);
// The same from a given mount table (/proc/self/mountinfo format) and a sysfs root, for tests.
int DriveKindFrom(const QString& path, const QString& mountInfo, const QString& sysRoot);

// The program's folder in the user's data folder, created when missing; ends with '/'.
QString WindowsFolder();
// qentemp/ in the user's cache folder, created when missing; throws Failure when it cannot be.
QString TempFolderPath();
// The path itself when it lies on a fixed disk, else the temporary folder + its file name.
QString LocalCopyPath(const QString& path);
