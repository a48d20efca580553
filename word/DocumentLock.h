#pragma once
// Tlockqen: tells whether another program provably holds a file and, when one does, has the
// caller ask the user to save and close it there. It never ends anybody's program.
#include "Outcome.h"

#include <QString>
#include <QStringList>
#include <functional>

// Asked while another program holds path: true when the user has closed it there and it should
// be looked at again, false to give up.
using CloseElsewhereQuestion = std::function<bool(const QString& path)>;

class Tlockqen {
public:
    ~Tlockqen();

    // True when the file is in use: it cannot be opened, another process has it open or locked,
    // or a word processor's lock file beside it belongs to a running word processor. A path
    // that does not exist counts as in use. On false the file stays open until ReleaseHandle.
    bool TryOpenExclusive(const QString& path);
    void ReleaseHandle();
    bool IsInUse(const QString& path);
    // None when the file is free, at once or once ask answered that it was closed elsewhere;
    // InUse when ask gave up (or there is none), Missing when there is no file.
    Outcome EnsureNotInUse(const QString& path, const CloseElsewhereQuestion& ask);
    // Starts the user's word processor on the document: None, or why not (none is installed,
    // or it could not be started).
    Outcome OpenWithProgram(const QString& documentPath, const QString& program);
    static QString BlanksToQuestionMarks(const QString& text);

    int FileHandle = -1;
    bool HandleOpen = false;
};

// The question about a file another program holds, after its file name.
inline const QString CloseItFirstText = QStringLiteral("文件已打开，请关闭WORD后再按确认铵钮!");

// The command that opens a document for editing: the settings value "wordprocessor" when set,
// else the first installed of wps, lowriter, libreoffice --writer, soffice --writer. Empty
// when none is installed.
QStringList WordProcessorCommand();

// The processes whose lock file beside the document says they hold it.
QList<qint64> LockFileHolders(const QString& path);
