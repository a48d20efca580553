#pragma once
// Session-wide values, alive from start to exit. Folder values end with '/'.
#include <QString>

extern QString DocFolder;
extern QString ExeFolder;
extern QString YearText;
extern QString TempFolder;
extern QString HelpDocPath;
