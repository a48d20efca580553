#include "IntakeRead.h"

#include "CompletenessCheck.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "FormProblems.h"
#include "DocumentEngine.h"
#include "Package.h"
#include "SafeWrite.h"
#include "ShortForm.h"
#include "Text.h"
#include "WordSession.h"
#include "ZipFormat.h"
#include "ZipReader.h"

#include <QCryptographicHash>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 HashPiece = 1 << 18;

struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString Sha256(int fd, qint64 size, bool* ok)
{
    static thread_local QByteArray piece(HashPiece, Qt::Uninitialized);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, piece.data(), size_t(qMin(HashPiece, size - done)), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        hash.addData(QByteArrayView(piece.constData(), got));
        done += got;
    }
    *ok = done == size;
    return QString::fromLatin1(hash.result().toHex());
}

// The value of the own field of that name.
QString Value(const QStringList& values, const QString& name)
{
    for (int i = 0; i <= FieldHigh && i < values.size(); ++i)
        if (FieldData.at(i).Source == -1 && FieldData.at(i).Name == name)
            return TrimBlanks(values.at(i));
    return {};
}

// "2013-01" from a year and a month; as written where they are not numbers.
QString YearMonth(const QString& year, const QString& month)
{
    bool y = false, m = false;
    const int yy = year.toInt(&y), mm = month.trimmed().toInt(&m);
    if (y && m)
        return QStringLiteral("%1-%2").arg(yy).arg(mm, 2, 10, QLatin1Char('0'));
    if (year.isEmpty() && month.trimmed().isEmpty())
        return {};
    return year + QStringLiteral("年") + month.trimmed() + QStringLiteral("月");
}

// Every problem, one a line: "label：message".
QString AllProblems(const QStringList& values, const DocumentCheck& body)
{
    QStringList lines;
    if (body.outcome == DocumentCheck::BodyTooShort)
        lines << QStringLiteral("正文：") + body.message;
    FieldMap fields;
    for (int i = 0; i <= FieldHigh && i < values.size(); ++i)
        if (FieldData.at(i).Source == -1)
            fields.setText("ed" + FieldData.at(i).Name, values.at(i));
    DeriveLoadedFields(fields);
    for (const FormProblem& problem : FormProblems(fields))
        lines << problem.label + QStringLiteral("：") + problem.message;
    return lines.join('\n');
}

// Nothing read from the document stays: the file, its hash and its entry name, and why.
void Refuse(IntakeRow& row, const QString& message)
{
    IntakeRow refused;
    refused.file = row.file;
    refused.sha256 = row.sha256;
    refused.documentSha256 = row.documentSha256;
    refused.entry = row.entry;
    refused.format = row.format;
    refused.message = message;
    row = refused;
}

// Reads the document at path (a file of the work folder, or the taken file's own descriptor).
void ReadDocument(const QString& path, IntakeRow& row, bool allProblems)
{
    try {
        const auto opened = OpenWordDocument(path);
        WordDocument& doc = *opened;
        if (!UnprotectForReading(doc)) {
            row.message = InvalidDocumentText;
            return;
        }
        row.format = doc.Format();
        const QStringList values = ReadFieldValues(doc);
        const DocumentCheck check = CheckOpenDocument(doc, CheckBodyLength | CheckCompleteness, ReadNothing, {});
        row.taken = true;
        row.bodyChars = check.bodyCharacters;
        if (allProblems) {
            row.message = AllProblems(values, check);
            if (row.message.isEmpty())
                row.message = CheckPassedIntakeText;
        } else {
            row.message = check.passed() ? CheckPassedIntakeText : check.message;
        }
        row.applicant = Value(values, "xm1");
        row.idNumber = Value(values, "sfzh1");
        row.category = Value(values, "xmlb");
        row.discipline = Value(values, "xk");
        row.disciplineCode = Value(values, "xkdm");
        row.unit = Value(values, "cddw1");
        row.title = Value(values, "xmmc");
        row.amount = Value(values, "sqje");
        row.start = YearMonth(Value(values, "yjqsjy"), Value(values, "yjqsjm"));
        row.end = YearMonth(Value(values, "yjzsjy"), Value(values, "yjzsjm"));
        row.members = 0;
        for (int k = FirstMemberRow; k <= LastMemberRow; ++k)
            row.members += Value(values, "xm" + QString::number(k)).isEmpty() ? 0 : 1;
    } catch (const std::bad_alloc&) {
        Refuse(row, QStringLiteral("内存不足，没有读完：") + InvalidDocumentText);
    } catch (const Failure& failure) {
        // A damaged or hostile document, whatever it tried, or a file of another kind: the
        // system's first line, then why.
        Refuse(row, InvalidDocumentText + "\n" + failure.text());
    } catch (const std::exception&) {
        Refuse(row, InvalidDocumentText);
    }
}

