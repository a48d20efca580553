// From "开始提交" to the test question, packed, to a folder on the same disk; median of N runs
// for a document of each given size in bytes (padded with an incompressible stored part, as a
// document with pictures is).   submit_bench RUNS SIZE…
#include "ApplicationDocument.h"
#include "DocumentLock.h"
#include "Edition.h"
#include "FieldCatalogue.h"
#include "Files.h"
#include "Drives.h"
#include "Median.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "PackageWindow.h"
#include "Resources.h"
#include "Seams.h"
#include "Session.h"
#include "VantraExport.h"
#include "WordSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

// Answers every question but the test question with OK; the test question stops the clock.
class ClockedPrompter : public Prompter {
public:
    QElapsedTimer clock;
    double reachedMs = -1;
    void notice(const QString& text, const QString&, NoticeIcon) override
    {
        if (text != PackageSuccessText)
            std::fprintf(stderr, "notice: %s\n", qPrintable(text));
    }
    bool confirm(const QString& text, const QString&) override
    {
        if (text != TestQuestionText)
            return true;
        reachedMs = clock.nsecsElapsed() / 1e6;
        return false;
    }
};

class Host : public SubmitHost {
public:
    explicit Host(ApplicationDocument& working) : working(working) {}
    ApplicationDocument& working;
    QString target;
    ApplicationDocument& WorkingDocument() override { return working; }
    void ShowShortFormOf(ApplicationDocument&) override {}
    void ShowShortFormWithoutWaiting() override {}
    void OpenBodyTextOf(const QString&) override {}
    void SetAutoNameEnabled(bool) override {}
    QString SaveDlg(const QString&, const QString&, const QString&, const QString&) override { return target; }
};

// A complete application of about the given size.
void MakeDocument(const QString& path, qint64 size)
{
    createxms(path);
    {
        DocumentEngine word;
        auto doc = word.Open(path, false, true);
        doc->Unprotect(ProtectPassword);
        for (const Tfiledata& f : FieldData())
            if (f.Source == -1 && f.Check == -1)
                doc->SetCellText(f.TableNo, f.CellNo, f.Name == "email" ? "a@b.cn" : QStringLiteral("内容"));
        doc->SetCellText(5, 15, QString(1500, QChar(0x5b57)));
        doc->Protect(2, false, ProtectPassword);
        doc->Close(true);
    }
    const qint64 padding = size - QFileInfo(path).size();
    if (padding <= 0)
        return;
    QByteArray bytes(padding, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    QFile part(path + ".bin");
    part.open(QIODevice::WriteOnly);
    part.write(bytes);
    part.close();
    QProcess::execute("/usr/bin/python3",
                      {"-c", "import sys,zipfile;z=zipfile.ZipFile(sys.argv[1],'a');"
                             "z.write(sys.argv[2],'word/media/image1.png',zipfile.ZIP_STORED);z.close()",
                       path, path + ".bin"});
    QFile::remove(path + ".bin");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    const int runs = argc > 1 ? atoi(argv[1]) : 5;
    ClockedPrompter prompter;
    installPrompter(&prompter);
    YearText = "2013";
    TempFolder = TempFolderPath();
    DocFolder = home.path() + "/";
    Twordqen session;
    Tlockqen lock;
    ApplicationDocument document(session, lock);
    frmzipx = new Tfrmzipx;
    Host host(document);
    TfrmVantraExport dialog(&host);
    for (int a = 2; a < argc; ++a) {
        const qint64 size = QByteArray(argv[a]).toLongLong();
        document.Open(home.path() + QStringLiteral("/省高校申请书%1.qvx").arg(size));
        MakeDocument(document.CurDocPath(), size);
        host.target = home.path() + QStringLiteral("/out%1.qvs").arg(size);
        std::vector<double> times;
        for (int i = 0; i < runs + 1; ++i) {
            dialog.show();
            prompter.reachedMs = -1;
            prompter.clock.start();
            dialog.Button1Click();
            if (prompter.reachedMs < 0) {
                std::fprintf(stderr, "the test question was not reached\n");
                return 1;
            }
            if (i > 0)  // the first run warms the caches
                times.push_back(prompter.reachedMs);
        }
        std::printf("document of %.1f MB: \"开始提交\" to the test question, median %.1f ms over %d runs\n",
                    QFileInfo(document.CurDocPath()).size() / 1048576.0, Median(times), runs);
    }
    delete frmzipx;
    installPrompter(nullptr);
    return 0;
}
