#pragma once
// The program's settings file (INI): the version stamp and the user's choices.
#include <QString>

QString SettingsFilePath();  // ~/.config/vantra/vantra.ini
// A value of group "qen"; empty when the file or the key is missing or unreadable.
QString SettingValue(const QString& key);
// A value of another group ("mail").
QString SettingValue(const QString& group, const QString& key);
// Stores a value; false when the file cannot be written.
bool SetSettingValue(const QString& group, const QString& key, const QString& value);
