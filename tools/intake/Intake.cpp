#include "Intake.h"

#include "FieldCatalogue.h"
#include "IntakeArguments.h"
#include "IntakeMail.h"
#include "IntakePasswords.h"
#include "IntakeRead.h"
#include "IntakeReceipts.h"
#include "IntakeScan.h"
#include "IntakeTables.h"
#include "KeychainSecrets.h"
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
    explicit ProgressLine(const QString& what, int total)
        : m_what(what), m_total(total), m_shown(isatty(STDERR_FILENO))
    {
        m_clock.start();
    }
    void update(int done)
    {
        if (!m_shown || (m_last.isValid() && m_last.elapsed() < ProgressEveryMs))
            return;
        m_last.start();
        const double seconds = m_clock.elapsed() / 1000.0;
        const double rate = seconds > 0 ? done / seconds : 0;
        QString line = m_total > 0 ? QStringLiteral("已读 %1/%2 %3").arg(done).arg(m_total).arg(m_what)
                                   : QStringLiteral("已读 %1 %2").arg(done).arg(m_what);
        if (rate > 0 && m_total > 0)
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
    QString m_what;
    int m_total;
    bool m_shown;
    QElapsedTimer m_clock, m_last;
};

QString Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
}

// Rows into the register in batches, each batch one transaction: a run killed midway leaves
// whole batches only. What was read without a verdict is counted, not recorded.
class Recorder {
public:
    Recorder(Register& reg, QString seen) : m_reg(reg), m_seen(std::move(seen)) {}
    void record(const IntakeRow& row)
    {
        if (row.unfinished) {
            ++unfinished;
            return;
        }
        m_pending << row;
        if (m_pending.size() >= RowsPerTransaction)
            flush();
    }
    // What is recorded so far, committed. The register is held only while a batch is written,
    // never while files are read, so that another clerk's run waits for moments, not for ours.
    bool flush()
    {
        if (!m_written || m_pending.isEmpty())
            return m_written;
        bool ok = m_reg.begin();
        for (const IntakeRow& row : std::as_const(m_pending))
            ok = ok && m_reg.add(row, m_seen);
        ok = ok && m_reg.commit();
        if (!ok)
            m_reg.rollback();
        else
            registered << m_pending;
        m_pending.clear();
        m_written = ok;
        return ok;
    }
    bool finish() { return flush(); }
    bool ok() const { return m_written; }
    QList<IntakeRow> registered;
    int unfinished = 0;

private:
    Register& m_reg;
    QString m_seen;
    QList<IntakeRow> m_pending;
    bool m_written = true;
};

// Every file under the folders, read on as many threads as the machine has cores.
bool TakeFolders(const IntakeArguments& args, Register& reg, Recorder& recorder, const IntakeOptions& base)
{
    const IntakeScan scan = ScanFolders(args.folders);
    for (const QString& problem : scan.problems)
        Warn(problem);
    // A folder where the packages were saved under other names (an old mail program's) holds
    // nothing to take: said, with what it does hold, and the run is no success.
    if (scan.files.isEmpty()) {
        Warn(QStringLiteral("在 %1 中没有找到上报文件（.qvs）或申请书（.qvx）。").arg(args.folders.join(QStringLiteral("、"))));
        if (scan.skippedCount > 0 && scan.skippedCount <= MaxSkippedNamed)
            Warn(QStringLiteral("找到的其他文件：\n  ") + scan.skipped.join(QStringLiteral("\n  ")));
        else if (scan.skippedCount > 0)
            Warn(QStringLiteral("另有 %1 个其他文件（不是上报文件或申请书）。").arg(scan.skippedCount));
        return false;
    }
    // What the register saw unchanged is not read again; what was refused at sight needs no reader.
    QList<IntakeRow> ready;
    QList<IntakeFile> toRead;
    for (const IntakeFile& file : scan.files) {
        if (!file.refusal.isEmpty())
            ready << ReadIntakeFile(file, {});
        else if (std::optional<IntakeRow> known = reg.unchanged(file))
            ready << *known;
        else
            toRead << file;
    }
    const QSet<QString> contents = reg.knownContents();
    IntakeOptions reading = base;
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
    for (const IntakeRow& row : std::as_const(ready))
        recorder.record(row);
    ProgressLine line(QStringLiteral("个文件"), int(scan.files.size()));
    int read = 0;
    while (read < toRead.size() && !Interrupted) {
        for (IntakeRow& row : handover.take()) {
            recorder.record(row);
            ++read;
        }
        line.update(int(ready.size()) + read);
    }
    for (std::thread& reader : readers)
        reader.join();
    for (IntakeRow& row : handover.take())  // what was read while the interruption came
        recorder.record(row);
    line.end();
    return scan.problems.isEmpty();
}

