// qvtool: the command-line companion for scripts and the receiving office.
// Exit codes: 0 done, 1 refused input (with the system's own message), 2 bad usage.
#include "FieldCatalogue.h"
#include "Resources.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

int Usage()
{
    std::fputs("usage: qvtool new PATH\n"
               "       qvtool catalogue\n", stderr);
    return 2;
}

void Print(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

int New(const QString& path)
{
    if (!createxms(path)) {
        Print(QStringLiteral("无法写入文件 %1\n").arg(path));
        return 1;
    }
    return 0;
}

int Catalogue()
{
    const int count = LoadFieldCatalogue();
    for (int i = 0; i < count; ++i) {
        const Tfiledata& f = FieldData.at(i);
        Print(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\n")
                  .arg(i).arg(f.TableNo).arg(f.CellNo).arg(f.FitLength)
                  .arg(f.Name, f.AltName).arg(f.Source).arg(f.Check));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vantra");
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.value(0);
    if (command == "new" && args.size() == 2)
        return New(args.at(1));
    if (command == "catalogue" && args.size() == 1)
        return Catalogue();
    return Usage();
}
