#pragma once
// Writing files so that nothing is ever half written: the data goes into a temporary file in the
// target's own folder (never through a symbolic link), is flushed to the device, and is then
// renamed over the target, whose folder is flushed too. Temporary files carry a recognisable
// name and a lock, so a later run removes those a killed run left behind.
#include <QString>
#include <functional>

class QFileDevice;

// The marker in every temporary name: FOLDER/.~vantra-NAME-XXXXXX.
inline const QString TemporaryMark = QStringLiteral(".~vantra-");

// Writes target from produce (which writes into the device and answers false on failure).
// check, when given, reads the finished temporary file before it replaces anything and answers
// false (with its reason) when it is not right. False with reason set to a Chinese sentence
// naming the cause and the path; the old target is then untouched.
using WrittenCheck = std::function<bool(const QString& temporary, QString* reason)>;
// Never: a file that stands at the target (or appears there meanwhile) stays, and the write fails.
enum class Replace { Allowed, Never };
bool WriteAtomically(const QString& target, const std::function<bool(QFileDevice&)>& produce, QString* reason,
                     const WrittenCheck& check = {}, Replace replace = Replace::Allowed);

// The same for bytes at hand.
bool WriteBytesAtomically(const QString& target, const QByteArray& bytes, QString* reason);

// Copies source to target as above, then reads the target back from the device and compares it
// with the source byte for byte.
bool DeliverCopy(const QString& source, const QString& target, QString* reason, Replace replace = Replace::Allowed);

// Flushes an existing file and its folder to the device.
bool FlushToDevice(const QString& path, QString* reason);

// Removes the temporary files of this program in the folder whose writer has ended.
void RemoveStaleTemporaries(const QString& folder);

// Why a file operation failed, from the system's error number, in Chinese: "磁盘空间不足" …
QString FailureCause(int error);
// "无法保存文件 PATH：CAUSE"
QString WriteFailureText(const QString& path, int error);
