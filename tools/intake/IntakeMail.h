#pragma once
// The intake from a mailbox: every message the register has not seen (by the mailbox's
// UIDVALIDITY and the message's UID) fetched, parsed, and each attachment ending in .qvs or
// .qvx read as a file of a folder is read. A message without one, too large, or with too many
// parts is a refused row, so that the office sees it; a hostile message never stops the run.
// One thread fetches, the others parse and read; at most a few messages wait in memory.
#include "ImapMailbox.h"
#include "IntakeRead.h"

#include <QSet>
#include <atomic>
#include <functional>

struct MailIntakeSettings {
    ImapAccount account;
    std::optional<QDate> since;
    bool markSeen = false;
    qint64 maxMessageBytes = 100LL * 1024 * 1024;
};

// A message's rows: each attachment's, or one that says why there is none.
struct MessageRows {
    MailOrigin origin;
    QList<IntakeRow> rows;
};

inline const QString NoPackageInMailText = QStringLiteral("邮件中没有上报文件");

class MailIntake {
public:
    explicit MailIntake(MailIntakeSettings settings);
    // Logs in and opens the mailbox; nothing is read yet.
    ImapOutcome open();
    QString mailbox() const { return m_settings.account.shown(); }
    const ImapAccount& account() const { return m_settings.account; }
    qint64 uidValidity() const { return m_session.uidValidity(); }

    struct Ran {
        ImapOutcome outcome;  // how the mailbox's reading ended
        int messages = 0;     // new messages found
    };
    // Reads every message whose UID is not in known; deliver runs on the calling thread, once a
    // message, in no particular order. stop ends the run between messages.
    Ran run(const QSet<qint64>& known, const IntakeOptions& reading, const std::function<void(MessageRows)>& deliver,
            const std::atomic<bool>& stop);

private:
    MailIntakeSettings m_settings;
    ImapSession m_session;
};

// The rows of a message fetched whole (the workers' part, on its own for the tests).
MessageRows ReadMessage(const MailOrigin& origin, const QByteArray& raw, const IntakeOptions& reading);
