// The register in an SQLite file (WAL), for one clerk's machine.
#include "SqlConnection.h"

#include <QElapsedTimer>
#include <QFile>
#include <sqlite3.h>

namespace {

// Another intake writing the same file: waited for, with the progress line saying so.
constexpr int BusyWaitMs = 60000;   // how long a write waits for another run's transaction
constexpr int NoticeAfterMs = 1000; // before the clerk is told of the wait
constexpr int BusyStepMs = 20;

class SqliteResult : public SqlResult {
public:
    SqliteResult(sqlite3* db, const QString& sql, const QVariantList& parameters) : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
            return;
        for (int i = 0; i < parameters.size(); ++i) {
            const QVariant& p = parameters.at(i);
            if (p.isNull()) {
                sqlite3_bind_null(m_statement, i + 1);
            } else if (p.typeId() == QMetaType::LongLong || p.typeId() == QMetaType::Int) {
                sqlite3_bind_int64(m_statement, i + 1, p.toLongLong());
            } else {
                const QByteArray utf8 = p.toString().toUtf8();
                sqlite3_bind_text(m_statement, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            }
        }
        // Run at once: a statement that yields no rows has done its work when the caller asks.
        m_status = sqlite3_step(m_statement);
        m_affected = sqlite3_changes(db);
    }
    ~SqliteResult() override { sqlite3_finalize(m_statement); }
    bool ok() const override { return m_statement && (m_status == SQLITE_ROW || m_status == SQLITE_DONE); }
    bool next() override
    {
        if (!m_statement)
            return false;
        if (m_first) {
            m_first = false;
            return m_status == SQLITE_ROW;
        }
        m_status = sqlite3_step(m_statement);
        return m_status == SQLITE_ROW;
    }
    QString text(int column) const override
    {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return t ? QString::fromUtf8(t, sqlite3_column_bytes(m_statement, column)) : QString();
    }
    qint64 number(int column) const override { return sqlite3_column_int64(m_statement, column); }
    bool isNull(int column) const override { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    qint64 affected() const override { return m_affected; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_status = SQLITE_ERROR;
    qint64 m_affected = 0;
    bool m_first = true;
};

class SqliteConnection : public SqlConnection {
public:
    ~SqliteConnection() override { sqlite3_close(m_db); }
    sqlite3* m_db = nullptr;

    Dialect dialect() const override { return Dialect::Sqlite; }
    bool exec(const QString& sql) override
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        return false;
    }
    std::unique_ptr<SqlResult> query(const QString& sql, const QVariantList& parameters) override
    {
        auto result = std::make_unique<SqliteResult>(m_db, sql, parameters);
        if (!result->ok())
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return result;
    }
    QString error() const override { return m_error; }
    void onWaiting(std::function<void(int)> notice) override { m_notice = std::move(notice); }

    // SQLite's own busy timeout, with the notice once per wait.
    static int OnBusy(void* self, int count)
    {
        auto* connection = static_cast<SqliteConnection*>(self);
        if (count == 0) {
            connection->m_waiting.start();
            connection->m_told = false;
        }
        const qint64 waited = connection->m_waiting.elapsed();
        if (waited >= BusyWaitMs)
            return 0;  // SQLITE_BUSY: "database is locked", said by the caller
        if (waited >= NoticeAfterMs && !connection->m_told && connection->m_notice) {
            connection->m_told = true;
            connection->m_notice(BusyWaitMs / 1000);
        }
        sqlite3_sleep(BusyStepMs);
        return 1;
    }

private:
    QString m_error;
    std::function<void(int)> m_notice;
    QElapsedTimer m_waiting;
    bool m_told = false;
};

} // namespace

SqlOpened OpenSqlite(const QString& path)
{
    auto connection = std::make_unique<SqliteConnection>();
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &connection->m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (opened != SQLITE_OK || !connection->m_db)
        return {nullptr, QStringLiteral("无法打开登记册 %1：%2").arg(path, QString::fromUtf8(sqlite3_errstr(opened)))};
    sqlite3_busy_handler(connection->m_db, &SqliteConnection::OnBusy, connection.get());
    // Two runs opening a new register at once: the change of journal mode is refused at once
    // (SQLite calls no busy handler for it), and is tried again within the same bound.
    QElapsedTimer opening;
    opening.start();
    bool wal = connection->exec("PRAGMA journal_mode = WAL");
    while (!wal && sqlite3_errcode(connection->m_db) == SQLITE_BUSY && opening.elapsed() < BusyWaitMs) {
        sqlite3_sleep(BusyStepMs);
        wal = connection->exec("PRAGMA journal_mode = WAL");
    }
    if (!wal)
        return {nullptr, QStringLiteral("无法使用登记册 %1：%2").arg(path, connection->error())};
    return {std::move(connection), {}};
}

SqlOpened OpenRegisterStore(const QString& where)
{
    return IsPostgresUri(where) ? OpenPostgres(where) : OpenSqlite(where);
}
