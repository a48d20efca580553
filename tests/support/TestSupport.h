#pragma once
// Scripted stand-ins for the seams, and a private home folder for each test.
#include "Seams.h"

#include <QByteArray>
#include <QList>
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

    void notice(const QString& text, const QString& caption, NoticeIcon icon) override
    {
        shown.append({text, caption, icon});
    }
    bool confirm(const QString& text, const QString& caption) override
    {
        shown.append({text, caption, NoticeIcon::Question});
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
    bool openUrl(const QString& url) override
    {
        opened << url;
        return true;
    }
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

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};

QByteArray ReadAll(const QString& path);
void WriteFile(const QString& path, const QByteArray& content);
