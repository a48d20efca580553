#pragma once
// A mailbox read over IMAP with libcurl, as the receiving office's intake reads it: the
// messages listed with their UIDs, sizes and flags, each fetched whole. Unless the caller
// asks to mark what it read, the mailbox is examined (opened read-only), so that no message is
// marked as read, moved or changed; where the connection had to be made again and the server
// marked a message, the mark is taken back.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

struct ImapAccount {
    QString host;
    int port = 993;
    bool implicitTls = true;  // imaps://; imap:// takes STARTTLS whenever the server offers it
    QString user;
    QString mailbox = QStringLiteral("INBOX");
    QString password;
    QString caFile;           // an office's own certificate authority, beside the system's
    // "imaps://user@host:993/INBOX", without the password: the register's name of the mailbox.
    QString shown() const;
};

struct ImapAccountParsed {
    std::optional<ImapAccount> account;
    QString error;
};
// imaps://USER@HOST[:PORT]/MAILBOX or imap://…; the mailbox defaults to INBOX.
ImapAccountParsed ParseImapUrl(const QString& url);

struct ImapOutcome {
    enum Failure {
        None, NoLibrary, LoginRefused, Untrusted, HostNotFound, ConnectionRefused, Timeout, NoMailbox, Insecure,
        TooLarge, Stopped, Broken, Other
    };
    Failure failure = None;
    QString detail;  // what libcurl said
    bool ok() const { return failure == None; }
};
// What went wrong and where, in a sentence for the clerk.
QString ImapFailureText(const ImapAccount& account, const ImapOutcome& outcome);

struct ImapMessage {
    qint64 uid = 0;
    qint64 size = 0;  // RFC822.SIZE, as the server counts it
    bool seen = false;
};

class ImapSession {
public:
    explicit ImapSession(ImapAccount account, bool markSeen = false);
    ~ImapSession();
    ImapSession(const ImapSession&) = delete;
    ImapSession& operator=(const ImapSession&) = delete;

    // Logs in and opens the mailbox; its UIDVALIDITY is then known.
    ImapOutcome open();
    qint64 uidValidity() const { return m_uidValidity; }

    struct Listing {
        ImapOutcome outcome;
        QList<ImapMessage> messages;  // in UID order
    };
    // Every message, or those that arrived on or after since.
    Listing messages(const std::optional<QDate>& since = std::nullopt);

    struct Fetched {
        ImapOutcome outcome;
        QByteArray bytes;
    };
    // The message whole; TooLarge, without fetching, beyond maxBytes. stop is asked while it comes.
    Fetched fetch(const ImapMessage& message, qint64 maxBytes, const std::function<bool()>& stop = {});

private:
    struct Answer {
        ImapOutcome outcome;
        QByteArray bytes;    // the untagged lines of a command, or a message fetched
        bool reconnected = false;  // libcurl had to connect again (and so to select the mailbox)
    };
    Answer perform(const QByteArray& url, const QByteArray& command, const std::function<bool()>& stop = {},
                   qint64 limit = -1);
    ImapOutcome examine();
    QByteArray mailboxUrl() const;
    QByteArray m_base;  // scheme://host:port
    ImapAccount m_account;
    bool m_markSeen;
    void* m_curl = nullptr;
    qint64 m_uidValidity = 0;
    qint64 m_exists = -1;  // messages in the mailbox when it was examined, -1 unknown
};