MessageRows AsMessage(const QList<IntakeRow>& rows)
{
    MessageRows message;
    message.origin = rows.first().mail;
    message.origin.attachment.clear();
    message.rows = rows;
    return message;
}

// The receipt of a message whose rows are in the register, sent by the one run that claims it.
void SendClaimedReceipt(Register& reg, const ReceiptSender& sender, const MessageRows& message)
{
    const QString when = Now();
    if (message.origin.replyTo.isEmpty() || !reg.claimReceipt(message.origin, when))
        return;
    const SmtpOutcome sent = SendReceipt(sender, message, when);
    if (sent.code == MapiSuccess)
        return;
    reg.releaseReceipt(message.origin, when);  // a later run sends it
    Warn(QStringLiteral("回执没有发出（%1）：%2").arg(message.origin.replyTo, FailureText(sender.server, sent)));
}

// The new messages of the mailbox; false when the mailbox could not be read (said).
bool TakeMailbox(MailIntake& mailbox, Register& reg, Recorder& recorder, const IntakeOptions& reading,
                 const std::optional<ReceiptSender>& receipts)
{
    QList<MessageRows> unreceipted;
    auto sendReceipts = [&] {
        if (!receipts || !recorder.flush())
            return;
        for (const MessageRows& message : std::as_const(unreceipted))
            SendClaimedReceipt(reg, *receipts, message);
        unreceipted.clear();
    };
    // Receipts an earlier run could not send go first.
    if (receipts)
        for (const QList<IntakeRow>& rows : reg.awaitingReceipt(mailbox.mailbox()))
            SendClaimedReceipt(reg, *receipts, AsMessage(rows));
    int taken = 0;
    std::unique_ptr<ProgressLine> line;
    const MailIntake::Ran ran = mailbox.run(reg.knownUids(mailbox.mailbox(), mailbox.uidValidity()), reading,
                                            [&](MessageRows message) {
        bool recorded = false;
        for (const IntakeRow& row : std::as_const(message.rows)) {
            recorded = recorded || !row.unfinished;
            recorder.record(row);
        }
        if (recorded && receipts)
            unreceipted << message;
        // A receipt goes once its message is in the register, committed.
        if (unreceipted.size() >= 10)
            sendReceipts();
        if (!line)
            line = std::make_unique<ProgressLine>(QStringLiteral("封邮件"), 0);
        line->update(++taken);
    }, Interrupted);
    if (line)
        line->end();
    sendReceipts();
    if (!ran.outcome.ok()) {
        Warn(ImapFailureText(mailbox.account(), ran.outcome));
        return false;
    }
    return true;
}

// An SQLite register moved into a PostgreSQL one, its rows as they were.
int Import(Register& into, const QString& from)
{
    Register::Opened source = Register::open(from);
    if (!source.reg) {
        Warn(source.error);
        return 1;
    }
    const QList<IntakeRow> rows = source.reg->allRows();
    int added = 0;
    bool ok = into.begin();
    for (const IntakeRow& row : rows) {
        if (!ok)
            break;
        added += into.addAsItWas(row) ? 1 : 0;
        ok = into.error().isEmpty();
    }
    if (!ok || !into.commit()) {
        into.rollback();
        Warn(QStringLiteral("无法写入登记册 %1：%2").arg(into.where(), into.error()));
        return 1;
    }
    Say(QStringLiteral("从 %1 移入 %2 行（其余 %3 行登记册中已有）。").arg(from).arg(added).arg(rows.size() - added));
    return 0;
}

} // namespace

