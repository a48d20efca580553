// In-process set and save of short-form values in a given document, as "qvtool set" does it:
// a fresh copy of DOC for each run (not timed), then SetFields; median of N runs. Writes the
// cells it sets as "table TAB cell TAB value" lines to CELLS, for the python-docx comparison.
//   setsave_bench DOC RUNS CELLS NAME=VALUE...
#include "ApplicationDocument.h"
#include "DocumentLock.h"
#include "FieldAccess.h"
#include "FieldCatalogue.h"
#include "Median.h"
#include "ShortForm.h"
#include "WordSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 5) {
        std::fputs("usage: setsave_bench DOC RUNS CELLS NAME=VALUE...\n", stderr);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const int runs = std::atoi(argv[2]);
    Twordqen session;
    Tlockqen lock;

    QMap<int, QString> values;
    QFile cells(QString::fromLocal8Bit(argv[3]));
    if (!cells.open(QIODevice::WriteOnly))
        return 1;
    for (int a = 4; a < argc; ++a) {
        const QString assignment = QString::fromLocal8Bit(argv[a]);
        const QString name = assignment.section('=', 0, 0);
        for (int i = 0; i <= FieldHigh(); ++i)
            if (FieldData().at(i).Source == -1 && FieldData().at(i).Name == name) {
                values.insert(i, assignment.section('=', 1));
                cells.write(QStringLiteral("%1\t%2\t%3\n").arg(FieldData().at(i).TableNo).arg(FieldData().at(i).CellNo)
                                .arg(assignment.section('=', 1)).toUtf8());
            }
    }
    cells.close();

    QTemporaryDir dir;
    const QString copy = dir.path() + "/copy.qvx";
    std::vector<double> times;
    for (int i = 0; i < runs + 1; ++i) {
        QFile::remove(copy);
        if (!QFile::copy(source, copy))
            return 1;
        FieldMap form;
        ApplicationDocument document(session, lock, copy);
        QElapsedTimer timer;
        timer.start();
        const StoreResult stored = document.SetFields(form, values, {}, {});
        const double ms = timer.nsecsElapsed() / 1e6;
        if (!stored.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(Explain(stored.cause)));
            return 1;
        }
        if (i > 0)  // the first run also derives the password hash once for the process
            times.push_back(ms);
    }
    std::printf("setsave_ms=%.2f\n", Median(times));
    return 0;
}
