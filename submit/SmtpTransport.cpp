#include "SmtpTransport.h"

#include "CurlLibrary.h"
#include "Edition.h"
#include "MailComposer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <sys/socket.h>

namespace {

constexpr long ConnectTimeoutSeconds = 15;
constexpr long TransferTimeoutSeconds = 900;  // the whole message, attachment included
constexpr int GreetingLimitMs = 10000;        // how long a connected server may stay silent

// A server that sends and takes nothing for this long (after DATA, say) is given up.
std::atomic<int> StallLimitMs{60000};
// Set by 取消 while a message is on its way; every transfer looks at it and ends at once.
std::atomic<bool> CancelRequested{false};

const char* const ResultTexts[] = {
    "SUCCESSFULL", "Error: MAPI_USER_ABORT", "Error: MAPI_E_FAILURE", "Error: MAPI_E_LOGON_FAILURE",
    "Error: MAPI_E_DISK_FULL", "Error: MAPI_E_INSUFFICIENT_MEMORY", "Error: MAPI_E_ACCESS_DENIED",
    "UNKNOWN MAPI ERROR", "Error: MAPI_E_TOO_MANY_SESSIONS", "Error: MAPI_E_TOO_MANY_FILES",
    "Error: MAPI_E_TOO_MANY_RECIPIENTS", "Error: MAPI_E_ATTACHMENT_NOT_FOUND",
    "Error: MAPI_E_ATTACHMENT_OPEN_FAILURE", "Error: MAPI_E_ATTACHMENT_WRITE_FAILURE",
    "Error: MAPI_E_UNKNOWN_RECIPIENT", "Error: MAPI_E_BAD_RECIPTYPE", "Error: MAPI_E_NO_MESSAGES",
    "Error: MAPI_E_INVALID_MESSAGE", "Error: MAPI_E_TEXT_TOO_LARGE", "Error: MAPI_E_INVALID_SESSION",
    "Error: MAPI_E_TYPE_NOT_SUPPORTED", "Error: MAPI_E_AMBIGUOUS_RECIPIENT", "Error: MAPI_E_MESSAGE_IN_USE",
    "Error: MAPI_E_NETWORK_FAILURE", "Error: MAPI_E_INVALID_EDITFIELDS", "Error: MAPI_E_INVALID_RECIPS",
    "Error: MAPI_E_NOT_SUPPORTED",
};

bool HasControlOrBrackets(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 32 || c.unicode() == 127 || c == '<' || c == '>')
            return true;
    return false;
}

QByteArray MessageId(const QString& senderAddress)
{
    QString domain = senderAddress.section('@', -1).trimmed();
    if (!senderAddress.contains('@') || domain.isEmpty() || HasControlOrBrackets(domain))
        domain = QStringLiteral("vantra.invalid");
    return "<" + QByteArray::number(QDateTime::currentMSecsSinceEpoch(), 36) + "."
           + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + "@" + domain.toUtf8() + ">";
}

QByteArray Url(const MailServer& server)
{
    QString host = server.host.trimmed();
    if (host.contains(':'))
        host = "[" + host + "]";  // an IPv6 literal
    const QString scheme = server.security == QLatin1String("ssl") ? QStringLiteral("smtps") : QStringLiteral("smtp");
    return (scheme + "://" + host + ":" + QString::number(server.port)).toUtf8();
}

// From libcurl's protocol trace: the command the server refused first, which tells a refused
// recipient from a refused message or a broken line.
// What the server offered in its last EHLO answer, and whether a login took place.
struct Trace {
    QByteArray lastCommand;
    QByteArray refused;     // the command the server refused first
    long refusedWith = 0;   // with this code
    QByteArray reply;       // and this reply, as the server wrote it
    std::atomic<bool> greeted{false};  // the server has said anything at all
    bool authOffered = false, startTlsOffered = false, loggedIn = false;
    qint64 sizeLimit = 0;
};

int OnTrace(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto* trace = static_cast<Trace*>(user);
    for (QByteArray line : QByteArray(data, qsizetype(size)).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (type == CURLINFO_HEADER_OUT) {
            trace->lastCommand = line.toUpper();
            // A new EHLO (after STARTTLS) answers anew for the encrypted connection.
            if (trace->lastCommand.startsWith("EHLO"))
                trace->authOffered = trace->startTlsOffered = false;
            continue;
        }
        if (type != CURLINFO_HEADER_IN)
            continue;
        trace->greeted = true;
        const long code = line.left(3).toLong();
        const QByteArray said = line.mid(4).toUpper();
        if (code == 250 && trace->lastCommand.startsWith("EHLO")) {
            trace->authOffered = trace->authOffered || said.startsWith("AUTH");
            trace->startTlsOffered = trace->startTlsOffered || said.startsWith("STARTTLS");
            if (said.startsWith("SIZE "))
                trace->sizeLimit = said.mid(5).trimmed().toLongLong();
        }
        if (code == 235)
            trace->loggedIn = true;
        if (code >= 400 && trace->refused.isEmpty()) {
            trace->refused = trace->lastCommand.isEmpty() ? QByteArray("CONNECT") : trace->lastCommand;
            trace->refusedWith = code;
            trace->reply = line.left(300);
        }
    }
    return 0;
}

