#pragma once
// The receiving office's register of applications: the table "applications" (one row per path
// and content) and the view "duplicates", in an SQLite file (the default) or on a PostgreSQL
// server several clerks share. The same schema, the same queries and the same columns, named
// once (RegisterColumns) for both; made on first use, with its schema version.
#include "IntakeRead.h"
#include "SqlConnection.h"

#include <QSet>
#include <QString>
#include <memory>
#include <optional>

inline constexpr int RegisterSchemaVersion = 2;

class Register {
public:
    struct Opened {
        std::unique_ptr<Register> reg;
        QString error;  // why not, for the clerk; a file that is no database is left as it is
    };
    // An SQLite file, or postgresql://USER@HOST[:PORT]/DBNAME. waiting is called when a write
    // has to wait for another clerk's run (with the longest it waits, in seconds).
    static Opened open(const QString& where, std::function<void(int limitSeconds)> waiting = {});

    // The row the register holds for a file whose path, size, time and inode are as it last saw
    // them: its content has not changed, and it is not read again.
    std::optional<IntakeRow> unchanged(const IntakeFile& file);
    // Every path and hash the register holds, as "path TAB sha256".
    QSet<QString> knownContents();

    bool begin();
    bool commit();
    bool rollback();
    // A file read now: a new row, or, when the register holds this path with this content,
    // only its last sighting. seen is the time of the run. Another clerk's run adding the same
    // row at the same moment makes no second one.
    bool add(const IntakeRow& row, const QString& seen);
    // The stored row of a path and content, after add.
    std::optional<IntakeRow> stored(const QString& path, const QString& sha256);
    // The paths of the applications whose applicant's identity number another application has.
    QSet<QString> duplicatePaths();
    // Every row, for moving a register into another store.
    QList<IntakeRow> allRows();
    // A row as it was, its first and last sightings kept; false when the register holds it.
    bool addAsItWas(const IntakeRow& row);

    // The UIDs of the mailbox's messages the register has, for that UIDVALIDITY.
    QSet<qint64> knownUids(const QString& mailbox, qint64 uidValidity);
    // The rows of the mailbox's messages whose receipt has not gone, grouped by message.
    QList<QList<IntakeRow>> awaitingReceipt(const QString& mailbox);
    // Claims the receipt of a message for this run: true for the one run that may send it.
    bool claimReceipt(const MailOrigin& message, const QString& when);
    // Gives the claim back after the receipt could not be sent, so that a later run sends it.
    bool releaseReceipt(const MailOrigin& message, const QString& when);

    QString error() const { return m_error; }
    QString where() const { return m_where; }

private:
    Register() = default;
    bool prepare();
    bool fail();
    std::unique_ptr<SqlConnection> m_db;
    QString m_where;
    QString m_error;
};

// "path TAB sha256", the key of knownContents.
inline QString ContentKey(const QString& path, const QString& sha256)
{
    return path + '\t' + sha256;
}
