#pragma once
// A receipt to every applicant whose message the office took from its mailbox: "申请书已收到",
// with each package's name, applicant, title, SHA-256, the time of receipt and the check's
// result, or why it was refused, so that the applicant can send again before the deadline. Sent
// through the program's own SMTP transport to the message's Reply-To, else its sender.
#include "IntakeMail.h"
#include "SmtpTransport.h"

#include <optional>

struct ReceiptSender {
    MailServer server;
    QString password;
    QString from;  // the office's address
};

struct SmtpUrlParsed {
    std::optional<MailServer> server;
    QString error;
};
// smtps://USER@HOST[:PORT] (SSL, port 465) or smtp://USER@HOST[:PORT] (STARTTLS, port 587).
SmtpUrlParsed ParseSmtpUrl(const QString& url);

// The receipt of a message, as it will be sent.
MailMessage ReceiptFor(const ReceiptSender& sender, const MessageRows& message, const QString& receivedAt);
SmtpOutcome SendReceipt(const ReceiptSender& sender, const MessageRows& message, const QString& receivedAt);
