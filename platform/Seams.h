#pragma once
// Everything that waits for a person or the world goes through one of these units, so that
// tests can replace it. The program installs the widget-based ones at start; without them the
// defaults below answer as a person who is not there would (no, cancel, nothing).
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

enum class NoticeIcon { Information, Warning, Question, Error };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void notice(const QString& text, const QString& caption, NoticeIcon icon) = 0;
    // OK and Cancel, Cancel the default; true only for OK.
    virtual bool confirm(const QString& text, const QString& caption) = 0;
};

class FilePicker {
public:
    virtual ~FilePicker() = default;
    // Filters are pipe-separated pairs: "描述(*.x)|*.x|…". Empty answer: cancelled.
    virtual QString openFile(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual QString saveFile(const QString& title, const QString& folder, const QString& filter,
                             const QString& proposedName) = 0;
};

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool openUrl(const QString& url) = 0;
};

// The progress window as the layers below the windows see it.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void FrmShow(unsigned kind, int steps) = 0;
    virtual void run(const QString& text) = 0;
    virtual void zipxMsg(const QString& text) = 0;
    virtual void setGauge(int percent) = 0;  // -1: busy, with no percentage to tell
    virtual void Close() = 0;  // the window's ordinary close (hide)
    // Long work that can be given up shows 取消; the work asks whether it was pressed.
    virtual void allowCancel(bool) {}
    virtual bool cancelRequested() { return false; }
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleep(int milliseconds) = 0;
};

// Other programs: who holds a file, starting a program. There is no way to end another
// program's process: LibreOffice serves every open document from one process, so ending it
// would lose the user's unsaved work in documents that have nothing to do with this program.
// How a program that was run to its end did.
struct RunOutcome {
    bool started = false;
    bool timedOut = false;
    bool stopped = false;   // ended because the caller asked
    int exitCode = -1;      // when it ended by itself
    QByteArray output;      // what it wrote, standard output and error together
};

class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Other processes that have the file open.
    virtual QList<qint64> holdersOf(const QString& path) = 0;
    virtual QString findExecutable(const QString& name) = 0;
    // Runs a program and waits for it, at most timeoutMs. It runs in a process group of its own,
    // so that when it is ended (the time is up, or stop answered true between waits) every
    // process it started ends with it; those are this program's, and nobody else's.
    virtual RunOutcome run(const QString& program, const QStringList& arguments, int timeoutMs,
                           const std::function<bool()>& stop) = 0;
    virtual bool startDetached(const QString& program, const QStringList& arguments, const QString& folder) = 0;
};

// Which kind of storage holds a path: the codes of DriveKind (fixed, removable, optical, …).
class DriveClassifier {
public:
    virtual ~DriveClassifier() = default;
    virtual int kindOf(const QString& path) = 0;
};

// The desktop's secret store, for the mail password. The stand-in without one keeps what it is
// told for the run only.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    virtual bool read(const QString& key, QString& secret) = 0;
    virtual bool write(const QString& key, const QString& secret) = 0;
};

Prompter& prompter();
FilePicker& filePicker();
UrlOpener& urlOpener();
ProgressSink& progress();
Sleeper& sleeper();
ProcessControl& processes();
DriveClassifier& drives();
SecretStore& secrets();

// Install a replacement; nullptr restores the default. The caller keeps ownership.
void installPrompter(Prompter* p);
void installFilePicker(FilePicker* p);
void installUrlOpener(UrlOpener* p);
void installProgress(ProgressSink* p);
void installSleeper(Sleeper* p);
void installProcesses(ProcessControl* p);
void installDrives(DriveClassifier* d);
void installSecrets(SecretStore* s);

// The system's two message boxes. The warning icon shows exactly when the caption is "请注意".
void ShowNotice(const QString& text, const QString& caption);
bool AskConfirm(const QString& text, const QString& caption);
// A failure that ended a user action, shown with its own text.
void ShowError(const QString& text);
