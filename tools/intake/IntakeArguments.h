#pragma once
// What "qvtool intake" is asked to do, read from its command line; options go anywhere.
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

struct IntakeArguments {
    QStringList folders;
    QString db, xlsx, csv;
    bool all = false;
    // The mailbox: imaps://USER@HOST[:PORT]/MAILBOX, and how it is read.
    QString imap;
    std::optional<QDate> since;
    QString passwordFile;
    QString caFile;
    bool markSeen = false;
    qint64 maxMessageBytes = 100LL * 1024 * 1024;
    // A receipt to every applicant whose message was taken from the mailbox.
    bool receipts = false;
    QString smtp, from, smtpPasswordFile;
    // An SQLite register moved into the PostgreSQL register named by db.
    QString importFrom;
};

struct IntakeArgumentsParsed {
    std::optional<IntakeArguments> arguments;
    QString problem;  // what is wrong with the command line, for the usage message
};
IntakeArgumentsParsed ParseIntakeArguments(const QStringList& arguments);

inline const char* const IntakeUsage =
    "usage: qvtool intake [FOLDER...] --db REGISTER [--xlsx TABLE] [--csv TABLE] [--all]\n"
    "                     [--imap imaps://USER@HOST[:PORT]/MAILBOX [--since YYYY-MM-DD] [--password-file FILE]\n"
    "                      [--cacert FILE] [--mark-seen] [--max-message-mb N]\n"
    "                      [--receipts --smtp smtps://USER@HOST[:PORT] --from ADDRESS [--smtp-password-file FILE]]]\n"
    "       qvtool intake --db postgresql://USER@HOST[:PORT]/DBNAME --import REGISTER.sqlite\n"
    "REGISTER is an SQLite file or postgresql://USER@HOST[:PORT]/DBNAME.\n"
    "The CSV is UTF-8 with a byte-order mark, comma-separated, CR LF line ends; a text that a\n"
    "spreadsheet would take for a number, a date or a formula (an identity number, a code, a\n"
    "telephone number, a year-month) is written as the string formula =\"...\", which Excel, WPS\n"
    "and LibreOffice (with its import's \"Evaluate formulas\") show as the text itself.\n";
