#include "TestSupport.h"

#include <csignal>
#include <sys/resource.h>

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
    installDrives(&drives);
}

TestHome::~TestHome()
{
    installPrompter(nullptr);
    installFilePicker(nullptr);
    installUrlOpener(nullptr);
    installProcesses(nullptr);
    installSleeper(nullptr);
    installDrives(nullptr);
    qputenv("HOME", m_oldHome);
}

QString IdWithCheck(const QString& first17)
{
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        int weight = 1;
        for (int k = 0; k < 17 - i; ++k)
            weight = weight * 2 % 11;
        sum += first17.at(i).digitValue() * weight;
    }
    for (int check = 0; check <= 10; ++check)
        if ((sum + check) % 11 == 1)
            return first17 + (check == 10 ? QStringLiteral("X") : QString::number(check));
    return {};
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

FileSizeLimit::FileSizeLimit(long long bytes)
{
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_old = (long long)limit.rlim_cur;
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_old);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_oldHandler);
}
