#include "DocumentEngine.h"

#include "CompoundFile.h"
#include "Failure.h"
#include "OoxmlDocument.h"
#include "Word97Document.h"
#include "Word97Format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The same bound as for OOXML documents: beyond it a file is no application, whatever it holds.
constexpr qint64 MaxDocumentSize = 512LL * 1024 * 1024;

struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool ReadAt(int fd, qint64 offset, char* to, qint64 length)
{
    for (qint64 done = 0; done < length;) {
        const ssize_t got = ::pread(fd, to + done, size_t(length - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

// What a compound file that is no Word 97 document is, for the user.
[[noreturn]] void RefuseCompound(const cfb::CompoundFile& file, const QString& path)
{
    if (!file.ok())
        throw Failure(Outcome::failed(Cause::DamagedDocument, path, 0, QStringLiteral("复合文档的结构有误")));
    // An OOXML document encrypted with a password is kept in a compound file.
    if (file.hasStream(QStringLiteral("EncryptionInfo")) && file.hasStream(QStringLiteral("EncryptedPackage")))
        throw Failure(Outcome::failed(Cause::PasswordToOpen, path));
    if (file.hasStream(QStringLiteral("WordDocument")))
        throw Failure(Outcome::failed(Cause::Word95, path));
    if (file.hasStream(QStringLiteral("Workbook")) || file.hasStream(QStringLiteral("Book")))
        throw Failure(Outcome::failed(Cause::Spreadsheet, path));
    if (file.hasStream(QStringLiteral("PowerPoint Document")))
        throw Failure(Outcome::failed(Cause::Presentation, path));
    throw Failure(Outcome::failed(Cause::OtherCompound, path));
}

// A compound file's bytes as a Word 97 document, or why it is none.
std::shared_ptr<WordDocument> Word97From(const QByteArray& bytes, const QString& path, const DocumentIdentity& identity)
{
    const cfb::CompoundFile file(bytes);
    const cfb::Stream main = file.ok() ? file.stream(QStringLiteral("WordDocument")) : cfb::Stream{};
    const word97::FibProbe fib = word97::ProbeFib(main.bytes);
    if (!main.ok() || !fib.word97)
        RefuseCompound(file, path);
    if (fib.encrypted)
        throw Failure(Outcome::failed(Cause::PasswordToOpen, path));
    return std::make_shared<Word97Document>(bytes, path, identity);
}

std::shared_ptr<WordDocument> OpenWord97(int fd, qint64 size, const QString& path)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (!ReadAt(fd, 0, bytes.data(), size))
        throw Failure(Outcome::failed(Cause::ReadFailed, path, errno));
    return Word97From(bytes, path, IdentityOf(fd, QFileInfo(path).canonicalFilePath(), bytes));
}

} // namespace

std::shared_ptr<WordDocument> OpenWordDocument(const QString& path)
{
    // Opened without waiting: a pipe, a device or a folder would block or mean nothing.
    Descriptor file;
    file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) {
        const int error = errno;
        throw Failure(QFileInfo(path).isDir() ? Outcome::failed(Cause::NotAFile, path)
                      : error == ENOENT       ? Outcome::failed(Cause::Missing, path)
                                              : Outcome::failed(Cause::ReadFailed, path, error));
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw Failure(Outcome::failed(Cause::NotAFile, path));
    if (st.st_size > MaxDocumentSize)
        throw Failure(Outcome::failed(Cause::DamagedDocument, path, 0, QStringLiteral("文件过大")));
    QByteArray head(8, '\0');
    if (st.st_size >= head.size() && ReadAt(file.fd, 0, head.data(), head.size()) && cfb::HasSignature(head))
        return OpenWord97(file.fd, st.st_size, path);
    return std::make_shared<OoxmlDocument>(path);
}

std::shared_ptr<WordDocument> OpenWordDocumentBytes(const QByteArray& bytes, const QString& name)
{
    if (bytes.size() > MaxDocumentSize)
        throw Failure(Outcome::failed(Cause::DamagedDocument, name, 0, QStringLiteral("文件过大")));
    if (cfb::HasSignature(bytes))
        return Word97From(bytes, name, {});
    return std::make_shared<OoxmlDocument>(bytes, name);
}

bool IsOldFormatDocument(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && cfb::HasSignature(file.read(8));
}

QString FormatName(DocumentFormat format)
{
    return format == DocumentFormat::Word97 ? QStringLiteral("Word 97–2003") : QStringLiteral("OOXML");
}

int DocumentEngine::DocumentsCount()
{
    return int(std::count_if(m_documents.cbegin(), m_documents.cend(), [](const std::weak_ptr<WordDocument>& d) {
        const auto doc = d.lock();
        return doc && !doc->IsClosed();
    }));
}

std::shared_ptr<WordDocument> DocumentEngine::Open(const QString& path, bool, bool)
{
    auto document = OpenWordDocument(path);
    m_documents.erase(std::remove_if(m_documents.begin(), m_documents.end(),
                                     [](const std::weak_ptr<WordDocument>& d) { return d.expired(); }),
                      m_documents.end());
    m_documents.append(document);
    return document;
}

void DocumentEngine::Quit(bool saveChanges)
{
    for (const auto& weak : m_documents)
        if (const auto doc = weak.lock(); doc && !doc->IsClosed()) {
            try {
                doc->Close(saveChanges);
            } catch (const Failure&) {
            }
        }
    m_documents.clear();
}

std::unique_ptr<WordApplication> CreateWordApplication()
{
    return std::make_unique<DocumentEngine>();
}
