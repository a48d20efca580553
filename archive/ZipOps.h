#pragma once
// The three archive runs the package window drives: pack one file, test every entry, and
// extract every entry into a folder. Each raises the events of zip::Events as it goes.
#include "ZipFormat.h"

#include <QStringList>

namespace zip {

// Packs one file as one entry named by its bare file name in GB 18030 (with the Unicode Path
// field for a name that is not plain ASCII), dated by its last write.
// The archive file is replaced whole or not at all.
bool PackFile(const QString& archivePath, const QString& filePath, int deflateType, bool encryptHeaders,
              const Events& events, QString* error);

// False when the file is no archive the engine can read (error says why); otherwise every
// entry is tested and reported through events.tested, and the result is true.
bool TestArchive(const QString& archivePath, const Events& events, QString* error);

// The number of entries the central directory lists; -1 when the file is no archive the
// engine can read (error says why). Nothing is inflated.
int EntryCount(const QString& archivePath, QString* error);

// Writes entry index to target through a temporary file in the target's folder (never through
// a link), flushed and then renamed; nothing else is written anywhere.
bool ExtractEntryTo(const QString& archivePath, int index, const QString& target, const Events& events, QString* error);

// Writes every entry into folder under its bare stored name; folder parts, "..", absolute
// paths and drive letters in stored names never reach outside the folder. An entry that fails
// leaves no file behind. False when the archive cannot be read or any entry failed.
bool ExtractArchive(const QString& archivePath, const QString& folder, const Events& events, QString* error);

// The file-name part of a stored name, or empty when nothing safe remains.
QString SafeEntryName(const QString& storedName);

// Extensions stored rather than deflated: they are compressed already.
bool IsStoredType(const QString& filePath);

} // namespace zip
