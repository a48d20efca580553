#pragma once
// Tlockqen: tells whether another program provably holds a file and, when one does, asks the
// user to save and close it there. It never ends anybody's program.
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
    // True when the file is free, at once or after the user closed it elsewhere and pressed
    // 确定; false when the user pressed 取消 (or the file does not exist).
    bool EnsureNotInUse(const QString& path);
    // Starts the user's word processor on the document. False (with a notice) when none is found.
    bool OpenWithProgram(const QString& documentPath, const QString& program);
    static QString BlanksToQuestionMarks(const QString& text);

    int FileHandle = -1;
    bool HandleOpen = false;
};

// The notices about a file another program holds, after its file name.
inline const QString CloseItFirstText = QStringLiteral("文件已打开，请关闭WORD后再按确认铵钮!");
inline const QString InUseText = QStringLiteral("文件已打开!!!");

// The command that opens a document for editing: the settings value "wordprocessor" when set,
// else the first installed of wps, lowriter, libreoffice --writer, soffice --writer. Empty
// when none is installed.
QStringList WordProcessorCommand();

// The help document in the word processor, once the lock has found it free (the About box's
// and the short-form screen's "帮助文档").
void OpenHelpDocument();

// The processes whose lock file beside the document says they hold it.
QList<qint64> LockFileHolders(const QString& path);
