// Document engine timings on the blank template, medians of N runs:
//   (a) open + unprotect + read every catalogue cell + close
//   (b) open + unprotect + write every own catalogue cell + protect + save + close
// Prints the catalogue's cells as "table cell" lines to CELLS_FILE for the comparison script.
#include "Edition.h"
#include "Median.h"
#include "FieldCatalogue.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Resources.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? atoi(argv[1]) : 20;
    QTemporaryDir dir;
    const QString path = dir.path() + "/blank.qvx";
    createxms(path);
    if (argc > 2) {
        QFile cells(argv[2]);
        cells.open(QIODevice::WriteOnly);
        for (const Tfiledata& f : FieldData())
            cells.write(QByteArray::number(f.TableNo) + " " + QByteArray::number(f.CellNo) + "\n");
    }

    DocumentEngine word;
    std::vector<double> read, write;
    qint64 checksum = 0;
    for (int i = 0; i < runs + 1; ++i) {
        QElapsedTimer timer;
        timer.start();
        auto doc = word.Open(path, false, true);
        doc->Unprotect(ProtectPassword);
        for (const Tfiledata& f : FieldData())
            checksum += doc->CellText(f.TableNo, f.CellNo).size();
        doc->Close(false);
        const double a = timer.nsecsElapsed() / 1e6;

        const QString copy = dir.path() + "/written.qvx";
        QFile::remove(copy);
        QFile::copy(path, copy);
        timer.restart();
        auto w = word.Open(copy, false, true);
        w->Unprotect(ProtectPassword);
        for (const Tfiledata& f : FieldData())
            if (f.Source == -1)
                w->SetCellText(f.TableNo, f.CellNo, QStringLiteral("测试值 ") + f.Name);
        w->SetProtectedForForms(1, true);
        w->SetProtectedForForms(2, false);
        w->Protect(2, false, ProtectPassword);
        w->Close(true);
        const double b = timer.nsecsElapsed() / 1e6;
        if (i > 0) {  // the first run also derives the password hash once for the process
            read.push_back(a);
            write.push_back(b);
        }
    }
    std::printf("engine read  (a): median %.2f ms over %d runs\n", Median(read), runs);
    std::printf("engine write (b): median %.2f ms over %d runs\n", Median(write), runs);
    std::printf("read_ms=%.4f\n", Median(read));
    return checksum > 0 ? 0 : 1;
}