int RunIntake(const QStringList& arguments)
{
    const IntakeArgumentsParsed parsed = ParseIntakeArguments(arguments);
    if (!parsed.arguments) {
        Warn(parsed.problem);
        std::fputs(IntakeUsage, stderr);
        return 2;
    }
    const IntakeArguments& args = *parsed.arguments;
    if (args.help) {
        std::fputs(IntakeUsage, stdout);
        return 0;
    }
    FieldData();  // read once here, before the readers start
    static KeychainSecrets keychain;
    installSecrets(&keychain);

    // The mailbox and the receipts' server are reached before anything is written: a login that
    // fails writes nothing.
    std::unique_ptr<MailIntake> mailbox;
    std::optional<ReceiptSender> receipts;
    if (!args.imap.isEmpty()) {
        ImapAccountParsed account = ParseImapUrl(args.imap);
        if (!account.account) {
            Warn(account.error);
            return 2;
        }
        account.account->caFile = args.caFile;
        const PasswordFound password = FindPassword(
            args.passwordFile, QStringLiteral("imap:%1@%2:%3").arg(account.account->user, account.account->host).arg(account.account->port),
            QStringLiteral("邮箱 %1").arg(account.account->shown()));
        if (!password.password) {
            Warn(password.problem);
            return 1;
        }
        account.account->password = *password.password;
        mailbox = std::make_unique<MailIntake>(MailIntakeSettings{*account.account, args.since, args.markSeen,
                                                                  args.maxMessageBytes});
        if (const ImapOutcome opened = mailbox->open(); !opened.ok()) {
            Warn(ImapFailureText(*account.account, opened));
            return 1;
        }
        if (args.receipts) {
            const SmtpUrlParsed server = ParseSmtpUrl(args.smtp);
            if (!server.server) {
                Warn(server.error);
                return 2;
            }
            const PasswordFound smtpPassword = FindPassword(args.smtpPasswordFile, PasswordKey(*server.server),
                                                            QStringLiteral("发信服务器 %1").arg(server.server->host));
            if (!smtpPassword.password && !server.server->user.isEmpty()) {
                Warn(smtpPassword.problem);
                return 1;
            }
            MailServer smtp = *server.server;
            smtp.caFile = args.caFile;  // the office's own authority serves both servers
            receipts = ReceiptSender{smtp, smtpPassword.password.value_or(QString()), args.from};
        }
    }

    Register::Opened opened = Register::open(args.db, [&args](int limitSeconds) {
        if (isatty(STDERR_FILENO))
            std::fputs("\r\033[K", stderr);  // over the progress line
        Warn(QStringLiteral("登记册 %1 正被另一次接收写入，等它写完（最多等 %2 秒）……").arg(args.db).arg(limitSeconds));
    });
    if (!opened.reg) {
        Warn(opened.error);
        return 1;
    }
    Register& reg = *opened.reg;
    if (!args.importFrom.isEmpty())
        return Import(reg, args.importFrom);
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

    IntakeOptions reading;
    reading.allProblems = args.all;
    reading.stop = &Interrupted;
    Recorder recorder(reg, Now());
    bool complete = true;
    if (!args.folders.isEmpty())
        complete = TakeFolders(args, reg, recorder, reading) && complete;
    if (mailbox && !Interrupted)
        complete = TakeMailbox(*mailbox, reg, recorder, reading, receipts) && complete;
    if (!recorder.finish()) {
        Warn(QStringLiteral("无法写入登记册 %1：%2").arg(args.db, reg.error()));
        return 1;
    }
    if (Interrupted) {
        Warn(QStringLiteral("已中断：登记了 %1 个文件，没有写出表格；没有读完的文件没有登记，下次运行时会重新读取。")
                 .arg(recorder.registered.size()));
        return ExitInterrupted;
    }

    // The rows as the register now holds them, with their first and last sightings.
    QList<IntakeRow> rows;
    int taken = 0;
    for (const IntakeRow& row : std::as_const(recorder.registered)) {
        IntakeRow stored = reg.stored(row.file.shownPath, row.sha256).value_or(row);
        stored.file = row.file;
        taken += stored.taken ? 1 : 0;
        if (!stored.taken)
            Say(QStringLiteral("未接收\t%1\t%2").arg(stored.file.shownPath, QString(stored.message).replace('\n', ' ')));
        rows << stored;
    }
    std::sort(rows.begin(), rows.end(), [](const IntakeRow& a, const IntakeRow& b) { return a.file.path < b.file.path; });
    const QSet<QString> duplicates = reg.duplicatePaths();
    bool tables = true;
    for (const Outcome& written : {args.csv.isEmpty() ? Outcome{} : WriteIntakeCsv(args.csv, rows, duplicates),
                                   args.xlsx.isEmpty() ? Outcome{} : WriteIntakeXlsx(args.xlsx, rows, duplicates, work.path())}) {
        if (!written.ok())
            Warn(Explain(written));
        tables = tables && written.written();
    }
    Say(QStringLiteral("共 %1 个文件：接收 %2 个，未接收 %3 个；其中 %4 个已登记且未改动，没有重读。")
            .arg(rows.size()).arg(taken).arg(rows.size() - taken)
            .arg(std::count_if(recorder.registered.cbegin(), recorder.registered.cend(),
                               [](const IntakeRow& r) { return r.known; })));
    if (recorder.unfinished > 0)
        Warn(QStringLiteral("%1 个文件没有读完（内存不足），没有登记，下次运行时会重新读取。").arg(recorder.unfinished));
    return taken == rows.size() && recorder.unfinished == 0 && complete && tables ? 0 : 1;
}
