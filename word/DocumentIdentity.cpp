#include "DocumentIdentity.h"

#include "CompoundFile.h"
#include "ZipReader.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 MaxWholeIdentitySize = 512LL * 1024 * 1024;

} // namespace

bool DocumentIdentity::sameAs(const DocumentIdentity& other) const
{
    return isValid() && other.isValid() && device == other.device && inode == other.inode && size == other.size
           && modifiedNs == other.modifiedNs && digest == other.digest;
}

DocumentIdentity IdentityOf(int fd, const QString& resolvedPath, const QByteArray& directory)
{
    DocumentIdentity identity;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return identity;
    identity.path = resolvedPath;
    identity.device = quint64(st.st_dev);
    identity.inode = quint64(st.st_ino);
    identity.size = qint64(st.st_size);
    identity.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    identity.digest = QCryptographicHash::hash(directory, QCryptographicHash::Sha256);
    return identity;
}

DocumentIdentity CurrentIdentity(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat st {};
    DocumentIdentity identity;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QFile file;
        file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
        // A Word 97 document is identified by all its bytes (it is small and read whole), an
        // OOXML one by its archive's directory.
        if (cfb::HasSignature(file.peek(8))) {
            if (st.st_size <= MaxWholeIdentitySize)
                identity = IdentityOf(fd, QFileInfo(path).canonicalFilePath(), file.readAll());
        } else if (const ZipReader::Opened opened = ZipReader::openDescriptor(fd); opened.reader) {
            identity = IdentityOf(fd, QFileInfo(path).canonicalFilePath(), opened.reader->directoryBytes());
        }
    }
    ::close(fd);
    return identity;
}
