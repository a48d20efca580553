// Writes the desktop entry and the shared-mime-info package that the desktop package installs,
// from the definitions the program registers per user with: one text for both.
//   desktop_files FOLDER
#include "FileTypes.h"

#include <QFile>
#include <cstdio>

namespace {

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: desktop_files FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + "/";
    if (!Write(folder + InstalledEntryName, InstalledDesktopEntry())
        || !Write(folder + InstalledMimeName, MimeInfoXml(ProgramFileTypes()))) {
        std::fputs("desktop_files: cannot write the files\n", stderr);
        return 1;
    }
    return 0;
}
