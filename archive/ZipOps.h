#pragma once
// The archive runs the package window drives: pack one file, test every entry, count the
// entries, and extract one entry to a file. Each raises the events of zip::Events as it goes.
#include "SafeWrite.h"
#include "ZipFormat.h"

#include <QStringList>

namespace zip {

// Packs one file as one entry named by its bare file name in GB 18030 (with the Unicode Path
// field for a name that is not plain ASCII), dated by its last write. check reads the finished
// archive before it replaces anything. The archive file is replaced whole or not at all.
Outcome PackFile(const QString& archivePath, const QString& filePath, int deflateType, bool encryptHeaders,
                 const Events& events, const WrittenCheck& check = {});

// Not ok when the file is no archive the engine can read; otherwise every entry is tested and
// reported through events.tested, and the run is ok.
Outcome TestArchive(const QString& archivePath, const Events& events);

struct EntryTally {
    int entries = -1;  // -1: the file is no archive the engine can read
    QString error;
    Cause cause = Cause::None;
};
// The number of entries the central directory lists. Nothing is inflated.
EntryTally EntryCount(const QString& archivePath);

// Writes entry index to target through a temporary file in the target's folder (never through
// a link), flushed and then renamed; nothing else is written anywhere.
Outcome ExtractEntryTo(const QString& archivePath, int index, const QString& target, const Events& events);

// Extensions stored rather than deflated: they are compressed already.
bool IsStoredType(const QString& filePath);

} // namespace zip