// A package is checked as the submission checks it (one entry, which must test good), and its
// entry unpacked into the work folder as it is tested.
void ReadPackage(int fd, const QString& unpacked, IntakeRow& row, const IntakeOptions& options)
{
    const ZipReader::Opened opened = ZipReader::openDescriptor(fd);
    const auto& reader = opened.reader;
    if (!reader) {
        row.message = PackageRefusal(opened.outcome);
        return;
    }
    const qsizetype entries = reader->entries().size();
    if (entries != 1) {
        row.message = entries > 1 ? UnitPackageText : QStringLiteral("上报文件中没有申请书");
        return;
    }
    row.entry = TrimBlanks(reader->entries().first().name);
    struct Remove {
        QString path;
        ~Remove() { QFile::remove(path); }
    } removeAtEnd{unpacked};
    QFile out(unpacked);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        row.message = WriteFailureText(unpacked, errno);
        return;
    }
    int writeError = 0;  // the work folder's fault (a full disk), not the package's
    QCryptographicHash document(QCryptographicHash::Sha256);
    const zip::Outcome inflated = reader->read(0, [&](const char* d, qint64 n) {
        if (options.stop && *options.stop)
            return false;
        document.addData(QByteArrayView(d, n));
        if (out.write(d, n) == n)
            return true;
        writeError = errno;
        return false;
    });
    out.close();
    if (!inflated.ok) {
        row.message = writeError ? WriteFailureText(unpacked, writeError) : PackageRefusal(inflated);
        return;
    }
    row.documentSha256 = QString::fromLatin1(document.result().toHex());
    ReadDocument(unpacked, row, options.allProblems);
}

} // namespace

IntakeRow ReadIntakeFile(const IntakeFile& file, int number, const IntakeOptions& options)
{
    IntakeRow row;
    row.file = file;
    if (!file.refusal.isEmpty()) {
        row.message = file.refusal;
        return row;
    }
    // Opened without following a link and without waiting on a pipe; what was found as a file
    // must still be one.
    Descriptor opened;
    opened.fd = ::open(file.path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (opened.fd < 0) {
        row.message = QStringLiteral("无法打开：") + FailureCause(errno);
        return row;
    }
    if (::fstat(opened.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        row.message = QStringLiteral("不是普通文件，没有读取");
        return row;
    }
    row.file.size = st.st_size;
    row.file.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    row.file.inode = qint64(st.st_ino);
    row.file.device = qint64(st.st_dev);
    bool whole = false;
    row.sha256 = Sha256(opened.fd, st.st_size, &whole);
    if (!whole) {
        row.sha256.clear();
        row.message = QStringLiteral("读取时出错或文件在读取时被改动");
        return row;
    }
    if (options.known && options.known(file.shownPath, row.sha256)) {
        row.known = true;
        return row;
    }
    if (file.kind == IntakeFile::Package) {
        ReadPackage(opened.fd, options.workFolder + QStringLiteral("/%1.qvx").arg(number), row, options);
    } else {
        row.documentSha256 = row.sha256;
        // The descriptor's own name: the file that was checked above, whatever the path now holds.
        ReadDocument(QStringLiteral("/proc/self/fd/%1").arg(opened.fd), row, options.allProblems);
    }
    return row;
}
