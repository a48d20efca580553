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
[[noreturn]] void RefuseCompound(const cfb::CompoundFile& file, const QString& shown)
{
    if (!file.ok())
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：复合文档的结构有误").arg(shown));
    // An OOXML document encrypted with a password is kept in a compound file.
    if (file.hasStream(QStringLiteral("EncryptionInfo")) && file.hasStream(QStringLiteral("EncryptedPackage")))
        throw Failure(PasswordProtectedText + shown);
    if (file.hasStream(QStringLiteral("WordDocument")))
        throw Failure(QStringLiteral("%1 是 Word 95 或更早版本的文档，本程序不能读取。请在文字处理软件中把它另存为"
                                     " Word 97–2003 或更新的格式后再打开。").arg(shown));
    if (file.hasStream(QStringLiteral("Workbook")) || file.hasStream(QStringLiteral("Book")))
        throw Failure(QStringLiteral("%1 是电子表格文件，不是申请书，本程序不能读取。").arg(shown));
    if (file.hasStream(QStringLiteral("PowerPoint Document")))
        throw Failure(QStringLiteral("%1 是演示文稿文件，不是申请书，本程序不能读取。").arg(shown));
    throw Failure(QStringLiteral("%1 是其他程序的复合文档，不是申请书，本程序不能读取。").arg(shown));
}

// A compound file's bytes as a Word 97 document, or why it is none.
std::shared_ptr<WordDocument> Word97From(const QByteArray& bytes, const QString& path, const QString& shown,
                                         const DocumentIdentity& identity)
{
    const cfb::CompoundFile file(bytes);
    const cfb::Stream main = file.ok() ? file.stream(QStringLiteral("WordDocument")) : cfb::Stream{};
    const word97::FibProbe fib = word97::ProbeFib(main.bytes);
    if (!main.ok() || !fib.word97)
        RefuseCompound(file, shown);
    if (fib.encrypted)
        throw Failure(PasswordProtectedText + shown);
    return std::make_shared<Word97Document>(bytes, path, identity);
}

std::shared_ptr<WordDocument> OpenWord97(int fd, qint64 size, const QString& path, const QString& shown)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (!ReadAt(fd, 0, bytes.data(), size))
        throw Failure(QStringLiteral("无法读取文档 %1").arg(shown));
    return Word97From(bytes, path, shown, IdentityOf(fd, QFileInfo(path).canonicalFilePath(), bytes));
}

} // namespace

std::shared_ptr<WordDocument> OpenWordDocument(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Opened without waiting: a pipe, a device or a folder would block or mean nothing.
    Descriptor file;
    file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0)
        throw Failure(QFileInfo(path).isDir() ? QStringLiteral("%1 不是文件，不能作为申请书打开").arg(shown)
                                              : QStringLiteral("无法打开文档 %1").arg(shown));
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw Failure(QStringLiteral("%1 不是文件，不能作为申请书打开").arg(shown));
    if (st.st_size > MaxDocumentSize)
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：文件过大").arg(shown));
    QByteArray head(8, '\0');
    if (st.st_size >= head.size() && ReadAt(file.fd, 0, head.data(), head.size()) && cfb::HasSignature(head))
        return OpenWord97(file.fd, st.st_size, path, shown);
    return std::make_shared<OoxmlDocument>(path);
}

std::shared_ptr<WordDocument> OpenWordDocumentBytes(const QByteArray& bytes, const QString& name)
{
    if (bytes.size() > MaxDocumentSize)
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：文件过大").arg(name));
    if (cfb::HasSignature(bytes))
        return Word97From(bytes, name, name, {});
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
