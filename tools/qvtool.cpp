// qvtool: the command-line companion for scripts and the receiving office.
// Exit codes: 0 done, 1 refused input (with the system's own message), 2 bad usage.
#include "FieldCatalogue.h"
#include "Package.h"
#include "Resources.h"
#include "Failure.h"
#include "ZipFormat.h"
#include "ZipReader.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Preview.h"
#include "CompletenessCheck.h"
#include "Conversion.h"
#include "EarlierApplication.h"
#include "DocumentLock.h"
#include "FormProblems.h"
#include "ApplicationDocument.h"
#include "QvtoolArguments.h"
#include "FieldRules.h"
#include "ShortForm.h"
#include "WordSession.h"
#include "Text.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace {

// Ctrl+C ends LibreOffice's work too: it runs in a group of its own, which the terminal's
// interrupt does not reach.
volatile std::sig_atomic_t Interrupted = 0;

int Usage(const QString& command = {}, const QString& problem = {})
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "qvtool: %s\n", problem.toUtf8().constData());
    std::fputs(QvtoolUsage(command).toUtf8().constData(), stderr);
    return 2;
}

void Print(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

// Every name and value from a file is printed escaped, so that it can neither forge output
// lines nor drive the terminal: the backslash, CR and LF as \\, \r and \n, other control and
// direction characters as \xNN or \uNNNN.
QString Escaped(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const ushort u = c.unicode();
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QChar('0'));
        else if (u == 0x2028 || u == 0x2029 || (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069)
                 || u == 0x200e || u == 0x200f || u == 0x061c)
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QChar('0'));
        else
            out += c;
    }
    return out;
}

// A refusal goes to standard error, so that what a command prints (values, a listing) is never
// mixed with it.
int Refuse(const QString& message)
{
    // Each of its lines (the refusal, then its cause) escaped on its own.
    QStringList lines;
    for (const QString& line : message.split('\n'))
        lines << Escaped(QString(line).remove(QLatin1Char('\r')));
    std::fputs((lines.join('\n') + "\n").toUtf8().constData(), stderr);
    return 1;
}

int New(const QString& path)
{
    return createxms(path) ? 0 : Refuse(QStringLiteral("无法写入文件 %1").arg(path));
}

// A new application from an earlier one; what it did not take goes to standard error.
int NewFrom(const QString& target, const QString& old, const QStringList& only)
{
    QSet<CarryGroup> groups;
    for (const CarryGroupInfo& info : CarryGroups())
        if (only.isEmpty())
            groups.insert(info.group);
    for (const QString& name : only) {
        const std::optional<CarryGroup> group = CarryGroupNamed(name);
        if (!group) {
            std::fprintf(stderr, "qvtool: 没有名为 %s 的内容组\n", qPrintable(name));
            return Usage();
        }
        groups.insert(*group);
    }
    std::signal(SIGINT, [](int) { Interrupted = 1; });
    std::signal(SIGTERM, [](int) { Interrupted = 1; });
    const EarlierApplication earlier = ReadEarlierApplication(old);
    if (!earlier.ok)
        return Refuse(earlier.message);
    const NewFromEarlierOutcome made = MakeFromEarlier(earlier, target, groups, [] { return Interrupted != 0; });
    if (!made.ok)
        return Refuse(made.message);
    for (const LeftOut& left : made.leftOut)
        std::fprintf(stderr, "%s\n", Escaped(left.text()).toUtf8().constData());
    return 0;
}

int Catalogue()
{
    for (int i = 0; i <= FieldHigh(); ++i) {
        const Tfiledata& f = FieldData().at(i);
        Print(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\n")
                  .arg(i).arg(f.TableNo).arg(f.CellNo).arg(f.FitLength)
                  .arg(f.Name, f.AltName).arg(f.Source).arg(f.Check));
    }
    return 0;
}

struct Session {
    explicit Session(const QString& path) : document(session, lock, path) {}
    Twordqen session;
    Tlockqen lock;
    ApplicationDocument document;
};

