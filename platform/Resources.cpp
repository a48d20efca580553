#include "Resources.h"

#include "SafeWrite.h"

#include <QFile>
#include <QFileInfo>

std::optional<QByteArray> ResourceBytes(const QString& type, const QString& name)
{
    QFile file(":/res/" + type.toLower() + "/" + name.toLower());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QString StringResource(int id)
{
    const auto bytes = ResourceBytes("string", QString::number(id));
    return bytes ? QString::fromUtf8(*bytes).trimmed() : QString();
}

bool ExtractResource(const QString& type, const QString& name, const QString& path, bool force)
{
    if (!force && QFileInfo::exists(path))
        return false;
    const auto bytes = ResourceBytes(type, name);
    if (!bytes)
        return false;
    // A new file appears whole or not at all.
    return WriteBytesAtomically(path, *bytes).written();
}

bool WriteResource(const QString& type, const QString& name, const QString& path)
{
    return ExtractResource(type, name, path, true);
}

bool createxms(const QString& path)
{
    return WriteResource("word", "xms", path);
}
