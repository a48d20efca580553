#include "IntakeRead.h"

#include "CompletenessCheck.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "FormProblems.h"
#include "DocumentEngine.h"
#include "Package.h"
#include "PackageRefusal.h"
#include "SafeWrite.h"
#include "ShortForm.h"
#include "Text.h"
#include "WordSession.h"
#include "ZipFormat.h"
#include "ZipReader.h"

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// The whole file, read once; empty and false when it could not be read whole.
std::optional<QByteArray> ReadWhole(int fd, qint64 size)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(size - done), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        done += got;
    }
    return bytes;
}

// The value of the own field of that name.
QString Value(const QStringList& values, const QString& name)
{
    for (int i = 0; i <= FieldHigh() && i < values.size(); ++i)
        if (FieldData().at(i).Source == -1 && FieldData().at(i).Name == name)
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
    for (int i = 0; i <= FieldHigh() && i < values.size(); ++i)
        if (FieldData().at(i).Source == -1)
            fields.setText("ed" + FieldData().at(i).Name, values.at(i));
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

// Reads the document held in bytes (the file itself, or a package's entry).
void ReadDocument(const QByteArray& bytes, IntakeRow& row, bool allProblems)
{
    try {
        const auto opened = OpenWordDocumentBytes(bytes, row.file.shownPath);
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
            row.passed = row.message.isEmpty();
        } else {
            row.passed = check.passed();
            row.message = check.message;
        }
        if (row.passed)
            row.message = CheckPassedIntakeText;
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
        // Not a verdict on the file: the next run reads it again.
        Refuse(row, QStringLiteral("内存不足，没有读完"));
        row.unfinished = true;
    } catch (const Failure& failure) {
        // A damaged or hostile document, whatever it tried, or a file of another kind: the
        // system's first line, then why.
        Refuse(row, InvalidDocumentText + "\n" + failure.text());
    } catch (const std::exception&) {
        Refuse(row, InvalidDocumentText);
    }
}

// A package is checked as the submission checks it (one entry, which must test good), and its
// entry taken out of it in memory by that same check.
void ReadPackage(const QByteArray& bytes, IntakeRow& row, const IntakeOptions& options)
{
    const ZipReader::Opened opened = ZipReader::openData(bytes);
    if (!opened.reader) {
        row.message = Explain(PackageOutcome(opened.outcome, row.file.shownPath));
        return;
    }
    if (options.stop && *options.stop) {
        row.unfinished = true;
        return;
    }
    const PackageVerdict verdict = JudgePackage(*opened.reader, row.file.shownPath, true);
    row.entry = verdict.entry;
    if (!verdict.ok()) {
        row.unfinished = verdict.noMemory;
        row.message = Explain(verdict.cause);
        return;
    }
    row.documentSha256 = Sha256Hex(verdict.document.constData(), verdict.document.size());
    ReadDocument(verdict.document, row, options.allProblems);
}

} // namespace

namespace {

IntakeRow ReadIntakeWhole(const IntakeFile& file, const IntakeOptions& options);

} // namespace

QString Sha256Hex(const char* data, qint64 size)
{
    unsigned char digest[SHA256_DIGEST_LENGTH];
    unsigned int length = 0;
    EVP_Digest(data, size_t(size), digest, &length, EVP_sha256(), nullptr);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

IntakeRow ReadIntakeBytes(const IntakeFile& file, const QByteArray& bytes, const IntakeOptions& options)
{
    IntakeRow row;
    row.file = file;
    row.file.size = bytes.size();
    if (!file.refusal.isEmpty()) {
        row.message = file.refusal;
        return row;
    }
    row.sha256 = Sha256Hex(bytes.constData(), bytes.size());
    if (options.known && options.known(file.shownPath, row.sha256)) {
        row.known = true;
        return row;
    }
    if (bytes.size() > MaxIntakeFileSize) {
        row.message = QStringLiteral("文件过大，不是申请书");
        return row;
    }
    if (file.kind == IntakeFile::Package) {
        ReadPackage(bytes, row, options);
    } else {
        row.documentSha256 = row.sha256;
        ReadDocument(bytes, row, options.allProblems);
    }
    return row;
}

IntakeRow ReadIntakeFile(const IntakeFile& file, const IntakeOptions& options)
{
    try {
        return ReadIntakeWhole(file, options);
    } catch (const std::bad_alloc&) {
        IntakeRow row;
        row.file = file;
        row.unfinished = true;
        row.message = QStringLiteral("内存不足，没有读完");
        return row;
    }
}

namespace {

IntakeRow ReadIntakeWhole(const IntakeFile& file, const IntakeOptions& options)
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
    // Too large to be an application: refused before a byte is read, however sparse it is.
    if (st.st_size > MaxIntakeFileSize) {
        row.message = QStringLiteral("文件过大（%1 MB），不是申请书").arg(st.st_size >> 20);
        return row;
    }
    const std::optional<QByteArray> bytes = ReadWhole(opened.fd, st.st_size);
    if (!bytes) {
        row.message = QStringLiteral("读取时出错或文件在读取时被改动");
        return row;
    }
    IntakeFile described = row.file;
    IntakeRow read = ReadIntakeBytes(described, *bytes, options);
    read.file = row.file;
    return read;
}

} // namespace