int Pack(const QString& document, const QString& package)
{
    if (!QFileInfo(document).isFile())
        return Refuse(QStringLiteral("无法打开文件 %1").arg(document));
    // Only what reads as an application is sealed, as the submission seals only that: an empty
    // file, a text or a truncated document would pass the package's own check afterwards.
    {
        Session open(document);
        FieldMap fields;
        if (const Outcome loaded = open.document.LoadShortForm(fields); !loaded.ok())
            return Refuse(NotAnApplicationMessage(loaded));
    }
    PackageState state;
    const PackResult packed = CompressPackage(state, document, package, zip::dtDeflateN);
    return packed.ok ? 0 : Refuse(packed.message);
}

int Check(const QString& package)
{
    PackageState state;
    const PackageCheck checked = CheckPackage(state, package);
    if (!checked.ok)
        return Refuse(checked.message);
    Print(Escaped(checked.entry) + "\n");
    return 0;
}

int Unpack(const QString& package, const QString& target)
{
    PackageState state;
    const PackResult extracted = ExtractPackage(state, package, target);
    return extracted.ok ? 0 : Refuse(extracted.message);
}

int List(const QString& package)
{
    const ZipReader::Opened opened = ZipReader::openFile(package);
    if (!opened.reader)
        return Refuse(opened.outcome.error);
    const auto& reader = opened.reader;
    for (const zip::EntryInfo& e : reader->entries())
        Print(QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                  .arg(Escaped(e.name))
                  .arg(e.compressedSize)
                  .arg(e.uncompressedSize)
                  .arg(e.crc32, 8, 16, QChar('0'))
                  .arg(e.headersEnciphered ? "enciphered" : "plain"));
    return 0;
}

int Info(const QString& path)
{
    try {
        DocumentEngine app;
        const auto doc = app.Open(path, false, false);
        Print(QStringLiteral("format\t%1\n").arg(FormatName(doc->Format())));
        for (int s = 1; s <= doc->SectionsCount(); ++s)
            Print(QStringLiteral("section %1\tProtectedForForms %2\n").arg(s).arg(doc->ProtectedForForms(s) ? "true" : "false"));
        Print(QStringLiteral("protected\t%1\n").arg(doc->IsProtected() ? "true" : "false"));
        Print(QStringLiteral("tables\t%1\n").arg(doc->TablesCount()));
        for (int t = 1; t <= qMin(4, doc->TablesCount()); ++t)
            Print(QStringLiteral("table %1\tcells %2\n").arg(t).arg(doc->CellsCount(t)));
        Print(QStringLiteral("characters\t%1\n").arg(doc->CharactersCount()));
        doc->Close(false);
    } catch (const Failure& failure) {
        return Refuse(failure.text());
    }
    return 0;
}

// The inverse of Escaped, so that what dump prints can be given to set as it stands.
QString Unescaped(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != '\\' || i + 1 >= value.size()) {
            out += value.at(i);
            continue;
        }
        const QChar next = value.at(++i);
        const int digits = next == 'x' ? 2 : next == 'u' ? 4 : 0;
        const QString code = value.mid(i + 1, digits);
        const bool hex = digits > 0 && code.size() == digits
                         && std::all_of(code.begin(), code.end(), [](QChar c) {
                               const char16_t u = c.toLower().unicode();
                               return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f');
                           });
        if (hex) {
            out += QChar(code.toUShort(nullptr, 16));
            i += digits;
        } else {
            out += next == 'r' ? QChar('\r') : next == 'n' ? QChar('\n') : next;
        }
    }
    return out;
}

// The document session and lock, and the application at path, as the program has them after
// start-up. A document another program holds is refused, never taken from it: the tool asks
// nobody.
int Dump(const QString& path)
{
    Session open(path);
    FieldMap fields;
    if (const Outcome loaded = open.document.LoadShortForm(fields); !loaded.ok())
        return Refuse(NotAnApplicationMessage(loaded));
    for (int i = 0; i <= FieldHigh(); ++i)
        if (FieldData().at(i).Source == -1)
            Print(FieldData().at(i).Name + "\t" + Escaped(open.document.LoadedValues.at(i)) + "\n");
    return 0;
}

