#include "Startup.h"

#include "Edition.h"
#include "Failure.h"
#include "Gbk.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

StartAction DecideStart(const QString& argument, bool markerExisted, bool defaultExists, int tag)
{
    if (!argument.isEmpty() && argument != QLatin1String("_link"))
        return StartAction::UseArgument;
    if (defaultExists || markerExisted || tag != 2)
        return StartAction::ShowChooser;
    return StartAction::CreateDefault;
}

bool IsPackagePath(const QString& path)
{
    return path.endsWith('s', Qt::CaseSensitive);
}

bool EnsureMarkerFile(const QString& markerPath)
{
    if (QFileInfo::exists(markerPath))
        return true;
    QSaveFile marker(markerPath);
    const QByteArray line = ToGbk(MarkerFileLine()) + "\r\n";
    if (!marker.open(QIODevice::WriteOnly) || marker.write(line) != line.size() || !marker.commit())
        throw Failure(QStringLiteral("无法创建文件 %1").arg(QDir::toNativeSeparators(markerPath)));
    return false;
}
