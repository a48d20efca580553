// The register on a PostgreSQL server the office's clerks share, through libpq.
#include "SqlConnection.h"

#include <QUrl>
#include <libpq-fe.h>
#include <vector>

namespace {

// ?1 … as $1 …; a question mark inside a quoted string stays.
QByteArray PostgresText(const QString& sql)
{
    QString out;
    out.reserve(sql.size());
    bool quoted = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == '\'')
            quoted = !quoted;
        out += !quoted && c == '?' && i + 1 < sql.size() && sql.at(i + 1).isDigit() ? QChar('$') : c;
    }
    return out.toUtf8();
}

class PostgresResult : public SqlResult {
public:
    explicit PostgresResult(PGresult* result) : m_result(result) {}
    ~PostgresResult() override { PQclear(m_result); }
    bool ok() const override
    {
        const ExecStatusType status = PQresultStatus(m_result);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }
    bool next() override { return ok() && ++m_row < PQntuples(m_result); }
    QString text(int column) const override
    {
        return QString::fromUtf8(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
    }
    qint64 number(int column) const override { return QByteArray(PQgetvalue(m_result, m_row, column)).toLongLong(); }
    bool isNull(int column) const override { return PQgetisnull(m_result, m_row, column); }
    qint64 affected() const override { return QByteArray(PQcmdTuples(m_result)).toLongLong(); }

private:
    PGresult* m_result;
    int m_row = -1;
};

class PostgresConnection : public SqlConnection {
public:
    explicit PostgresConnection(PGconn* connection) : m_connection(connection) {}
    ~PostgresConnection() override { PQfinish(m_connection); }

    Dialect dialect() const override { return Dialect::Postgres; }
    bool exec(const QString& sql) override
    {
        PGresult* result = PQexec(m_connection, sql.toUtf8().constData());
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
        if (!ok)
            m_error = QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
        PQclear(result);
        return ok;
    }
    std::unique_ptr<SqlResult> query(const QString& sql, const QVariantList& parameters) override
    {
        std::vector<QByteArray> values;
        std::vector<const char*> pointers;
        values.reserve(size_t(parameters.size()));
        for (const QVariant& p : parameters) {
            values.push_back(p.isNull() ? QByteArray() : p.toString().toUtf8());
            pointers.push_back(p.isNull() ? nullptr : values.back().constData());
        }
        PGresult* result = PQexecParams(m_connection, PostgresText(sql).constData(), int(pointers.size()), nullptr,
                                        pointers.data(), nullptr, nullptr, 0);
        auto wrapped = std::make_unique<PostgresResult>(result);
        if (!wrapped->ok())
            m_error = QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
        return wrapped;
    }
    QString error() const override { return m_error; }

private:
    PGconn* m_connection;
    QString m_error;
};

} // namespace

SqlOpened OpenPostgres(const QString& uri)
{
    // The address as the clerk gave it, without a password that may be in it.
    QUrl shown(uri);
    shown.setPassword(QString());
    const QString where = shown.toString();
    PGconn* connection = PQconnectdb(uri.toUtf8().constData());
    if (!connection)
        return {nullptr, QStringLiteral("无法连接登记册 %1：内存不足").arg(where)};
    if (PQstatus(connection) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(connection)).trimmed();
        PQfinish(connection);
        return {nullptr, QStringLiteral("无法连接登记册 %1：%2").arg(where, why)};
    }
    PQsetClientEncoding(connection, "UTF8");
    auto opened = std::make_unique<PostgresConnection>(connection);
    // Notices (a table that exists already) are not the clerk's business.
    PQsetNoticeProcessor(connection, [](void*, const char*) {}, nullptr);
    return {std::move(opened), {}};
}
