// qvtool-intake: "qvtool intake" runs this program in its place. The intake is a program of its
// own because SQLite and the spreadsheet library (with the crypto library it brings) would cost
// every other qvtool command some 5 ms of start-up.
#include "Failure.h"
#include "Intake.h"

#include <QCoreApplication>
#include <cstdio>
#include <new>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCoreApplication::setApplicationName("vantra");
    try {
        return RunIntake(arguments);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.text().toLocal8Bit().constData());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n", QStringLiteral("内存不足").toLocal8Bit().constData());
    }
    return 1;
}
