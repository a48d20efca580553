#include "Startup.h"

#include "Edition.h"
#include "Failure.h"
#include "Gb18030.h"
#include "SafeWrite.h"

#include <QDir>
#include <QFileInfo>

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
    // Windows machines and USB sticks often write X.QVS.
    return path.endsWith('s', Qt::CaseSensitive) || path.endsWith(PackageExtension(), Qt::CaseInsensitive);
}

bool EnsureMarkerFile(const QString& markerPath)
{
    if (QFileInfo::exists(markerPath))
        return true;
    if (const Outcome written = WriteBytesAtomically(markerPath, ToGb18030(MarkerFileLine()) + "\r\n"); !written.written())
        throw Failure(written);
    return false;
}
