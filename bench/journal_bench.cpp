// The cost of keeping the short form's unstored edits: one journal write as a field exit makes
// it (written beside itself, flushed to the device, renamed), on the disk of the working folder.
//   journal_bench [RUNS]
#include "EditJournal.h"
#include "Median.h"
#include "Resources.h"
#include "WordSession.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vantra");
    const int runs = argc > 1 ? atoi(argv[1]) : 20;
    // The working folder's disk, not a memory file system: the flush is part of the cost.
    QTemporaryDir home(QDir::currentPath() + "/journal-bench-XXXXXX");
    qputenv("HOME", home.path().toUtf8());
    qunsetenv("XDG_CACHE_HOME");
    const QString document = home.path() + "/a.qvx";
    createxms(document);
    DocumentEngine word;
    EditJournal journal{word.Open(document, false, true)->Identity(), {}, {}};
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        // A form half filled in: the values a field exit keeps.
        journal.values = {{"xmmc", QStringLiteral("基于深度学习的高校科研项目智能评审方法研究%1").arg(i)},
                          {"xm1", QStringLiteral("欧阳建国华")}, {"email", "ouyang@arvel.edu.cn"},
                          {"cddw1", QStringLiteral("Arvel理工大学")}, {"sqje", "12.5"},
                          {"xmjj", QStringLiteral("本项目研究高校科研项目评审中的智能方法。").repeated(8)}};
        journal.written = QDateTime::currentDateTime();
        QElapsedTimer clock;
        clock.start();
        if (!WriteJournal(journal).written())
            return 1;
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("journal write on a field exit: median %.3f ms (%d runs, flushed to the device)\n", Median(times), runs);
    return 0;
}
