#pragma once
// The receiving office's register of applications: an SQLite database (journal mode WAL) with
// the table "applications" and the view "duplicates". Written by one thread.
#include "IntakeRead.h"

#include <QSet>
#include <QString>
#include <memory>
#include <optional>

struct sqlite3;

class Register {
public:
    // Opens or creates the register; nullptr with error set when it cannot be (a file that is
    // no database is left as it is).
    static std::unique_ptr<Register> open(const QString& path, QString* error);
    ~Register();

    // The row the register holds for a file whose path, size, time and inode are as it last saw
    // them: its content has not changed, and it is not read again.
    std::optional<IntakeRow> unchanged(const IntakeFile& file);
    // Every path and hash the register holds, as "path TAB sha256".
    QSet<QString> knownContents();

    bool begin();
    bool commit();
    // A file read now: a new row, or, when the register holds this path with this content,
    // only its last sighting. seen is the time of the run.
    bool add(const IntakeRow& row, const QString& seen);
    // The stored row of a path and content, after add.
    std::optional<IntakeRow> stored(const QString& path, const QString& sha256);
    // The paths of the applications whose applicant's identity number another application has.
    QSet<QString> duplicatePaths();

    QString error() const { return m_error; }

private:
    Register() = default;
    bool run(const char* sql);
    bool addFormatColumn();
    bool fail();
    sqlite3* m_db = nullptr;
    QString m_error;
};

// "path TAB sha256", the key of knownContents.
inline QString ContentKey(const QString& path, const QString& sha256)
{
    return path + '\t' + sha256;
}
