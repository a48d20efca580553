#pragma once
// The program's settings file (INI): the version stamp and the user's choices.
#include <QHash>
#include <QList>
#include <QString>
#include <utility>

QString SettingsFilePath();  // ~/.config/vantra/vantra.ini
// A value of group "qen"; empty when the file or the key is missing or unreadable.
QString SettingValue(const QString& key);
// The values of a group ("mail"), read in one pass over the file.
QHash<QString, QString> SettingGroup(const QString& group);
// Stores values of a group with one write of the file; false when it cannot be written.
bool SetSettingValues(const QString& group, const QList<std::pair<QString, QString>>& values);
// Stores the program's version stamp in group "qen". A file that is no INI file is replaced:
// it holds nothing worth keeping but the stamp. False when it cannot be written.
bool WriteVersionStamp(const QString& stamp);
