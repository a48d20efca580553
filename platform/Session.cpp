#include "Session.h"

QString DocFolder;
QString ExeFolder;
QString YearText;
QString TempFolder;
QString HelpDocPath;
