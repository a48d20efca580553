#pragma once
// One message sent over SMTP with libcurl: the message, its outcome and the sentences that tell
// what the server answered. Qt Core alone: the office's intake sends its receipts with it.
#include "MailSettings.h"

#include <QByteArray>
#include <QString>
#include <functional>

// The result codes of the mail call that this transport produces.
enum MapiCode {
    MapiSuccess = 0,
    MapiUserAbort = 1,
    MapiFailure = 2,
    MapiLogonFailure = 3,
    MapiInsufficientMemory = 5,
    MapiAttachmentNotFound = 11,
    MapiAttachmentOpenFailure = 12,
    MapiUnknownRecipient = 14,
    MapiInvalidMessage = 17,
    MapiTextTooLarge = 18,
    MapiNetworkFailure = 23,
    MapiInvalidRecips = 25,
};

struct MailMessage {
    QString subject;
    QString body;
    QString attachment;  // a file path, or empty
    QString senderName;
    QString senderAddress;  // empty: no originator
    QString recipientName;
    QString recipientAddress;
};

struct SmtpOutcome {
    int code = 0;     // a result code of the mail call: 0 sent
    QString detail;   // what the transport said, word for word
    // What happened, for the sentence the applicant reads.
    enum Failure {
        None, Cancelled, Stalled, Refused, LoginRefused, HostNotFound, ConnectionRefused, ConnectTimeout,
        Broken, Insecure, AttachmentUnreadable, Other,
        Temporary,   // a 4xx answer: the server asks to try again later
        Untrusted,   // the certificate did not verify (or is not the one the user trusted)
        NoGreeting,  // connected, but the server said nothing (it waits for TLS, say)
    };
    Failure failure = None;
    QByteArray refusedCommand;  // the command the server refused ("RCPT TO:<…>", "DATA", ".")
    QString reply;              // the server's own reply to it ("552 5.3.4 Message size exceeds fixed limit")
    // What the server offered on the connection as it last answered EHLO, and whether a login
    // took place: a test of the settings says what really happened.
    bool authOffered = false;
    bool startTlsOffered = false;
    bool loggedIn = false;
    qint64 sizeLimit = 0;       // SIZE, where the server advertised it
    qint64 messageBytes = 0;    // the attachment's size, for a refusal by size

    // An outcome known before anything reached a server: no command refused, no reply.
    static SmtpOutcome Ended(int code, const QString& detail)
    {
        SmtpOutcome outcome;
        outcome.code = code;
        outcome.detail = detail;
        return outcome;
    }
};

// Sends the message and waits for the server (connect within 15 s, the whole transfer bounded).
// Safe to call from a worker thread; progress gets the percentage sent.
SmtpOutcome SmtpSend(const MailServer& server, const QString& password, const MailMessage& message,
                     const std::function<void(int)>& progress = {});
// Connects, logs in and quits.
SmtpOutcome SmtpTry(const MailServer& server, const QString& password);
// What SmtpTry found, as a sentence for the applicant.
QString TryOutcomeText(const MailServer& server, const SmtpOutcome& outcome);
// What went wrong and where, in a sentence: "邮件服务器拒绝了邮件：552 …",
// "无法连接邮件服务器 smtp.example.cn:465（连接超时）".
QString FailureText(const MailServer& server, const SmtpOutcome& outcome);

// 取消 while a message is on its way: the transfer ends at once and nothing counts as sent.
void CancelMailSending();
// Before a new message: the last 取消 is forgotten.
void ClearMailCancel();
// How long a server may send and take nothing before it is given up (60 s; tests make it short).
void SetMailStallLimit(int milliseconds);
int MailStallLimit();

// The text of a result code ("SUCCESSFULL", "Error: MAPI_E_FAILURE", …).
QString MapiResultText(int code);

// The delay a temporary refusal names ("… try again in 300 seconds"), else a minute.
int RetryDelaySeconds(const QString& reply);
