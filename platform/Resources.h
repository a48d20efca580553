#pragma once
// The data carried inside the program file, found by type and name (letter case ignored).
#include <QByteArray>
#include <QString>
#include <optional>

std::optional<QByteArray> ResourceBytes(const QString& type, const QString& name);
// The edition's string table: 1 the edition year, 2 the number of end-year choices.
QString StringResource(int id);

// Writes the resource to path; with force false an existing file is left alone (false).
// Never creates folders; any error gives false and is not reported.
bool ExtractResource(const QString& type, const QString& name, const QString& path, bool force);
bool WriteResource(const QString& type, const QString& name, const QString& path);
// The blank application document to path, replacing any file there.
bool createxms(const QString& path);