// The message's bytes, handed to libcurl as it asks for them.
struct Upload {
    QByteArray bytes;
    qsizetype at = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* upload = static_cast<Upload*>(user);
    const qsizetype n = qMin<qsizetype>(qsizetype(size * count), upload->bytes.size() - upload->at);
    std::memcpy(buffer, upload->bytes.constData() + upload->at, size_t(n));
    upload->at += n;
    return size_t(n);
}

size_t Discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// Watches a transfer: its percentage, a server that stopped answering, and 取消.
struct ProgressHook {
    curl_socket_t socket = CURL_SOCKET_BAD;  // the connection to the server
    std::function<void(int)> report;
    curl_off_t moved = -1;
    QElapsedTimer sinceMoved;
    bool stalled = false;
    bool cancelled = false;
    const Trace* trace = nullptr;
    bool silent = false;  // connected, but the server never greeted: it speaks TLS, say
};

int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t uploadTotal, curl_off_t uploaded)
{
    auto* hook = static_cast<ProgressHook*>(user);
    if (hook->report && uploadTotal > 0)
        hook->report(int(uploaded * 100 / uploadTotal));
    if (uploaded + downloaded != hook->moved) {
        hook->moved = uploaded + downloaded;
        hook->sinceMoved.start();
    }
    hook->cancelled = CancelRequested;
    hook->stalled = !hook->cancelled && hook->sinceMoved.elapsed() > StallLimitMs;
    // A server greets at once; one that says nothing on a connection made waits for something
    // else (a TLS handshake), and is not waited for as long as a busy one.
    hook->silent = !hook->cancelled && hook->socket != CURL_SOCKET_BAD && hook->trace && !hook->trace->greeted
                   && hook->sinceMoved.elapsed() > std::min<int>(StallLimitMs, GreetingLimitMs);
    if (!hook->cancelled && !hook->stalled && !hook->silent)
        return 0;
    // Ended at once: libcurl would still say QUIT and wait for a server that does not answer.
    if (hook->socket != CURL_SOCKET_BAD)
        ::shutdown(hook->socket, SHUT_RDWR);
    return 1;  // non-zero ends the transfer
}

int OnSocket(void* user, curl_socket_t socket, curlsocktype)
{
    static_cast<ProgressHook*>(user)->socket = socket;
    return CURL_SOCKOPT_OK;
}

void Watch(CURL* curl, ProgressHook& hook)
{
    const CurlLibrary* api = Curl();
    hook.sinceMoved.start();
    api->easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, OnSocket);
    api->easy_setopt(curl, CURLOPT_SOCKOPTDATA, &hook);
    // A reply the server owes (after the message's data, say) is waited for as long as the
    // stall limit, where progress reports do not run.
    api->easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(std::max(1, StallLimitMs / 1000)));
    api->easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    api->easy_setopt(curl, CURLOPT_XFERINFODATA, &hook);
    api->easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

// The common setup of a session with the server.
CURL* Session(const MailServer& server, const QString& password, Trace& trace, QByteArray& error)
{
    const CurlLibrary* api = Curl();
    CURL* curl = api->easy_init();
    if (!curl)
        return nullptr;
    error.fill(0, CURL_ERROR_SIZE);
    api->easy_setopt(curl, CURLOPT_ERRORBUFFER, error.data());
    api->easy_setopt(curl, CURLOPT_URL, Url(server).constData());
    api->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    api->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSeconds);
    api->easy_setopt(curl, CURLOPT_TIMEOUT, TransferTimeoutSeconds);
    // Certificates are checked against the system's store; one that does not verify is refused,
    // unless the user trusted exactly this server's certificate: then its key, and no other, is taken.
    if (server.pinnedKey.isEmpty()) {
        api->easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        api->easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    } else {
        api->easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        api->easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        api->easy_setopt(curl, CURLOPT_PINNEDPUBLICKEY, server.pinnedKey.toLatin1().constData());
    }
    if (!server.caFile.isEmpty())
        api->easy_setopt(curl, CURLOPT_CAINFO, QFile::encodeName(server.caFile).constData());
    if (server.security == QLatin1String("starttls"))
        api->easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!server.user.isEmpty()) {
        api->easy_setopt(curl, CURLOPT_USERNAME, server.user.toUtf8().constData());
        api->easy_setopt(curl, CURLOPT_PASSWORD, password.toUtf8().constData());
    }
    api->easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);  // what the server answers to a command
    api->easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnTrace);
    api->easy_setopt(curl, CURLOPT_DEBUGDATA, &trace);
    api->easy_setopt(curl, CURLOPT_VERBOSE, 1L);  // feeds the trace, prints nothing
    return curl;
}

