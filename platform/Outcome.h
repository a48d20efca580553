#pragma once
// What an operation below the windows came to: what happened, the cause, the path, and the
// system's error number where there is one. The layers below the windows never show it; the
// windows, qvtool and the intake turn it into words through Explain, the one table of causes,
// so that one cause reads the same wherever it is shown.
#include <QString>

enum class Cause {
    None,
    // Files.
    Missing,       // nothing at the path
    NotAFile,      // a folder, a pipe, a device
    TooLarge,      // beyond what any application document or package can be
    ReadFailed,    // error: the system's reason
    WriteFailed,   // error: the system's reason; nothing was replaced
    NotDurable,    // written and in place, but the folder could not be flushed to the device
    CopyDiffers,   // a copy read back from the device is not the original
    // Documents.
    NotADocument,       // detail: what the container reader said
    DamagedDocument,    // detail: what is wrong inside
    PasswordToOpen,     // encrypted with a password to open
    Word95,             // a Word 95 or older document
    Spreadsheet,
    Presentation,
    OtherCompound,      // another program's compound file
    OldFormat,          // the Windows edition's format is read, never written
    ForeignProtection,  // protected with a password that is not this program's
    NotAnApplication,   // a document, but without the application's tables
    // Writing into the open application.
    ReadOnly,
    Replaced,  // another program replaced or rewrote the file since it was read
    InUse,     // another program holds the file and the user gave up
    // Packages.
    NotAPackage,        // detail: what the archive reader said
    DamagedPackage,     // detail: what the archive reader said
    EncryptedPackage,   // detail: which encryption
    UnsupportedPackage, // detail: which compression
    EmptyPackage,       // an archive without an entry
    UnitPackage,        // several entries: a unit's package, no personal one
    // Anything else: detail is the whole explanation.
    Other,
};

struct Outcome {
    Cause cause = Cause::None;
    QString path;
    int error = 0;   // errno, where the system refused
    QString detail;  // what the cause's explanation needs beyond the path

    bool ok() const { return cause == Cause::None; }
    // NotDurable is a warning: the data is where it should be.
    bool written() const { return cause == Cause::None || cause == Cause::NotDurable; }

    static Outcome failed(Cause cause, const QString& path, int error = 0, const QString& detail = {})
    {
        return {cause, path, error, detail};
    }
    static Outcome other(const QString& text) { return {Cause::Other, {}, 0, text}; }
};

// Whether a cause says that a file is no document the program reads as an application (as
// against a failure to write it, or another program holding it).
bool IsNoApplication(Cause cause);

// The explanation of an outcome for the user, in Chinese; empty for None.
QString Explain(const Outcome& outcome);

// Why a file operation failed, from the system's error number: "磁盘空间不足" …, or the system's
// own text; empty for 0.
QString FailureCause(int error);
