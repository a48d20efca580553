#pragma once
// Scripted stand-ins for the seams, and a private home folder for each test.
#include "Seams.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <functional>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString text;
        QString caption;
        NoticeIcon icon;
    };
    QList<Shown> shown;
    QList<bool> answers;  // consumed by confirm(); an empty queue answers Cancel
    std::function<void(const QString& text)> whileAsked;  // runs while a question is open

    void notice(const QString& text, const QString& caption, NoticeIcon icon) override
    {
        shown.append({text, caption, icon});
    }
    bool confirm(const QString& text, const QString& caption) override
    {
        shown.append({text, caption, NoticeIcon::Question});
        if (whileAsked)
            whileAsked(text);
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }
};

class ScriptedFilePicker : public FilePicker {
public:
    struct Asked {
        QString title, folder, filter, proposed;
    };
    QList<Asked> asked;
    QStringList answers;  // consumed per dialog; an empty queue answers cancel

    QString openFile(const QString& title, const QString& folder, const QString& filter) override
    {
        asked.append({title, folder, filter, QString()});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString saveFile(const QString& title, const QString& folder, const QString& filter,
                     const QString& proposed) override
    {
        asked.append({title, folder, filter, proposed});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

class RecordingUrlOpener : public UrlOpener {
public:
    QStringList opened;
    bool works = true;  // false: the desktop has nothing to open addresses with
    bool openUrl(const QString& url) override
    {
        opened << url;
        return works;
    }
};

class ScriptedProcesses : public ProcessControl {
public:
    QMap<QString, QList<qint64>> holders;  // by file path
    QStringList installed;                 // executables findExecutable knows
    struct Started {
        QString program;
        QStringList arguments;
        QString folder;
    };
    QList<Started> started;
    bool startWorks = true;  // false: programs fail to start

    QList<qint64> holdersOf(const QString& path) override { return holders.value(path); }
    QString findExecutable(const QString& name) override
    {
        return installed.contains(name) ? "/usr/bin/" + name : QString();
    }
    bool startDetached(const QString& program, const QStringList& arguments, const QString& folder) override
    {
        started.append({program, arguments, folder});
        return startWorks;
    }
    QList<Started> ran;
    // What a run does and how it ends; without it, a run fails to start.
    std::function<RunOutcome(const QString& program, const QStringList& arguments)> runs;
    RunOutcome run(const QString& program, const QStringList& arguments, int, const std::function<bool()>&) override
    {
        ran.append({program, arguments, QString()});
        return runs ? runs(program, arguments) : RunOutcome{};
    }
};

// Drive kinds by path prefix; anything else is a fixed disk.
class ScriptedDrives : public DriveClassifier {
public:
    QMap<QString, int> kinds;  // folder prefix → DriveKindCode
    int kindOf(const QString& path) override
    {
        for (auto it = kinds.begin(); it != kinds.end(); ++it)
            if (path.startsWith(it.key()))
                return it.value();
        return 1;
    }
};

class RecordingSleeper : public Sleeper {
public:
    QList<int> slept;
    void sleep(int milliseconds) override { slept << milliseconds; }
};

// While it lives, no file of this process grows beyond the given bytes: writes fail as on a
// full disk (EFBIG), without the signal that would end the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();

private:
    long long m_old;
    void (*m_oldHandler)(int);
};

// Points HOME and the XDG folders at a fresh temporary folder for the life of the object,
// and installs scripted seams.
class TestHome {
public:
    TestHome();
    ~TestHome();
    QString path() const { return m_dir.path(); }

    ScriptedPrompter prompter;
    ScriptedFilePicker picker;
    RecordingUrlOpener opener;
    ScriptedProcesses processes;
    RecordingSleeper sleeper;
    ScriptedDrives drives;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};

// An 18-character identity number with its correct check character, computed here rather than
// by the code under test: ISO 7064 MOD 11-2 makes the sum of all 18 characters (X counting 10),
// each times 2^(18-i), equal 1 modulo 11.
QString IdWithCheck(const QString& first17);

QByteArray ReadAll(const QString& path);
void WriteFile(const QString& path, const QByteArray& content);
