#include "Session.h"

QString CurDocPath;
QString DocFolder;
QString ExeFolder;
QString YearText;
QString TempFolder;
QString HelpDocPath;
