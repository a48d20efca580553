#pragma once
// Tlockqen: tells whether another program holds a file and, when one does, frees it step by
// step: asks the user, asks the holding program to end, then ends every word processor.
#include <QString>
#include <QStringList>

class Tlockqen {
public:
    ~Tlockqen();

    // True when the file is in use: it cannot be opened, another process has it open or locked,
    // or a word processor's lock file beside it belongs to a running word processor. A path
    // that does not exist counts as in use. On false the file stays open until ReleaseHandle.
    bool TryOpenExclusive(const QString& path);
    void ReleaseHandle();
    bool IsInUse(const QString& path);
    bool EnsureNotInUse(const QString& path);
    void CloseWordWindowFor(const QString& path);
    void KillProcessByName(const QString& name);
    // Starts the user's word processor on the document. False (with a notice) when none is found.
    bool OpenWithProgram(const QString& documentPath, const QString& program);
    static QString BlanksToQuestionMarks(const QString& text);

    int FileHandle = -1;
    bool HandleOpen = false;
};

// The executables of the word processors this program works beside.
inline const QStringList WordProcessorExecutables = {"soffice.bin", "soffice", "oosplash", "wps"};

// The command that opens a document for editing: the settings value "wordprocessor" when set,
// else the first installed of wps, lowriter, libreoffice --writer, soffice --writer. Empty
// when none is installed.
QStringList WordProcessorCommand();

// The help document in the word processor, once the lock has found it free (the About box's
// and the short-form screen's "帮助文档").
void OpenHelpDocument();

// The processes whose lock file beside the document says they hold it.
QList<qint64> LockFileHolders(const QString& path);