int Set(const QString& path, const QStringList& assignments)
{
    // The Windows edition's format is read, never written: it is converted into a new file first.
    if (IsOldFormatDocument(path))
        return Refuse(Explain(Outcome::failed(Cause::OldFormat, path)) + QStringLiteral("\n用 qvtool convert %1 新文件.qvx 转换。").arg(path));
    // Every assignment is judged before the document is touched; then it is opened once.
    QMap<int, QString> values;
    for (const QString& assignment : assignments) {
        const qsizetype eq = assignment.indexOf('=');
        const QString name = assignment.left(eq);
        int record = -1;
        for (int i = 0; i <= FieldHigh() && record < 0; ++i)
            if (FieldData().at(i).Source == -1 && FieldData().at(i).Name.compare(name, Qt::CaseInsensitive) == 0)
                record = i;
        if (eq <= 0 || record < 0)
            return Refuse(QStringLiteral("没有名为 %1 的字段").arg(name));
        const QString value = Unescaped(assignment.mid(eq + 1));
        const bool multiLine = MultiLineFields.contains(FieldData().at(record).Name, Qt::CaseInsensitive);
        if (HasRefusedCharacters(value, multiLine))
            return Refuse(multiLine ? QStringLiteral("字段 %1 不能含有控制字符").arg(name)
                                    : QStringLiteral("字段 %1 只有一行，不能含有换行、制表符或控制字符").arg(name));
        values.insert(record, value);
    }
    // The values given are judged by the fields' own rules, as the screen judges them, with the
    // document's other values beside them.
    const auto judge = [&values](const FieldAccess& form) {
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const QString name = FieldData().at(it.key()).Name;
            if (const QString problem = FieldProblem(form, "ed" + name); !problem.isEmpty())
                return Outcome::other(QStringLiteral("字段 %1：%2").arg(name, problem));
        }
        return Outcome{};
    };
    Session open(path);
    FieldMap fields;
    const StoreResult stored = open.document.SetFields(fields, values, judge, {});
    if (stored.ok())
        return 0;
    return Refuse(IsNoApplication(stored.cause.cause) ? NotAnApplicationMessage(stored.cause) : Explain(stored.cause));
}

int Verify(const QString& path, const QStringList& names)
{
    Twordqen session;
    const DocumentCheck check = ReadAndCheckDocument(session, path, CheckBodyLength | CheckCompleteness,
                                                     names.isEmpty() ? ReadNothing : ReadValuesByName, names);
    if (!check.passed())
        return Refuse(check.message);
    Print("OK\n");
    for (const QString& value : check.values)
        Print(Escaped(value) + "\n");
    return 0;
}

// Every problem, one a line: field, label, message; "OK" when there is none.
int VerifyAll(const QString& path)
{
    Session open(path);
    QStringList lines;
    const DocumentCheck body = ReadAndCheckDocument(open.session, path, CheckBodyLength, ReadNothing, {});
    if (body.outcome == DocumentCheck::Invalid)
        return Refuse(body.message);
    if (!body.passed())
        lines << QStringLiteral("body\t正文\t") + Escaped(body.message);
    FieldMap fields;
    if (const Outcome loaded = open.document.LoadShortForm(fields); !loaded.ok())
        return Refuse(NotAnApplicationMessage(loaded));
    DeriveLoadedFields(fields);
    for (const FormProblem& problem : FormProblems(fields)) {
        const QString field = problem.control.startsWith(QLatin1String("ed")) ? problem.control.mid(2) : problem.control;
        lines << Escaped(field) + "\t" + Escaped(problem.label) + "\t" + Escaped(problem.message);
    }
    if (lines.isEmpty()) {
        Print("OK\n");
        return 0;
    }
    Print(lines.join('\n') + "\n");
    return 1;
}


int Preview(const QString& document, const QString& pdf)
{
    std::signal(SIGINT, [](int) { Interrupted = 1; });
    std::signal(SIGTERM, [](int) { Interrupted = 1; });
    const PreviewResult result = RenderPdf(document, pdf, [] { return Interrupted != 0; });
    return result.ok ? 0 : Refuse(result.message);
}

