#pragma once
// The program's files in the user's home: the documents folder of the year, the version stamp,
// the icon and help extracted for the desktop, the file types' registrations, and the clearing
// of what a killed run left half written.
#include <QString>

// The user's documents folder; the home folder when the desktop names none.
QString DocumentsFolder();

// Sets ExeFolder, DocFolder and HelpDocPath. The icon, the help and the registrations are
// written again when missing, when the year's folder is new, or when the program changed since
// the stamp. Throws Failure when the folder or the stamp cannot be written.
void PrepareUserFiles(const QString& programPath, const QString& yearText);

// Sets TempFolder, then removes the program's stale temporaries there and in DocFolder; files
// still being written stay.
void RemoveStaleWork();
