#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

QString SettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/vantra/vantra.ini";
}

QString SettingValue(const QString& key)
{
    return SettingValue(QStringLiteral("qen"), key);
}

QString SettingValue(const QString& group, const QString& key)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {};
    return settings.value(group + "/" + key).toString();
}

bool SetSettingValue(const QString& group, const QString& key, const QString& value)
{
    QDir().mkpath(QFileInfo(SettingsFilePath()).path());
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.setValue(group + "/" + key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
