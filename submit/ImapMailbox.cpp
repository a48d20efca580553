#include "ImapMailbox.h"

#include "CurlLibrary.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace {

constexpr long ConnectTimeoutSeconds = 15;
constexpr long CommandTimeoutSeconds = 600;  // the listing of a large mailbox, a large message
// A listing in parts: a command line well below servers' limits, and an answer well below what
// libcurl takes in one (it holds an answer's untagged lines to 300 KiB by its own count, and a
// listing of four hundred messages went over).
constexpr int UidsPerCommand = 100;
constexpr qint64 MessagesPerCommand = 100;

// A mailbox's name in IMAP's modified UTF-7: ASCII as it is ("&" as "&-"), everything else as
// base64 of UTF-16 with "," for "/", between "&" and "-".
QByteArray ModifiedUtf7(const QString& name)
{
    QByteArray out;
    QString pending;
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        QByteArray utf16;
        for (const QChar c : pending) {
            utf16.append(char(c.unicode() >> 8));
            utf16.append(char(c.unicode() & 0xff));
        }
        out += '&' + utf16.toBase64(QByteArray::OmitTrailingEquals).replace('/', ',') + '-';
        pending.clear();
    };
    for (const QChar c : name) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            flush();
            out += c == '&' ? QByteArray("&-") : QByteArray(1, char(c.unicode()));
        } else {
            pending += c;
        }
    }
    flush();
    return out;
}

QByteArray Quoted(const QByteArray& atom)
{
    QByteArray q = atom;
    q.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + q + '"';
}

size_t Collect(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<std::pair<QByteArray*, qint64>*>(user);
    const qint64 n = qint64(size * count);
    if (sink->second >= 0 && sink->first->size() + n > sink->second)
        return 0;  // more than was allowed: ended, as too large
    sink->first->append(data, qsizetype(n));
    return size * count;
}

struct StopHook {
    std::function<bool()> stop;
    bool stopped = false;
};

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* hook = static_cast<StopHook*>(user);
    hook->stopped = hook->stop && hook->stop();
    return hook->stopped ? 1 : 0;
}

ImapOutcome::Failure FailureOf(CURLcode code, const QByteArray& error)
{
    // libcurl says a mailbox that cannot be opened with the code of a refused login.
    if (error.contains("Select failed"))
        return ImapOutcome::NoMailbox;
    switch (code) {
    case CURLE_OK: return ImapOutcome::None;
    case CURLE_LOGIN_DENIED: return ImapOutcome::LoginRefused;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE: return ImapOutcome::Untrusted;
    case CURLE_COULDNT_RESOLVE_HOST: return ImapOutcome::HostNotFound;
    case CURLE_COULDNT_CONNECT: return ImapOutcome::ConnectionRefused;
    case CURLE_OPERATION_TIMEDOUT: return ImapOutcome::Timeout;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_USE_SSL_FAILED: return ImapOutcome::Insecure;
    default: break;
    }
    return code == CURLE_RECV_ERROR || code == CURLE_SEND_ERROR || code == CURLE_GOT_NOTHING ? ImapOutcome::Broken
                                                                                              : ImapOutcome::Other;
}

// "1,3:7,9" from sorted UIDs.
QByteArray SequenceSet(const QList<qint64>& uids)
{
    QList<QByteArray> parts;
    for (qsizetype i = 0; i < uids.size();) {
        qsizetype j = i;
        while (j + 1 < uids.size() && uids.at(j + 1) == uids.at(j) + 1)
            ++j;
        parts << (i == j ? QByteArray::number(uids.at(i))
                         : QByteArray::number(uids.at(i)) + ':' + QByteArray::number(uids.at(j)));
        i = j + 1;
    }
    return parts.join(',');
}

} // namespace

QString ImapAccount::shown() const
{
    const QString h = host.contains(':') ? "[" + host + "]" : host;
    return QStringLiteral("%1://%2@%3:%4/%5").arg(implicitTls ? "imaps" : "imap", user, h).arg(port).arg(mailbox);
}

