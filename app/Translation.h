#pragma once
// The program speaks Chinese only: Qt's own texts (OK and Cancel, the file dialogs, the
// overwrite question) come from Qt's Chinese translation, whatever the locale.
class QTranslator;

// Loads qtbase_zh_CN and installs it; null when the translation is not installed.
QTranslator* InstallQtChinese();
