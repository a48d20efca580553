#pragma once
// The message the program sends, built by GMime as mail programs build theirs: a text part and
// the attachment in base64, the names and the subject as RFC 2047 encoded words (the attachment's
// file name in the RFC 2231 form as well), every header folded within 78 characters and no line
// beyond 998. Qt Core outside, GMime within.
#include <QByteArray>
#include <QDateTime>
#include <QString>

struct ComposedMail {
    QString subject;
    QString body;
    QString senderName, senderAddress;        // an empty address: no originator
    QString recipientName, recipientAddress;
    QString attachmentName;                   // the attachment's file name, empty for none
    QByteArray attachment;
    QDateTime date;
    QByteArray messageId;                     // "<…@…>"
    QByteArray mailer;                        // X-Mailer
};

// The message's bytes with CR LF line ends, ready for the DATA command.
QByteArray ComposeMail(const ComposedMail& mail);
