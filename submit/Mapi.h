#pragma once
// SendMapiMail: one message with the submission file attached, sent over SMTP with libcurl
// to the applicant's mail server. It keeps the fields and result codes of the mail call the
// program was designed around; the server comes from the settings file, the password from the
// desktop's secret store.
#include <QString>
#include <functional>

struct MailServer {
    QString host;
    int port = 465;
    QString security = QStringLiteral("ssl");  // "ssl", "starttls" or "none"
    QString user;                              // empty: no login
    bool isSet() const { return !host.trimmed().isEmpty(); }
};

// Group "mail" of the settings file.
MailServer ReadMailServer();
bool WriteMailServer(const MailServer& server);
// A server for the sender's address: the common providers of Chinese university and personal
// mail, else "smtp." + the domain on port 465 with SSL; the address is the user name.
MailServer ProposedServer(const QString& senderAddress);
// The key of the server's password in the secret store.
QString PasswordKey(const MailServer& server);

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
        Broken, Insecure, AttachmentUnreadable, Other
    };
    Failure failure = None;
    QByteArray refusedCommand;  // the command the server refused ("RCPT TO:<…>", "DATA", ".")
    QString reply;              // the server's own reply to it ("552 5.3.4 Message size exceeds fixed limit")

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
// How long a server may send and take nothing before it is given up (60 s; tests make it short).
void SetMailStallLimit(int milliseconds);
int MailStallLimit();

// Runs work beside the window, which stays painted and whose 取消 can be pressed, and returns
// when it is done.
void RunWithoutFreezing(const std::function<void()>& work);

// The text of a result code ("SUCCESSFULL", "Error: MAPI_E_FAILURE", …).
QString MapiResultText(int code);

// The header forms of a text: RFC 2047 encoded words, and the RFC 2231 parameter value.
QByteArray EncodedWords(const QString& text);
QByteArray Rfc2231Value(const QString& text);

// Asks the applicant for the server (and password); set by the server dialog. False: cancelled.
using MailServerAsker = std::function<bool(const QString& senderAddress, MailServer& server, QString& password)>;
void SetMailServerAsker(MailServerAsker asker);

// Sends the message; true when the server took it. On failure shows "发邮件出错: " + the text.
bool SendMapiMail(const QString& subject, const QString& body, const QString& attachment, const QString& senderName,
                  const QString& senderAddress, const QString& recipientName, const QString& recipientAddress);