int CodeFor(CURLcode result, long response, const Trace& trace)
{
    if (result == CURLE_OK)
        return MapiSuccess;
    if (trace.refusedWith >= 400 && trace.refusedWith < 500 && !trace.refused.startsWith("AUTH"))
        return MapiFailure;  // to be tried again: no recipient or message was refused for good
    if (trace.refusedWith == 552 && (trace.refused.startsWith("MAIL") || trace.refused.startsWith("DATA")
                                     || trace.refused == "."))
        return MapiTextTooLarge;
    if (trace.refused.startsWith("RCPT"))
        return MapiUnknownRecipient;
    switch (result) {
    case CURLE_LOGIN_DENIED:
        return MapiLogonFailure;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return response >= 400 ? MapiFailure : MapiNetworkFailure;
    case CURLE_READ_ERROR:
    case CURLE_FILE_COULDNT_READ_FILE:
        return MapiAttachmentOpenFailure;
    case CURLE_OUT_OF_MEMORY:
        return MapiInsufficientMemory;
    default:
        return MapiFailure;
    }
}

SmtpOutcome::Failure FailureOf(CURLcode result, const Trace& trace, const ProgressHook& hook, bool connected)
{
    if (result == CURLE_OK)
        return SmtpOutcome::None;
    if (hook.cancelled)
        return SmtpOutcome::Cancelled;
    if (hook.silent)
        return SmtpOutcome::NoGreeting;
    if (hook.stalled)
        return SmtpOutcome::Stalled;
    if (result == CURLE_LOGIN_DENIED || trace.refused.startsWith("AUTH"))
        return SmtpOutcome::LoginRefused;
    // 4xx: the server asks to try again later (greylisting, a full queue); nothing was taken.
    if (trace.refusedWith >= 400 && trace.refusedWith < 500)
        return SmtpOutcome::Temporary;
    if (trace.refusedWith >= 400)
        return SmtpOutcome::Refused;
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return SmtpOutcome::HostNotFound;
    case CURLE_COULDNT_CONNECT:
        return SmtpOutcome::ConnectionRefused;
    case CURLE_OPERATION_TIMEDOUT:
        // Connected, and the server never said a word: it waits for a TLS handshake.
        if (connected && !trace.greeted)
            return SmtpOutcome::NoGreeting;
        return trace.lastCommand.isEmpty() ? SmtpOutcome::ConnectTimeout : SmtpOutcome::Stalled;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_WEIRD_SERVER_REPLY:
        return SmtpOutcome::Broken;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return SmtpOutcome::Untrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CACERT_BADFILE:
        return SmtpOutcome::Insecure;
    case CURLE_READ_ERROR:
    case CURLE_FILE_COULDNT_READ_FILE:
        return SmtpOutcome::AttachmentUnreadable;
    default:
        return SmtpOutcome::Other;
    }
}

SmtpOutcome Outcome(CURL* curl, CURLcode result, const Trace& trace, const QByteArray& error, const ProgressHook& hook)
{
    const CurlLibrary* api = Curl();
    long response = 0;
    api->easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
    curl_off_t connectTime = 0;
    api->easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectTime);
    SmtpOutcome outcome;
    outcome.code = hook.cancelled ? int(MapiUserAbort) : CodeFor(result, response, trace);
    outcome.failure = FailureOf(result, trace, hook, connectTime > 0);
    outcome.refusedCommand = trace.refused;
    outcome.reply = QString::fromUtf8(trace.reply);
    outcome.authOffered = trace.authOffered;
    outcome.startTlsOffered = trace.startTlsOffered;
    outcome.loggedIn = trace.loggedIn;
    outcome.sizeLimit = trace.sizeLimit;
    outcome.detail = QString::fromUtf8(error.constData()).trimmed();
    if (outcome.detail.isEmpty() && result != CURLE_OK)
        outcome.detail = QString::fromUtf8(api->easy_strerror(result));
    outcome.detail += QStringLiteral(" (curl %1, %2)").arg(int(result)).arg(response);
    return outcome;
}

} // namespace

