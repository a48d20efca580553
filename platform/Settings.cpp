#include "Settings.h"

#include "Edition.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

QString SettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/vantra/vantra.ini";
}

QString SettingValue(const QString& key)
{
    return SettingGroup(QStringLiteral("qen")).value(key);
}

QHash<QString, QString> SettingGroup(const QString& group)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {};
    QHash<QString, QString> values;
    settings.beginGroup(group);
    for (const QString& key : settings.childKeys())
        values.insert(key, settings.value(key).toString());
    return values;
}

bool SetSettingValues(const QString& group, const QList<std::pair<QString, QString>>& values)
{
    QDir().mkpath(QFileInfo(SettingsFilePath()).path());
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(group);
    for (const auto& [key, value] : values)
        settings.setValue(key, value);
    settings.endGroup();
    settings.sync();  // once, so the values of a group are written together
    return settings.status() == QSettings::NoError;
}

bool WriteVersionStamp(const QString& stamp)
{
    if (QSettings(SettingsFilePath(), QSettings::IniFormat).status() == QSettings::FormatError)
        QFile::remove(SettingsFilePath());
    return SetSettingValues(QStringLiteral("qen"), {{VersionStampKey(), stamp}});
}
