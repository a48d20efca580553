#pragma once
// One file of an intake read as the submission reads it: its SHA-256, a package checked and its
// document taken out of it, the document's short form and its check. Every byte is read once,
// into memory, and nothing is written anywhere: no applicant's document lands on a disk. Uses
// nothing shared, so that several threads read files at once.
#include "IntakeScan.h"
#include "WordHost.h"

#include <QString>
#include <atomic>
#include <functional>
#include <optional>

// Where a row came from when it came from a mailbox.
struct MailOrigin {
    QString mailbox;        // "imaps://user@host:993/INBOX", without a password
    qint64 uidValidity = 0;
    qint64 uid = 0;
    QString messageId;
    QString from;           // "name <address>", decoded
    QString replyTo;        // the address a receipt goes to
    QString date;           // as ISO 8601
    QString subject;        // decoded
    QString attachment;     // the decoded file name; empty for a message without one
    QString receiptSent;    // when the receipt went; empty before
    bool isSet() const { return uid > 0; }
};

struct IntakeRow {
    IntakeFile file;
    QString sha256;       // lower-case hexadecimal; empty when the file could not be read
    QString documentSha256;  // the application document's: a package's entry, or the file
    bool known = false;   // the register has this path with this content: nothing else was read
    bool taken = false;   // status "ok"; otherwise "refused"
    bool passed = false;  // taken, and the check found nothing to mend
    // The read did not reach a verdict on the file (the run was interrupted, the machine ran
    // out of memory): nothing is recorded, so that the next run reads it again.
    bool unfinished = false;
    QString entry;        // a package's entry name
    std::optional<DocumentFormat> format;  // the application document's, once it was read
    QString message;      // why it was refused, or the check's result
    QString applicant, idNumber, category, discipline, disciplineCode, unit, title, amount, start, end;
    int members = -1;     // filled member rows besides the applicant
    int bodyChars = -1;   // the applicant's own characters in the body
    QString firstSeen, lastSeen;  // as the register has them
    MailOrigin mail;      // set for a row taken from a mailbox
};

inline const QString CheckPassedIntakeText = QStringLiteral("检查通过");
// Files beyond the document's bound are refused before a byte is read.
inline constexpr qint64 MaxIntakeFileSize = 512LL * 1024 * 1024;

struct IntakeOptions {
    bool allProblems = false;  // every problem, as "qvtool verify --all" lists them
    // Whether the register already holds this path with this content.
    std::function<bool(const QString& path, const QString& sha256)> known;
    const std::atomic<bool>* stop = nullptr;  // set on Ctrl+C
};

IntakeRow ReadIntakeFile(const IntakeFile& file, const IntakeOptions& options);
// The same for bytes already at hand (an attachment): file names it, its size is bytes'.
IntakeRow ReadIntakeBytes(const IntakeFile& file, const QByteArray& bytes, const IntakeOptions& options);

// The SHA-256 of bytes, in lower-case hexadecimal, with the processor's SHA instructions.
QString Sha256Hex(const char* data, qint64 size);
