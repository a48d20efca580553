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
    bool help = false;  // --help: the usage, and nothing else
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
    "\n"
    "Every .qvs and .qvx under the FOLDERs (or attached to the mailbox's messages) is checked as the\n"
    "submission checks it and recorded in the register; a file or message seen before is not read again.\n"
    "  --db REGISTER          an SQLite file (made on first use) or postgresql://USER@HOST[:PORT]/DBNAME\n"
    "  --xlsx TABLE           the run's files as a spreadsheet: taken and refused on two sheets\n"
    "  --csv TABLE            the run's files as CSV (see below)\n"
    "  --all                  every problem of a taken file, as qvtool verify --all lists them\n"
    "  --imap URL             imaps:// (993) or imap:// with STARTTLS; read-only unless --mark-seen\n"
    "  --since YYYY-MM-DD     only messages the server received on or after that day\n"
    "  --password-file FILE   the mailbox's password (mode 0600); else the secret store or a prompt\n"
    "  --cacert FILE          the office's own certificate authority, for IMAP and SMTP\n"
    "  --mark-seen            mark the messages taken as read\n"
    "  --max-message-mb N     a larger message is a refused row (100 unless told)\n"
    "  --receipts             answer every message taken with a receipt, once, through --smtp\n"
    "  --smtp URL --from ADDRESS [--smtp-password-file FILE]   the server and sender of receipts\n"
    "  --import REGISTER.sqlite   move an SQLite register into the PostgreSQL register of --db\n"
    "Exit status: 0 every file taken, 1 some refused or nothing found, 2 bad usage, 130 interrupted.\n"
    "REGISTER is an SQLite file or postgresql://USER@HOST[:PORT]/DBNAME.\n"
    "The CSV is UTF-8 with a byte-order mark, comma-separated, CR LF line ends; a text that a\n"
    "spreadsheet would take for a number, a date or a formula (an identity number, a code, a\n"
    "telephone number, a year-month) is written as the string formula =\"...\", which Excel, WPS\n"
    "and LibreOffice (with its import's \"Evaluate formulas\") show as the text itself.\n";
