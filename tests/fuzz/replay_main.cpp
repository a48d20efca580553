// Replays a fuzz target's corpus (seeds and the reproducers of faults found) as an ordinary
// test: every file given, or every file in the folders given, goes through the target once.
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int replayed = 0;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        QStringList files{argument};
        if (QFileInfo(argument).isDir()) {
            files.clear();
            for (QDirIterator it(argument, QDir::Files | QDir::Hidden); it.hasNext();)
                files << it.next();
        }
        for (const QString& path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