QString MapiResultText(int code)
{
    if (code < 0 || code >= int(std::size(ResultTexts)))
        return QStringLiteral("UNKNOWN MAPI ERROR");
    return QString::fromLatin1(ResultTexts[code]);
}

SmtpOutcome SmtpSend(const MailServer& server, const QString& password, const MailMessage& message,
                     const std::function<void(int)>& progress)
{
    const CurlLibrary* api = Curl();
    if (!api)
        return SmtpOutcome::Ended(MapiUserAbort, QStringLiteral("libcurl is not installed"));  // as with no mail system
    if (HasControlOrBrackets(message.recipientAddress))
        return SmtpOutcome::Ended(MapiInvalidRecips, QStringLiteral("recipient address"));
    if (HasControlOrBrackets(message.senderAddress))
        return SmtpOutcome::Ended(MapiInvalidMessage, QStringLiteral("sender address"));
    if (!message.attachment.isEmpty()) {
        const QFileInfo file(message.attachment);
        if (!file.exists())
            return SmtpOutcome::Ended(MapiAttachmentNotFound, message.attachment);
        if (!file.isFile() || !file.isReadable())
            return SmtpOutcome::Ended(MapiAttachmentOpenFailure, message.attachment);
    }
    Trace trace;
    QByteArray error;
    CURL* curl = Session(server, password, trace, error);
    if (!curl)
        return SmtpOutcome::Ended(MapiInsufficientMemory, QStringLiteral("curl_easy_init"));

    if (!message.senderAddress.isEmpty())
        api->easy_setopt(curl, CURLOPT_MAIL_FROM, ("<" + message.senderAddress.toUtf8() + ">").constData());
    curl_slist* recipients = nullptr;
    if (!message.recipientAddress.isEmpty())
        recipients = api->slist_append(recipients, ("<" + message.recipientAddress.toUtf8() + ">").constData());
    api->easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);

    ComposedMail mail;
    mail.subject = message.subject;
    mail.body = message.body;
    mail.senderName = message.senderName;
    mail.senderAddress = message.senderAddress;
    mail.recipientName = message.recipientName;
    mail.recipientAddress = message.recipientAddress;
    mail.date = QDateTime::currentDateTime();
    mail.messageId = MessageId(message.senderAddress);
    mail.mailer = "vantra " + VersionText.toLatin1();
    if (!message.attachment.isEmpty()) {
        QFile file(message.attachment);
        if (!file.open(QIODevice::ReadOnly)) {
            api->slist_free_all(recipients);
            api->easy_cleanup(curl);
            return SmtpOutcome::Ended(MapiAttachmentOpenFailure, message.attachment);
        }
        mail.attachmentName = QFileInfo(message.attachment).fileName();
        mail.attachment = file.readAll();
    }
    Upload upload{ComposeMail(mail)};
    api->easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    api->easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
    api->easy_setopt(curl, CURLOPT_READDATA, &upload);
    api->easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(upload.bytes.size()));

    ProgressHook hook;
    hook.report = progress;
    hook.trace = &trace;
    Watch(curl, hook);
    const CURLcode result = api->easy_perform(curl);
    SmtpOutcome outcome = Outcome(curl, result, trace, error, hook);
    outcome.messageBytes = mail.attachment.size();
    api->slist_free_all(recipients);
    api->easy_cleanup(curl);
    return outcome;
}

SmtpOutcome SmtpTry(const MailServer& server, const QString& password)
{
    const CurlLibrary* api = Curl();
    if (!api)
        return SmtpOutcome::Ended(MapiUserAbort, QStringLiteral("libcurl is not installed"));
    Trace trace;
    QByteArray error;
    CURL* curl = Session(server, password, trace, error);
    if (!curl)
        return SmtpOutcome::Ended(MapiInsufficientMemory, QStringLiteral("curl_easy_init"));
    api->easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");  // after the login; then QUIT
    ProgressHook hook;
    hook.trace = &trace;
    Watch(curl, hook);
    const CURLcode result = api->easy_perform(curl);
    const SmtpOutcome outcome = Outcome(curl, result, trace, error, hook);
    api->easy_cleanup(curl);
    return outcome;
}

void CancelMailSending()
{
    CancelRequested = true;
}

void ClearMailCancel()
{
    CancelRequested = false;
}

void SetMailStallLimit(int milliseconds)
{
    StallLimitMs = milliseconds;
}

int MailStallLimit()
{
    return StallLimitMs;
}