int Convert(const QString& original, const QString& target)
{
    std::signal(SIGINT, [](int) { Interrupted = 1; });
    std::signal(SIGTERM, [](int) { Interrupted = 1; });
    const ConversionOutcome converted = ConvertToCurrentFormat(original, target, [] { return Interrupted != 0; });
    return converted.ok() ? 0 : Refuse(converted.message);
}

int Run(const QStringList& arguments)
{
    const QvtoolCommand c = ParseQvtoolArguments(arguments);
    if (c.help) {
        Print(QvtoolUsage(c.name));
        return 0;
    }
    if (!c.problem.isEmpty() || c.name.isEmpty())
        return Usage(c.name, c.problem);
    const QString& command = c.name;
    const QStringList& o = c.operands;
    const qsizetype n = o.size();
    const auto split = [](const QString& list) { return list.split(',', Qt::SkipEmptyParts); };
    if (command == "new" && n == 1 && c.options.contains("--from"))
        return NewFrom(o.at(0), c.options.value("--from"), split(c.options.value("--only")));
    if (command == "new" && n == 1 && !c.options.contains("--only"))
        return New(o.at(0));
    if (command == "catalogue" && n == 0)
        return Catalogue();
    if (command == "pack" && n == 2)
        return Pack(o.at(0), o.at(1));
    if (command == "check" && n == 1)
        return Check(o.at(0));
    if (command == "unpack" && n == 2)
        return Unpack(o.at(0), o.at(1));
    if (command == "list" && n == 1)
        return List(o.at(0));
    if (command == "info" && n == 1)
        return Info(o.at(0));
    if (command == "dump" && n == 1)
        return Dump(o.at(0));
    if (command == "set" && n >= 2)
        return Set(o.at(0), o.mid(1));
    if (command == "preview" && n == 2)
        return Preview(o.at(0), o.at(1));
    if (command == "convert" && n == 2)
        return Convert(o.at(0), o.at(1));
    if (command == "verify" && n == 1 && c.options.contains("--all") && !c.options.contains("--names"))
        return VerifyAll(o.at(0));
    if (command == "verify" && n == 1 && !c.options.contains("--all"))
        return Verify(o.at(0), split(c.options.value("--names")));
    return Usage(command);
}

// "qvtool intake" is qvtool-intake, found beside qvtool (a build) or in the program's helper
// folder relative to it (an installation); it takes this process's place, so that signals and
// the exit code are its own.
int Intake(char** argv)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const QByteArray folder = n > 0 ? QFileInfo(QString::fromLocal8Bit(self, n)).absolutePath().toLocal8Bit() : QByteArray();
    const QByteArray beside = folder + "/qvtool-intake";
    const QByteArray installed = folder + "/" VANTRA_HELPER_RELDIR "/qvtool-intake";
    const QByteArray& program = !folder.isEmpty() && ::access(beside.constData(), X_OK) == 0 ? beside : installed;
    argv[1] = const_cast<char*>("qvtool intake");
    ::execv(program.constData(), argv + 1);
    const int why = errno;
    return Refuse(QStringLiteral("无法启动 %1：%2").arg(QString::fromLocal8Bit(program), QString::fromLocal8Bit(std::strerror(why))));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "intake") == 0)
        return Intake(argv);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The application object (and its event loop) serves only the preview, which runs a
    // program; every other command starts without it, a millisecond sooner.
    std::optional<QCoreApplication> app;
    const QString command = ParseQvtoolArguments(arguments).name;
    if (command == "preview" || command == "convert" || command == "new")
        app.emplace(argc, argv);
    QCoreApplication::setApplicationName("vantra");
    // Whatever a file does to the tool, it ends with a message, never with an abort.
    try {
        return Run(arguments);
    } catch (const Failure& failure) {
        return Refuse(failure.text());
    } catch (const std::bad_alloc&) {
        return Refuse(QStringLiteral("内存不足，文件过大或已损坏"));
    } catch (const std::exception& error) {
        return Refuse(QString::fromLocal8Bit(error.what()));
    }
}