ImapAccountParsed ParseImapUrl(const QString& url)
{
    const QUrl u(url, QUrl::StrictMode);
    const QString scheme = u.scheme().toLower();
    if (!u.isValid() || (scheme != QLatin1String("imaps") && scheme != QLatin1String("imap")) || u.host().isEmpty())
        return {std::nullopt, QStringLiteral("邮箱地址应写作 imaps://用户名@服务器[:端口]/邮件夹：%1").arg(url)};
    if (!u.password().isEmpty())
        return {std::nullopt, QStringLiteral("密码不能写在邮箱地址里，请用 --password-file 或桌面的密码库")};
    ImapAccount account;
    account.implicitTls = scheme == QLatin1String("imaps");
    account.host = u.host();
    account.port = u.port(account.implicitTls ? 993 : 143);
    account.user = u.userName();
    const QString path = u.path().mid(1);
    if (!path.isEmpty())
        account.mailbox = path;
    if (account.user.isEmpty())
        return {std::nullopt, QStringLiteral("邮箱地址中缺少用户名：%1").arg(url)};
    return {account, {}};
}

QString ImapFailureText(const ImapAccount& account, const ImapOutcome& outcome)
{
    const QString where = account.host + ":" + QString::number(account.port);
    switch (outcome.failure) {
    case ImapOutcome::None: return {};
    case ImapOutcome::NoLibrary: return QStringLiteral("无法读取邮箱：本机没有 libcurl（Debian 软件包 libcurl4）");
    case ImapOutcome::LoginRefused:
        return QStringLiteral("邮箱服务器 %1 拒绝了 %2 的登录：请检查用户名和密码（有的邮箱要用“授权码”代替密码）")
            .arg(where, account.user);
    case ImapOutcome::Untrusted:
        return QStringLiteral("邮箱服务器 %1 的证书不受信任（%2）。如果它是本单位自己签发的，请用 --cacert 指定签发它的证书。")
            .arg(where, outcome.detail);
    case ImapOutcome::HostNotFound: return QStringLiteral("找不到邮箱服务器 %1（请检查服务器名称和网络）").arg(account.host);
    case ImapOutcome::ConnectionRefused: return QStringLiteral("无法连接邮箱服务器 %1（连接被拒绝）").arg(where);
    case ImapOutcome::Timeout: return QStringLiteral("无法连接邮箱服务器 %1（连接超时）").arg(where);
    case ImapOutcome::NoMailbox: return QStringLiteral("邮箱服务器 %1 上没有邮件夹 %2").arg(where, account.mailbox);
    case ImapOutcome::Insecure: return QStringLiteral("无法与邮箱服务器 %1 建立安全连接：%2").arg(where, outcome.detail);
    case ImapOutcome::TooLarge: return QStringLiteral("邮件过大，没有读取");
    case ImapOutcome::Stopped: return QStringLiteral("已中断");
    case ImapOutcome::Broken: return QStringLiteral("与邮箱服务器 %1 的连接中断了：%2").arg(where, outcome.detail);
    case ImapOutcome::Other: break;
    }
    return QStringLiteral("与邮箱服务器 %1 通信失败：%2").arg(where, outcome.detail);
}

ImapSession::ImapSession(ImapAccount account, bool markSeen) : m_account(std::move(account)), m_markSeen(markSeen)
{
    const QString host = m_account.host.contains(':') ? "[" + m_account.host + "]" : m_account.host;
    m_base = (QString(m_account.implicitTls ? "imaps" : "imap") + "://" + host + ":" + QString::number(m_account.port))
                 .toUtf8();
}

ImapSession::~ImapSession()
{
    if (m_curl)
        Curl()->easy_cleanup(static_cast<CURL*>(m_curl));
}

QByteArray ImapSession::mailboxUrl() const
{
    return m_base + "/" + QUrl::toPercentEncoding(QString::fromLatin1(ModifiedUtf7(m_account.mailbox)));
}

