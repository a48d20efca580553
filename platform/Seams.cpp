#include "Seams.h"

#include "Edition.h"
#include "Drives.h"
#include "Processes.h"

#include <QHash>

#include <QThread>
#include <cstdio>

namespace {

class AbsentPrompter : public Prompter {
public:
    void notice(const QString& text, const QString& caption, NoticeIcon) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    }
    bool confirm(const QString& text, const QString& caption) override
    {
        notice(text, caption, NoticeIcon::Question);
        return false;
    }
};

class AbsentFilePicker : public FilePicker {
public:
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
};

class AbsentUrlOpener : public UrlOpener {
public:
    bool openUrl(const QString&) override { return false; }
};

class SilentProgress : public ProgressSink {
public:
    void FrmShow(unsigned, int) override {}
    void run(const QString&) override {}
    void zipxMsg(const QString&) override {}
    void setGauge(int) override {}
    void Close() override {}
};

class RealSleeper : public Sleeper {
public:
    void sleep(int milliseconds) override { QThread::msleep(milliseconds); }
};

class MountTable : public DriveClassifier {
public:
    int kindOf(const QString& path) override { return DriveKind(path); }
};

class RunMemory : public SecretStore {
public:
    bool read(const QString& key, QString& secret) override
    {
        if (!m_secrets.contains(key))
            return false;
        secret = m_secrets.value(key);
        return true;
    }
    bool write(const QString& key, const QString& secret) override
    {
        m_secrets.insert(key, secret);
        return true;
    }

private:
    QHash<QString, QString> m_secrets;
};

template <class Interface, class Default>
struct Slot {
    Default fallback;
    Interface* current = nullptr;
    Interface& get() { return current ? *current : fallback; }
};

Slot<Prompter, AbsentPrompter> prompterSlot;
Slot<FilePicker, AbsentFilePicker> pickerSlot;
Slot<UrlOpener, AbsentUrlOpener> urlSlot;
Slot<ProgressSink, SilentProgress> progressSlot;
Slot<Sleeper, RealSleeper> sleeperSlot;
Slot<ProcessControl, SystemProcesses> processSlot;
Slot<DriveClassifier, MountTable> driveSlot;
Slot<SecretStore, RunMemory> secretSlot;

} // namespace

Prompter& prompter() { return prompterSlot.get(); }
FilePicker& filePicker() { return pickerSlot.get(); }
UrlOpener& urlOpener() { return urlSlot.get(); }
ProgressSink& progress() { return progressSlot.get(); }
Sleeper& sleeper() { return sleeperSlot.get(); }
ProcessControl& processes() { return processSlot.get(); }
DriveClassifier& drives() { return driveSlot.get(); }
SecretStore& secrets() { return secretSlot.get(); }

void installPrompter(Prompter* p) { prompterSlot.current = p; }
void installFilePicker(FilePicker* p) { pickerSlot.current = p; }
void installUrlOpener(UrlOpener* p) { urlSlot.current = p; }
void installProgress(ProgressSink* p) { progressSlot.current = p; }
void installSleeper(Sleeper* p) { sleeperSlot.current = p; }
void installProcesses(ProcessControl* p) { processSlot.current = p; }
void installDrives(DriveClassifier* d) { driveSlot.current = d; }
void installSecrets(SecretStore* s) { secretSlot.current = s; }

void ShowNotice(const QString& text, const QString& caption)
{
    prompter().notice(text, caption, caption == NoticeCaption ? NoticeIcon::Warning : NoticeIcon::Information);
}

bool AskConfirm(const QString& text, const QString& caption)
{
    return prompter().confirm(text, caption);
}

void ShowError(const QString& text)
{
    prompter().notice(text, TitleText, NoticeIcon::Error);
}
