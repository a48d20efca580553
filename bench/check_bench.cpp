// ReadAndCheckDocument with both checks and the seven e-mail names on a complete document;
// median of N runs.   check_bench [RUNS]
#include "CompletenessCheck.h"
#include "Edition.h"
#include "Median.h"
#include "FieldCatalogue.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Resources.h"
#include "WordSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? atoi(argv[1]) : 20;
    QTemporaryDir dir;
    const QString path = dir.path() + "/complete.qvx";
    createxms(path);
    {
        DocumentEngine word;
        auto doc = word.Open(path, false, true);
        doc->Unprotect(ProtectPassword);
        for (const Tfiledata& f : FieldData())
            if (f.Check != -2 || f.Name.startsWith("xm") || f.Name.startsWith("sfzh") || f.Name.startsWith("szdw")
                || f.Name.startsWith("zyjszw") || f.Name.startsWith("xmzfg"))
                doc->SetCellText(f.TableNo, f.CellNo, f.Name == "email" ? "a@b.cn" : QStringLiteral("内容") + f.Name);
        doc->SetCellText(5, 15, QString(1500, QChar(0x5b57)));
        doc->Protect(2, false, ProtectPassword);
        doc->Close(true);
    }
    Twordqen session;
    const QStringList names = {"xm1", "xmlbdm", "cddw1", "szxy", "xmlb", "lxr", "email"};
    std::vector<double> times;
    DocumentCheck check;
    for (int i = 0; i < runs + 1; ++i) {
        QElapsedTimer timer;
        timer.start();
        check = ReadAndCheckDocument(session, path, CheckBodyLength | CheckCompleteness, ReadValuesByName, names);
        if (i > 0)  // the first run also derives the password hash once for the process
            times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("ReadAndCheckDocument: message \"%s\", median %.2f ms over %d runs\n", qPrintable(check.message),
                Median(times), runs);
    return check.passed() ? 0 : 1;
}
