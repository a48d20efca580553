#pragma once
// A message as the receiving office reads it, parsed by GMime as mail programs parse it: who
// sent it and where a reply goes, its subject and date decoded, and every attachment whose name
// ends in .qvs or .qvx (any letter case), with its name decoded from RFC 2231 or RFC 2047 and
// from the charsets Chinese mail programs use (UTF-8, GB18030, GBK, GB2312), attachments of a
// forwarded message included. Bounded: a message with too many parts, or nested too deep, is
// refused, not followed.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

struct MailAttachment {
    QString name;
    QByteArray bytes;  // decoded
};

struct ParsedMail {
    bool ok = false;
    QString problem;       // why it is refused, for the register
    QString messageId;
    QString fromName, fromAddress;
    QString replyTo;       // the address a reply goes to: Reply-To, else From
    QString subject;
    QDateTime date;
    QList<MailAttachment> attachments;
    QString from() const;  // "name <address>"
};

inline constexpr int MaxMailParts = 500;
inline constexpr int MaxMailNesting = 8;  // forwarded messages inside forwarded messages

ParsedMail ParseMail(const QByteArray& raw);
// Whether a file name is one the intake takes: .qvs or .qvx, any letter case.
bool IsApplicationFileName(const QString& name);
