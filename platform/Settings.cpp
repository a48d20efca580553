#include "Settings.h"

#include <QSettings>
#include <QStandardPaths>

QString SettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/vantra/vantra.ini";
}

QString SettingValue(const QString& key)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {};
    return settings.value("qen/" + key).toString();
}
