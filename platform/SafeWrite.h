#pragma once
// Writing files so that nothing is ever half written: the data goes into a temporary file in the
// target's own folder (never through a symbolic link), is flushed to the device, and is then
// renamed over the target, whose folder is flushed too. Temporary files carry a recognisable
// name and a lock, so a later run removes those a killed run left behind.
//
// Each routine answers an Outcome: None when the file is whole and on the device; NotDurable
// when it is whole and in place but its folder could not be flushed (a power cut might still
// lose the rename); a failure otherwise, and the old target is then untouched.
#include "Outcome.h"

#include <QString>
#include <functional>

class QFileDevice;

// The marker in every temporary name: FOLDER/.~vantra-NAME-XXXXXX.
inline const QString TemporaryMark = QStringLiteral(".~vantra-");

// Reads the finished temporary file before it replaces anything; a failure stops the write.
using WrittenCheck = std::function<Outcome(const QString& temporary)>;
// Never: a file that stands at the target (or appears there meanwhile) stays, and the write fails.
enum class Replace { Allowed, Never };

// Writes target from produce, which writes into the device and answers false on failure (the
// cause is taken from errno, or from the device).
Outcome WriteAtomically(const QString& target, const std::function<bool(QFileDevice&)>& produce,
                        const WrittenCheck& check = {}, Replace replace = Replace::Allowed);

// The same for bytes at hand.
Outcome WriteBytesAtomically(const QString& target, const QByteArray& bytes);

// Copies source to target as above, then reads the target back from the device and compares it
// with the source byte for byte.
Outcome DeliverCopy(const QString& source, const QString& target, Replace replace = Replace::Allowed);

// Renames from to to, never over a file that stands there (or appears there meanwhile), and
// flushes the folder.
Outcome RenameWithoutReplacing(const QString& from, const QString& to);

// Flushes an existing file and its folder to the device.
Outcome FlushToDevice(const QString& path);

// Removes the temporary files of this program in the folder whose writer has ended.
void RemoveStaleTemporaries(const QString& folder);
