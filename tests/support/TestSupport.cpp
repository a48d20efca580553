#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>

TestHome::TestHome()
{
    m_oldHome = qgetenv("HOME");
    qputenv("HOME", m_dir.path().toUtf8());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        qunsetenv(name);
    installPrompter(&prompter);
    installFilePicker(&picker);
    installUrlOpener(&opener);
    installProcesses(&processes);
    installSleeper(&sleeper);
}

TestHome::~TestHome()
{
    installPrompter(nullptr);
    installFilePicker(nullptr);
    installUrlOpener(nullptr);
    installProcesses(nullptr);
    installSleeper(nullptr);
    qputenv("HOME", m_oldHome);
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}
