// libFuzzer target for the archive reader and CheckPackage. Not part of the test run; see README.
#include "Package.h"
#include "ZipReader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto reader = ZipReader::openData(bytes).reader) {
        for (int i = 0; i < reader->entries().size(); ++i)
            reader->read(i, [](const char*, qint64) { return true; });
    }
    // The same bytes as a package file on disk, through the check the program runs.
    static const QString path = QDir::tempPath() + QString("/fuzz_archive_%1.qvs").arg(getpid());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
        file.close();
        PackageState state;
        QString message;
        message = CheckPackage(state, path).message;
    }
    return 0;
}
