#pragma once
// One file of an intake read as the submission reads it: its SHA-256, a package checked and its
// document unpacked into the work folder, the document's short form and its check. Uses nothing
// shared, so that several threads read files at once.
#include "IntakeScan.h"
#include "WordHost.h"

#include <QString>
#include <atomic>
#include <functional>
#include <optional>

struct IntakeRow {
    IntakeFile file;
    QString sha256;       // lower-case hexadecimal; empty when the file could not be read
    QString documentSha256;  // the application document's: a package's unpacked entry, or the file
    bool known = false;   // the register has this path with this content: nothing else was read
    bool taken = false;   // status "ok"; otherwise "refused"
    QString entry;        // a package's entry name
    std::optional<DocumentFormat> format;  // the application document's, once it was read
    QString message;      // why it was refused, or the check's result
    QString applicant, idNumber, category, discipline, disciplineCode, unit, title, amount, start, end;
    int members = -1;     // filled member rows besides the applicant
    int bodyChars = -1;   // the applicant's own characters in the body
    QString firstSeen, lastSeen;  // as the register has them
};

inline const QString CheckPassedIntakeText = QStringLiteral("检查通过");

struct IntakeOptions {
    QString workFolder;      // the private folder packages are unpacked into
    bool allProblems = false;  // every problem, as "qvtool verify --all" lists them
    // Whether the register already holds this path with this content.
    std::function<bool(const QString& path, const QString& sha256)> known;
    const std::atomic<bool>* stop = nullptr;  // set on Ctrl+C: a long unpacking ends at once
};

// number makes the unpacked file's name unique among the threads' work.
IntakeRow ReadIntakeFile(const IntakeFile& file, int number, const IntakeOptions& options);
