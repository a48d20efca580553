#include "TeamMemory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int BusyWaitMs = 2000;  // two windows of the program storing at once

const char* const Schema =
    "CREATE TABLE IF NOT EXISTS members ("
    " person TEXT PRIMARY KEY,"  // the identity number, or the name and unit where there is none
    " name TEXT NOT NULL, title TEXT NOT NULL, id_number TEXT NOT NULL, unit TEXT NOT NULL, work TEXT NOT NULL,"
    " seen INTEGER NOT NULL)";

// The open database, closed at the end of its scope.
class Database {
public:
    explicit Database(const QString& path, bool create)
    {
        if (create && !QFileInfo::exists(path)) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            // Made private before SQLite writes a byte of it.
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0)
                ::close(fd);
        }
        if (!QFileInfo::exists(path))
            return;
        ::chmod(QFile::encodeName(path).constData(), 0600);
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                            nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            return;
        }
        sqlite3_busy_timeout(m_db, BusyWaitMs);
        if (sqlite3_exec(m_db, Schema, nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~Database() { sqlite3_close(m_db); }
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

void Bind(sqlite3_stmt* s, int i, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString Column(sqlite3_stmt* s, int i)
{
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    return t ? QString::fromUtf8(t, sqlite3_column_bytes(s, i)) : QString();
}

} // namespace

QString TeamMemory::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/members.sqlite";
}

TeamMemory::TeamMemory(const QString& path) : m_path(path) {}

bool TeamMemory::remember(const QList<RememberedMember>& members) const
{
    QList<RememberedMember> filled;
    for (const RememberedMember& m : members)
        if (!m.name.trimmed().isEmpty())
            filled << m;
    if (filled.isEmpty())
        return true;
    const Database db(m_path, true);
    if (!db.get())
        return false;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.get(),
                           "INSERT INTO members (person, name, title, id_number, unit, work, seen)"
                           " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT (person) DO UPDATE SET"
                           " name = excluded.name, title = excluded.title, unit = excluded.unit,"
                           " work = excluded.work, seen = excluded.seen",
                           -1, &s, nullptr) != SQLITE_OK)
        return false;
    sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    // The first row of an application is the newest of its moment: the order is kept.
    qint64 seen = QDateTime::currentMSecsSinceEpoch() + filled.size();
    bool ok = true;
    for (const RememberedMember& m : filled) {
        const QString id = m.idNumber.trimmed().toUpper();
        Bind(s, 1, id.isEmpty() ? "name:" + m.name.trimmed() + "|" + m.unit.trimmed() : id);
        Bind(s, 2, m.name.trimmed());
        Bind(s, 3, m.title.trimmed());
        Bind(s, 4, id);
        Bind(s, 5, m.unit.trimmed());
        Bind(s, 6, m.work.trimmed());
        sqlite3_bind_int64(s, 7, seen--);
        ok = sqlite3_step(s) == SQLITE_DONE && ok;
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    return sqlite3_exec(db.get(), ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
}

QList<RememberedMember> TeamMemory::people(int limit) const
{
    QList<RememberedMember> found;
    const Database db(m_path, false);
    sqlite3_stmt* s = nullptr;
    if (!db.get()
        || sqlite3_prepare_v2(db.get(), "SELECT name, title, id_number, unit, work FROM members ORDER BY seen DESC LIMIT ?1",
                              -1, &s, nullptr) != SQLITE_OK)
        return found;
    sqlite3_bind_int(s, 1, limit);
    while (sqlite3_step(s) == SQLITE_ROW)
        found.append({Column(s, 0), Column(s, 1), Column(s, 2), Column(s, 3), Column(s, 4)});
    sqlite3_finalize(s);
    return found;
}

bool TeamMemory::clear() const
{
    if (!QFileInfo::exists(m_path))
        return true;
    const Database db(m_path, false);
    // Emptied, and the pages it used given back, so that no name stays in the file.
    return db.get() && sqlite3_exec(db.get(), "DELETE FROM members; VACUUM", nullptr, nullptr, nullptr) == SQLITE_OK;
}