ImapSession::Answer ImapSession::perform(const QByteArray& url, const QByteArray& command,
                                         const std::function<bool()>& stop, qint64 limit)
{
    Answer answer;
    const CurlLibrary* api = Curl();
    if (!api) {
        answer.outcome = {ImapOutcome::NoLibrary, {}};
        return answer;
    }
    if (!m_curl) {
        m_curl = api->easy_init();
        if (!m_curl) {
            answer.outcome = {ImapOutcome::Other, QStringLiteral("curl_easy_init")};
            return answer;
        }
        CURL* c = static_cast<CURL*>(m_curl);
        api->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        api->easy_setopt(c, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSeconds);
        api->easy_setopt(c, CURLOPT_TIMEOUT, CommandTimeoutSeconds);
        // Certificates are checked against the system's store, and the office's own authority.
        api->easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
        api->easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!m_account.caFile.isEmpty())
            api->easy_setopt(c, CURLOPT_CAINFO, m_account.caFile.toUtf8().constData());
        if (!m_account.implicitTls)
            api->easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
        api->easy_setopt(c, CURLOPT_USERNAME, m_account.user.toUtf8().constData());
        api->easy_setopt(c, CURLOPT_PASSWORD, m_account.password.toUtf8().constData());
        api->easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
    }
    CURL* c = static_cast<CURL*>(m_curl);
    QByteArray error(CURL_ERROR_SIZE, '\0');
    std::pair<QByteArray*, qint64> sink{&answer.bytes, limit};
    StopHook hook{stop};
    api->easy_setopt(c, CURLOPT_ERRORBUFFER, error.data());
    api->easy_setopt(c, CURLOPT_URL, url.constData());
    api->easy_setopt(c, CURLOPT_CUSTOMREQUEST, command.isEmpty() ? nullptr : command.constData());
    api->easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    api->easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    api->easy_setopt(c, CURLOPT_XFERINFODATA, &hook);
    api->easy_setopt(c, CURLOPT_NOPROGRESS, stop ? 0L : 1L);
    const CURLcode code = api->easy_perform(c);
    long connects = 0;
    api->easy_getinfo(c, CURLINFO_NUM_CONNECTS, &connects);
    answer.reconnected = connects > 0;
    api->easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
    const QByteArray said = QByteArray(error.constData()).trimmed();
    if (code == CURLE_WRITE_ERROR && limit >= 0 && answer.bytes.size() >= limit)
        answer.outcome = {ImapOutcome::TooLarge, {}};
    else if (code == CURLE_ABORTED_BY_CALLBACK && hook.stopped)
        answer.outcome = {ImapOutcome::Stopped, {}};
    else
        answer.outcome = {FailureOf(code, said),
                          code == CURLE_OK ? QString()
                          : said.isEmpty() ? QString::fromUtf8(api->easy_strerror(code))
                                           : QString::fromUtf8(said)};
    return answer;
}

// The mailbox read-only from here on. libcurl selects the mailbox named in the address first
// (so that it knows it is open and does not open it again), then the examination follows.
ImapOutcome ImapSession::examine()
{
    const QByteArray name = Quoted(ModifiedUtf7(m_account.mailbox));
    const Answer answer = perform(mailboxUrl(), m_markSeen ? "STATUS " + name + " (UIDVALIDITY MESSAGES)" : "EXAMINE " + name);
    if (!answer.outcome.ok())
        return answer.outcome;
    static const QRegularExpression validity(QStringLiteral("UIDVALIDITY (\\d+)")),
        exists(QStringLiteral("\\* (\\d+) EXISTS|MESSAGES (\\d+)"));
    const QString said = QString::fromLatin1(answer.bytes);
    const QRegularExpressionMatch found = validity.match(said);
    if (!found.hasMatch())
        return {ImapOutcome::Other, QStringLiteral("服务器没有给出 UIDVALIDITY")};
    m_uidValidity = found.captured(1).toLongLong();
    const QRegularExpressionMatch count = exists.match(said);
    m_exists = !count.hasMatch() ? -1 : count.captured(count.lastCapturedIndex()).toLongLong();
    return {};
}

ImapOutcome ImapSession::open()
{
    return examine();
}

