// The least a Qt Core program does: the comparison for qvtool's start.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::puts(qPrintable(QCoreApplication::applicationName()));
    return 0;
}
