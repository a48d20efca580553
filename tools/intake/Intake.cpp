#include "Intake.h"

#include "FieldCatalogue.h"
#include "IntakeRead.h"
#include "IntakeScan.h"
#include "IntakeTables.h"
#include "Register.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

constexpr int ExitInterrupted = 130;
constexpr int RowsPerTransaction = 100;
constexpr int ProgressEveryMs = 200;

std::atomic<bool> Interrupted{false};  // lock-free, so that a signal handler may set it

struct Options {
    QStringList folders;
    QString db, xlsx, csv;
    bool all = false;
};

bool Parse(const QStringList& arguments, Options& options)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        QString* value = a == "--db" ? &options.db : a == "--xlsx" ? &options.xlsx : a == "--csv" ? &options.csv : nullptr;
        if (value) {
            if (i + 1 >= arguments.size() || !value->isEmpty())
                return false;
            *value = arguments.at(++i);
        } else if (a == "--all") {
            options.all = true;
        } else if (a.startsWith("--")) {
            return false;
        } else {
            options.folders << a;
        }
    }
    return !options.folders.isEmpty() && !options.db.isEmpty();
}

void Say(const QString& text)
{
    std::fputs((text + '\n').toUtf8().constData(), stdout);
}

void Warn(const QString& text)
{
    std::fputs((text + '\n').toUtf8().constData(), stderr);
}

