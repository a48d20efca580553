#pragma once
// The register's two stores behind one small interface: SQLite, a file on the clerk's machine,
// and PostgreSQL, a server the office's clerks share. The SQL is written once for both:
// parameters are ?1, ?2 … (given to PostgreSQL as $1, $2 …), and the few words in which the
// dialects differ are asked of the connection.
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

class SqlResult {
public:
    virtual ~SqlResult() = default;
    virtual bool ok() const = 0;
    virtual bool next() = 0;  // to the next row; false after the last
    virtual QString text(int column) const = 0;
    virtual qint64 number(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual qint64 affected() const = 0;  // rows an INSERT, UPDATE or DELETE changed
};

class SqlConnection {
public:
    enum class Dialect { Sqlite, Postgres };
    virtual ~SqlConnection() = default;
    virtual Dialect dialect() const = 0;
    // Statements without parameters (the schema, BEGIN, COMMIT).
    virtual bool exec(const QString& sql) = 0;
    // One statement; a QVariant() parameter is NULL.
    virtual std::unique_ptr<SqlResult> query(const QString& sql, const QVariantList& parameters = {}) = 0;
    virtual QString error() const = 0;
    // Called once a write has waited a while for another clerk's run to finish its own (the
    // wait is bounded); the clerk is told rather than left looking at a still line.
    virtual void onWaiting(std::function<void(int limitSeconds)> notice) { (void)notice; }
    // What an application row's key is made with: SQLite's rowid, PostgreSQL's identity column.
    QString identityColumn() const
    {
        return dialect() == Dialect::Sqlite ? QStringLiteral("INTEGER PRIMARY KEY")
                                            : QStringLiteral("BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY");
    }
};

struct SqlOpened {
    std::unique_ptr<SqlConnection> connection;
    QString error;  // why not, for the clerk
};

// A register file; a file that is no database is left as it is.
SqlOpened OpenSqlite(const QString& path);
// A register on a PostgreSQL server: postgresql://USER@HOST[:PORT]/DBNAME (the password from
// libpq's own places: ~/.pgpass, PGPASSFILE, PGPASSWORD).
SqlOpened OpenPostgres(const QString& uri);
// Either, by what where names.
SqlOpened OpenRegisterStore(const QString& where);
inline bool IsPostgresUri(const QString& where)
{
    return where.startsWith(QLatin1String("postgresql://")) || where.startsWith(QLatin1String("postgres://"));
}