ImapSession::Listing ImapSession::messages(const std::optional<QDate>& since)
{
    Listing listing;
    // In ranges of messages, each answer a few kilobytes however large the mailbox; a server
    // that gave no count is asked for the whole range at once.
    QList<QByteArray> ranges;
    if (m_exists < 0)
        ranges << "1:*";
    for (qint64 first = 1; first <= m_exists; first += MessagesPerCommand)
        ranges << QByteArray::number(first) + ':' + QByteArray::number(qMin(m_exists, first + MessagesPerCommand - 1));
    QList<QByteArray> commands;
    if (since) {
        static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        const QByteArray date = QByteArray::number(since->day()) + '-' + Months[since->month() - 1] + '-'
                                + QByteArray::number(since->year());
        QList<qint64> uids;
        for (const QByteArray& range : std::as_const(ranges)) {
            const Answer found = perform(mailboxUrl(), "UID SEARCH " + range + " SINCE " + date);
            if (!found.outcome.ok()) {
                listing.outcome = found.outcome;
                return listing;
            }
            for (const QByteArray& line : found.bytes.split('\n'))
                if (line.startsWith("* SEARCH"))
                    for (const QByteArray& word : line.mid(8).trimmed().split(' '))
                        if (const qint64 uid = word.toLongLong(); uid > 0)
                            uids << uid;
        }
        std::sort(uids.begin(), uids.end());
        for (qsizetype i = 0; i < uids.size(); i += UidsPerCommand)
            commands << "UID FETCH " + SequenceSet(uids.mid(i, UidsPerCommand)) + " (UID FLAGS RFC822.SIZE)";
    } else {
        for (const QByteArray& range : std::as_const(ranges))
            commands << "FETCH " + range + " (UID FLAGS RFC822.SIZE)";
    }
    static const QRegularExpression uid(QStringLiteral("\\bUID (\\d+)")), size(QStringLiteral("RFC822\\.SIZE (\\d+)")),
        flags(QStringLiteral("FLAGS \\(([^)]*)\\)"));
    for (const QByteArray& command : std::as_const(commands)) {
        const Answer answer = perform(mailboxUrl(), command);
        if (!answer.outcome.ok()) {
            listing.outcome = answer.outcome;
            return listing;
        }
        for (const QByteArray& raw : answer.bytes.split('\n')) {
            const QString line = QString::fromLatin1(raw);
            if (!line.startsWith(QLatin1String("* ")) || !line.contains(QLatin1String(" FETCH ")))
                continue;
            ImapMessage message;
            message.uid = uid.match(line).captured(1).toLongLong();
            message.size = size.match(line).captured(1).toLongLong();
            message.seen = flags.match(line).captured(1).contains(QLatin1String("\\Seen"), Qt::CaseInsensitive);
            if (message.uid > 0)
                listing.messages << message;
        }
    }
    std::sort(listing.messages.begin(), listing.messages.end(),
              [](const ImapMessage& a, const ImapMessage& b) { return a.uid < b.uid; });
    listing.messages.erase(std::unique(listing.messages.begin(), listing.messages.end(),
                                       [](const ImapMessage& a, const ImapMessage& b) { return a.uid == b.uid; }),
                           listing.messages.end());
    return listing;
}

ImapSession::Fetched ImapSession::fetch(const ImapMessage& message, qint64 maxBytes, const std::function<bool()>& stop)
{
    Fetched fetched;
    if (message.size > maxBytes) {
        fetched.outcome = {ImapOutcome::TooLarge, {}};
        return fetched;
    }
    const QByteArray url = mailboxUrl() + ";UIDVALIDITY=" + QByteArray::number(m_uidValidity) + "/;UID="
                           + QByteArray::number(message.uid);
    Answer answer = perform(url, {}, stop, maxBytes);
    if (answer.reconnected && !m_markSeen) {
        // A new connection selected the mailbox read-write before the fetch: the server may have
        // marked the message read. The mark is taken back, and the mailbox examined again.
        if (!message.seen)
            perform(mailboxUrl(), "UID STORE " + QByteArray::number(message.uid) + " -FLAGS.SILENT (\\Seen)");
        const ImapOutcome again = examine();
        if (answer.outcome.ok() && !again.ok())
            answer.outcome = again;
    }
    fetched.outcome = answer.outcome;
    fetched.bytes = std::move(answer.bytes);
    return fetched;
}
