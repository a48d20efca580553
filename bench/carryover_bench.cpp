// A new application from an earlier, filled one (OOXML, with its body): the choice of groups
// opened (the earlier document read and the dialog made and laid out) and the new application
// made with every group; medians of N runs.   carryover_bench [RUNS]
#include "EarlierApplication.h"
#include "Edition.h"
#include "FieldCatalogue.h"
#include "FromEarlierDialog.h"
#include "Median.h"
#include "DocumentEngine.h"
#include "Resources.h"
#include "WordSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? atoi(argv[1]) : 20;
    QTemporaryDir dir;
    const QString earlier = dir.path() + "/earlier.qvx";
    createxms(earlier);
    {
        DocumentEngine word;
        auto doc = word.Open(earlier, false, true);
        doc->Unprotect(ProtectPassword);
        for (const Tfiledata& f : FieldData())
            if (f.Source == -1 && f.Name != "xkdm")
                doc->SetCellText(f.TableNo, f.CellNo, QStringLiteral("内容") + f.Name);
        doc->SetCellText(5, 15, QString(3000, QChar(0x5b57)));
        doc->Protect(2, false, ProtectPassword);
        doc->Close(true);
    }
    QSet<CarryGroup> all;
    for (const CarryGroupInfo& info : CarryGroups())
        all.insert(info.group);
    std::vector<double> choice, making;
    for (int i = 0; i < runs + 1; ++i) {
        QElapsedTimer timer;
        timer.start();
        const EarlierApplication read = ReadEarlierApplication(earlier);
        {
            TfrmFromEarlier dialog(read);
            dialog.show();
            QApplication::processEvents();
        }
        const double opened = timer.nsecsElapsed() / 1e6;
        const QString target = dir.path() + QString("/new%1.qvx").arg(i);
        timer.restart();
        const NewFromEarlierOutcome made = MakeFromEarlier(read, target, all);
        const double madeMs = timer.nsecsElapsed() / 1e6;
        if (!made.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(made.message));
            return 1;
        }
        QFile::remove(target);
        if (i > 0) {  // the first run also derives the password hash once for the process
            choice.push_back(opened);
            making.push_back(madeMs);
        }
    }
    std::printf("choice of groups opened: median %.1f ms; new application made: median %.1f ms; over %d runs\n",
                Median(choice), Median(making), runs);
    return 0;
}