// The rows the readers hand to the one thread that writes the register.
class Handover {
public:
    void put(IntakeRow row)
    {
        {
            const std::lock_guard<std::mutex> locked(m_mutex);
            m_rows.push_back(std::move(row));
        }
        m_ready.notify_one();
    }
    // The rows handed over so far, waiting up to a moment for the first.
    std::deque<IntakeRow> take()
    {
        std::unique_lock<std::mutex> locked(m_mutex);
        m_ready.wait_for(locked, std::chrono::milliseconds(ProgressEveryMs), [this] { return !m_rows.empty(); });
        std::deque<IntakeRow> rows;
        rows.swap(m_rows);
        return rows;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<IntakeRow> m_rows;
};

// "已读 120/1000 个文件，每秒 48.2 个，约剩 18 秒" on the terminal's last line.
class ProgressLine {
public:
    explicit ProgressLine(int total) : m_total(total), m_shown(isatty(STDERR_FILENO)) { m_clock.start(); }
    void update(int done)
    {
        if (!m_shown || (m_last.isValid() && m_last.elapsed() < ProgressEveryMs))
            return;
        m_last.start();
        const double seconds = m_clock.elapsed() / 1000.0;
        const double rate = seconds > 0 ? done / seconds : 0;
        QString line = QStringLiteral("已读 %1/%2 个文件").arg(done).arg(m_total);
        if (rate > 0)
            line += QStringLiteral("，每秒 %1 个，约剩 %2 秒").arg(rate, 0, 'f', 1).arg(qRound((m_total - done) / rate));
        std::fprintf(stderr, "\r%s\033[K", line.toUtf8().constData());
        std::fflush(stderr);
    }
    void end()
    {
        if (m_shown && m_last.isValid())
            std::fputs("\r\033[K", stderr);
    }

private:
    int m_total;
    bool m_shown;
    QElapsedTimer m_clock, m_last;
};

QString Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

int RunIntake(const QStringList& arguments)
{
    Options options;
    if (!Parse(arguments, options)) {
        Warn(QStringLiteral("usage: qvtool intake FOLDER... --db REGISTER [--xlsx TABLE] [--csv TABLE] [--all]"));
        return 2;
    }
    LoadFieldCatalogue();
    QString why;
    Register::Opened opened = Register::open(options.db);
    if (!opened.reg) {
        Warn(opened.error);
        return 1;
    }
    const std::unique_ptr<Register> reg = std::move(opened.reg);
    // The spreadsheet library's scratch files live only here, readable by this user alone.
    QTemporaryDir work(QDir::tempPath() + "/vantra-intake-XXXXXX");
    if (!work.isValid()) {
        Warn(QStringLiteral("无法建立临时文件夹：%1").arg(work.errorString()));
        return 1;
    }
    Interrupted = false;
    const auto stop = [](int) { Interrupted = true; };
    std::signal(SIGINT, stop);
    std::signal(SIGTERM, stop);

    const IntakeScan scan = ScanFolders(options.folders);
    for (const QString& problem : scan.problems)
        Warn(problem);

    // What the register saw unchanged is not read again; what was refused at sight needs no reader.
    QList<IntakeRow> ready;
    QList<IntakeFile> toRead;
    for (const IntakeFile& file : scan.files) {
        if (!file.refusal.isEmpty())
            ready << ReadIntakeFile(file, {});
        else if (std::optional<IntakeRow> known = reg->unchanged(file))
            ready << *known;
        else
            toRead << file;
    }

    const QSet<QString> contents = reg->knownContents();
    IntakeOptions reading;
    reading.allProblems = options.all;
    reading.stop = &Interrupted;
    reading.known = [&contents](const QString& path, const QString& sha256) {
        return contents.contains(ContentKey(path, sha256));
    };
    Handover handover;
    std::atomic<int> next{0};
    std::vector<std::thread> readers;
    const int threads = qBound(1, QThread::idealThreadCount(), qMax(1, int(toRead.size())));
    for (int t = 0; t < threads; ++t)
        readers.emplace_back([&] {
            for (int i = next++; i < toRead.size() && !Interrupted; i = next++)
                handover.put(ReadIntakeFile(toRead.at(i), reading));
        });

    const QString seen = Now();
    QList<IntakeRow> registered;
    int unfinished = 0;  // read without a verdict: not recorded, read again next time
    bool written = reg->begin();
    int inTransaction = 0;
    auto record = [&](const IntakeRow& row) {
        if (row.unfinished) {
            ++unfinished;
            return;
        }
        written = written && reg->add(row, seen);
        registered << row;
        if (++inTransaction >= RowsPerTransaction) {
            written = written && reg->commit() && reg->begin();
            inTransaction = 0;
        }
    };
    for (const IntakeRow& row : std::as_const(ready))
        record(row);
    ProgressLine line(int(scan.files.size()));
    int read = 0;
    while (read < toRead.size() && !Interrupted) {
        for (IntakeRow& row : handover.take()) {
            record(row);
            ++read;
        }
        line.update(int(ready.size()) + read);
    }
    for (std::thread& reader : readers)
        reader.join();
    for (IntakeRow& row : handover.take())  // what was read while the interruption came
        record(row);
    line.end();
    written = written && reg->commit();
    if (!written) {
        Warn(QStringLiteral("无法写入登记册 %1：%2").arg(options.db, reg->error()));
        return 1;
    }
    if (Interrupted) {
        Warn(QStringLiteral("已中断：登记了 %1 个文件，没有写出表格；没有读完的文件没有登记，下次运行时会重新读取。")
                 .arg(registered.size()));
        return ExitInterrupted;
    }

    // The rows as the register now holds them, with their first and last sightings.
    QList<IntakeRow> rows;
    int taken = 0;
    for (const IntakeRow& row : std::as_const(registered)) {
        IntakeRow stored = reg->stored(row.file.shownPath, row.sha256).value_or(row);
        stored.file = row.file;
        taken += stored.taken ? 1 : 0;
        if (!stored.taken)
            Say(QStringLiteral("未接收\t%1\t%2").arg(stored.file.shownPath, QString(stored.message).replace('\n', ' ')));
        rows << stored;
    }
    std::sort(rows.begin(), rows.end(), [](const IntakeRow& a, const IntakeRow& b) { return a.file.path < b.file.path; });
    const QSet<QString> duplicates = reg->duplicatePaths();
    bool tables = true;
    if (!options.csv.isEmpty() && !WriteIntakeCsv(options.csv, rows, duplicates, &why)) {
        Warn(why);
        tables = false;
    }
    if (!options.xlsx.isEmpty() && !WriteIntakeXlsx(options.xlsx, rows, duplicates, work.path(), &why)) {
        Warn(why);
        tables = false;
    }
    Say(QStringLiteral("共 %1 个文件：接收 %2 个，未接收 %3 个；其中 %4 个已登记且未改动，没有重读。")
            .arg(rows.size()).arg(taken).arg(rows.size() - taken)
            .arg(std::count_if(registered.cbegin(), registered.cend(), [](const IntakeRow& r) { return r.known; })));
    if (unfinished > 0)
        Warn(QStringLiteral("%1 个文件没有读完（内存不足），没有登记，下次运行时会重新读取。").arg(unfinished));
    return taken == rows.size() && unfinished == 0 && scan.problems.isEmpty() && tables ? 0 : 1;
}
