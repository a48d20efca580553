#include "Register.h"

#include <QFile>
#include <functional>

namespace {

// Where a row's value comes from and goes to, and how the column is made. The only place the
// register's columns are named: the schema, every INSERT and every SELECT are made from it.
struct Column {
    const char* name;
    const char* definition;
    std::function<QVariant(const IntakeRow&)> get;
    std::function<void(IntakeRow&, const SqlResult&, int)> set;
};

QVariant Count(int n)
{
    return n < 0 ? QVariant() : QVariant(qint64(n));
}

QVariant OrNull(qint64 n)
{
    return n > 0 ? QVariant(n) : QVariant();
}

// The register's names of the formats.
QString FormatCode(const std::optional<DocumentFormat>& format)
{
    if (!format)
        return {};
    return *format == DocumentFormat::Word97 ? QStringLiteral("word97") : QStringLiteral("ooxml");
}

std::optional<DocumentFormat> FormatFrom(const QString& code)
{
    if (code == QLatin1String("word97"))
        return DocumentFormat::Word97;
    if (code == QLatin1String("ooxml"))
        return DocumentFormat::Ooxml;
    return std::nullopt;
}

#define TEXT_COLUMN(name, definition, field)                                                                           \
    Column { name, definition, [](const IntakeRow& r) { return QVariant(r.field); },                                  \
             [](IntakeRow& r, const SqlResult& s, int c) { r.field = s.text(c); } }

const QList<Column>& Columns()
{
    static const QList<Column> columns = {
        {"path", "TEXT NOT NULL", [](const IntakeRow& r) { return QVariant(r.file.shownPath); },
         [](IntakeRow& r, const SqlResult& s, int c) {
             r.file.shownPath = s.text(c);
             r.file.path = QFile::encodeName(r.file.shownPath);
         }},
        {"size", "BIGINT NOT NULL", [](const IntakeRow& r) { return QVariant(r.file.size); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.file.size = s.number(c); }},
        TEXT_COLUMN("sha256", "TEXT NOT NULL", sha256),
        {"kind", "TEXT NOT NULL CHECK (kind IN ('package', 'document'))",
         [](const IntakeRow& r) { return QVariant(QString(r.file.kind == IntakeFile::Package ? "package" : "document")); },
         [](IntakeRow& r, const SqlResult& s, int c) {
             r.file.kind = s.text(c) == "package" ? IntakeFile::Package : IntakeFile::Document;
         }},
        TEXT_COLUMN("entry", "TEXT NOT NULL DEFAULT ''", entry),
        {"status", "TEXT NOT NULL CHECK (status IN ('ok', 'refused'))",
         [](const IntakeRow& r) { return QVariant(QString(r.taken ? "ok" : "refused")); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.taken = s.text(c) == "ok"; }},
        TEXT_COLUMN("message", "TEXT NOT NULL DEFAULT ''", message),
        {"passed", "BIGINT", [](const IntakeRow& r) { return r.taken ? QVariant(qint64(r.passed)) : QVariant(); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.passed = !s.isNull(c) && s.number(c) != 0; }},
        TEXT_COLUMN("applicant", "TEXT", applicant),
        TEXT_COLUMN("id_number", "TEXT", idNumber),
        TEXT_COLUMN("category", "TEXT", category),
        TEXT_COLUMN("discipline", "TEXT", discipline),
        TEXT_COLUMN("discipline_code", "TEXT", disciplineCode),
        TEXT_COLUMN("unit", "TEXT", unit),
        TEXT_COLUMN("title", "TEXT", title),
        TEXT_COLUMN("amount", "TEXT", amount),
        TEXT_COLUMN("start", "TEXT", start),
        TEXT_COLUMN("end", "TEXT", end),
        {"members", "BIGINT", [](const IntakeRow& r) { return Count(r.members); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.members = s.isNull(c) ? -1 : int(s.number(c)); }},
        {"body_chars", "BIGINT", [](const IntakeRow& r) { return Count(r.bodyChars); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.bodyChars = s.isNull(c) ? -1 : int(s.number(c)); }},
        {"modified_ns", "BIGINT", [](const IntakeRow& r) { return QVariant(r.file.modifiedNs); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.file.modifiedNs = s.number(c); }},
        {"inode", "BIGINT", [](const IntakeRow& r) { return QVariant(r.file.inode); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.file.inode = s.number(c); }},
        {"device", "BIGINT", [](const IntakeRow& r) { return QVariant(r.file.device); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.file.device = s.number(c); }},
        TEXT_COLUMN("document_sha256", "TEXT NOT NULL DEFAULT ''", documentSha256),
        {"format", "TEXT NOT NULL DEFAULT '' CHECK (format IN ('', 'ooxml', 'word97'))",
         [](const IntakeRow& r) { return QVariant(FormatCode(r.format)); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.format = FormatFrom(s.text(c)); }},
        {"source", "TEXT NOT NULL DEFAULT 'folder' CHECK (source IN ('folder', 'mail'))",
         [](const IntakeRow& r) { return QVariant(QString(r.mail.isSet() ? "mail" : "folder")); },
         [](IntakeRow&, const SqlResult&, int) {}},
        TEXT_COLUMN("mailbox", "TEXT NOT NULL DEFAULT ''", mail.mailbox),
        {"uidvalidity", "BIGINT", [](const IntakeRow& r) { return OrNull(r.mail.uidValidity); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.mail.uidValidity = s.number(c); }},
        {"uid", "BIGINT", [](const IntakeRow& r) { return OrNull(r.mail.uid); },
         [](IntakeRow& r, const SqlResult& s, int c) { r.mail.uid = s.number(c); }},
        TEXT_COLUMN("message_id", "TEXT NOT NULL DEFAULT ''", mail.messageId),
        TEXT_COLUMN("mail_from", "TEXT NOT NULL DEFAULT ''", mail.from),
        TEXT_COLUMN("reply_to", "TEXT NOT NULL DEFAULT ''", mail.replyTo),
        TEXT_COLUMN("mail_date", "TEXT NOT NULL DEFAULT ''", mail.date),
        TEXT_COLUMN("mail_subject", "TEXT NOT NULL DEFAULT ''", mail.subject),
        TEXT_COLUMN("attachment", "TEXT NOT NULL DEFAULT ''", mail.attachment),
        TEXT_COLUMN("receipt_sent", "TEXT NOT NULL DEFAULT ''", mail.receiptSent),
        TEXT_COLUMN("first_seen", "TEXT NOT NULL", firstSeen),
        TEXT_COLUMN("last_seen", "TEXT NOT NULL", lastSeen),
    };
    return columns;
}

QString Quoted(const char* name)
{
    return QStringLiteral("\"%1\"").arg(QLatin1String(name));
}

QString ColumnList()
{
    QStringList names;
    for (const Column& c : Columns())
        names << Quoted(c.name);
    return names.join(", ");
}

QString Placeholders(int from, int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?%1").arg(from + i);
    return marks.join(", ");
}

QString Selected()
{
    return "SELECT " + ColumnList() + " FROM applications";
}

IntakeRow RowFrom(const SqlResult& s)
{
    IntakeRow row;
    for (int i = 0; i < Columns().size(); ++i)
        Columns().at(i).set(row, s, i);
    row.known = true;
    return row;
}

QVariantList ValuesOf(const IntakeRow& row)
{
    QVariantList values;
    for (const Column& c : Columns())
        values << c.get(row);
    return values;
}

QString Schema(const SqlConnection& db)
{
    QStringList definitions{"id " + db.identityColumn()};
    for (const Column& c : Columns())
        definitions << Quoted(c.name) + " " + QLatin1String(c.definition);
    definitions << "UNIQUE (path, sha256)";
    const QString view = db.dialect() == SqlConnection::Dialect::Sqlite ? "CREATE VIEW IF NOT EXISTS"
                                                                         : "CREATE OR REPLACE VIEW";
    return "CREATE TABLE IF NOT EXISTS register_info (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
           "CREATE TABLE IF NOT EXISTS applications (" + definitions.join(", ") + ");"
           "CREATE INDEX IF NOT EXISTS applications_sha256 ON applications (sha256);"
           "CREATE INDEX IF NOT EXISTS applications_id_number ON applications (id_number);"
           "CREATE INDEX IF NOT EXISTS applications_mail ON applications (mailbox, uidvalidity, uid);"
           + view + " duplicates AS"
           " SELECT a.id_number, a.applicant, a.path, a.document_sha256, a.title, a.last_seen FROM applications a"
           " WHERE a.status = 'ok' AND a.id_number <> ''"
           " AND EXISTS (SELECT 1 FROM applications b WHERE b.status = 'ok' AND b.id_number = a.id_number"
           " AND b.document_sha256 <> a.document_sha256 AND b.path <> a.path)"
           " ORDER BY a.id_number, a.path;";
}

} // namespace

Register::Opened Register::open(const QString& where, std::function<void(int)> waiting)
{
    SqlOpened opened = OpenRegisterStore(where);
    if (!opened.connection)
        return {nullptr, opened.error};
    opened.connection->onWaiting(std::move(waiting));
    std::unique_ptr<Register> reg(new Register);
    reg->m_db = std::move(opened.connection);
    reg->m_where = where;
    if (!reg->prepare())
        return {nullptr, QStringLiteral("无法使用登记册 %1：%2").arg(where, reg->m_error)};
    return {std::move(reg), {}};
}

// The schema made on first use, and a register of an earlier version given the columns it lacks;
// one clerk at a time.
bool Register::prepare()
{
    const bool sqlite = m_db->dialect() == SqlConnection::Dialect::Sqlite;
    if (!m_db->exec(sqlite ? "BEGIN IMMEDIATE" : "BEGIN; SELECT pg_advisory_xact_lock(20130042)"))
        return fail();
    bool ok = m_db->exec(Schema(*m_db));
    for (const Column& c : Columns()) {
        if (!ok)
            break;
        const QString add = "ALTER TABLE applications ADD COLUMN " + QString(sqlite ? "" : "IF NOT EXISTS ")
                            + Quoted(c.name) + " " + QLatin1String(c.definition);
        if (sqlite && m_db->query("SELECT " + Quoted(c.name) + " FROM applications LIMIT 0")->ok())
            continue;
        ok = m_db->exec(add);
    }
    ok = ok && m_db->query("INSERT INTO register_info (key, value) VALUES ('schema_version', ?1)"
                           " ON CONFLICT (key) DO UPDATE SET value = excluded.value",
                           {QString::number(RegisterSchemaVersion)})->ok();
    if (!ok) {
        const bool failed = fail();
        m_db->exec("ROLLBACK");
        return failed;
    }
    return commit() || fail();
}

bool Register::fail()
{
    m_error = m_db->error();
    return false;
}

bool Register::begin()
{
    return m_db->exec(m_db->dialect() == SqlConnection::Dialect::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN") || fail();
}

bool Register::commit()
{
    return m_db->exec("COMMIT") || fail();
}

bool Register::rollback()
{
    return m_db->exec("ROLLBACK");  // the error that made it needed stays the one said
}

std::optional<IntakeRow> Register::unchanged(const IntakeFile& file)
{
    auto s = m_db->query(Selected() + " WHERE path = ?1 AND size = ?2 AND modified_ns = ?3 AND inode = ?4"
                                      " AND device = ?5 ORDER BY id DESC LIMIT 1",
                         {file.shownPath, file.size, file.modifiedNs, file.inode, file.device});
    if (!s->next())
        return std::nullopt;
    IntakeRow row = RowFrom(*s);
    row.file = file;
    return row;
}

QSet<QString> Register::knownContents()
{
    QSet<QString> known;
    auto s = m_db->query("SELECT path, sha256 FROM applications");
    while (s->next())
        known.insert(ContentKey(s->text(0), s->text(1)));
    return known;
}

bool Register::add(const IntakeRow& row, const QString& seen)
{
    QVariantList values = ValuesOf(row);
    values.removeLast();  // first_seen and last_seen are the run's
    values.removeLast();
    const int n = int(values.size());
    values << seen;
    const QString sql = "INSERT INTO applications (" + ColumnList() + ") VALUES (" + Placeholders(1, n) + ", ?"
                        + QString::number(n + 1) + ", ?" + QString::number(n + 1) + ")"
                        " ON CONFLICT (path, sha256) DO UPDATE SET last_seen = excluded.last_seen, size = excluded.size,"
                        " modified_ns = excluded.modified_ns, inode = excluded.inode, device = excluded.device";
    return m_db->query(sql, values)->ok() || fail();
}

bool Register::addAsItWas(const IntakeRow& row)
{
    const QVariantList values = ValuesOf(row);
    auto s = m_db->query("INSERT INTO applications (" + ColumnList() + ") VALUES (" + Placeholders(1, int(values.size()))
                             + ") ON CONFLICT (path, sha256) DO NOTHING",
                         values);
    if (!s->ok())
        return fail();
    return s->affected() > 0;
}

std::optional<IntakeRow> Register::stored(const QString& path, const QString& sha256)
{
    auto s = m_db->query(Selected() + " WHERE path = ?1 AND sha256 = ?2", {path, sha256});
    return s->next() ? std::optional<IntakeRow>(RowFrom(*s)) : std::nullopt;
}

QSet<QString> Register::duplicatePaths()
{
    QSet<QString> paths;
    auto s = m_db->query("SELECT DISTINCT path FROM duplicates");
    while (s->next())
        paths.insert(s->text(0));
    return paths;
}

QList<IntakeRow> Register::allRows()
{
    QList<IntakeRow> rows;
    auto s = m_db->query(Selected() + " ORDER BY id");
    while (s->next())
        rows << RowFrom(*s);
    return rows;
}

QSet<qint64> Register::knownUids(const QString& mailbox, qint64 uidValidity)
{
    QSet<qint64> uids;
    auto s = m_db->query("SELECT DISTINCT uid FROM applications WHERE mailbox = ?1 AND uidvalidity = ?2",
                         {mailbox, uidValidity});
    while (s->next())
        uids.insert(s->number(0));
    return uids;
}

QList<QList<IntakeRow>> Register::awaitingReceipt(const QString& mailbox)
{
    QList<QList<IntakeRow>> messages;
    auto s = m_db->query(Selected() + " WHERE mailbox = ?1 AND receipt_sent = '' ORDER BY uidvalidity, uid, id", {mailbox});
    while (s->next()) {
        const IntakeRow row = RowFrom(*s);
        if (messages.isEmpty() || messages.last().first().mail.uid != row.mail.uid
            || messages.last().first().mail.uidValidity != row.mail.uidValidity)
            messages.append(QList<IntakeRow>());
        messages.last() << row;
    }
    return messages;
}

bool Register::claimReceipt(const MailOrigin& message, const QString& when)
{
    // Each row is claimed as it stands when this statement gets it: another clerk's claim, made
    // a moment before, leaves nothing to claim.
    auto s = m_db->query("UPDATE applications SET receipt_sent = ?1 WHERE mailbox = ?2 AND uidvalidity = ?3 AND uid = ?4"
                         " AND receipt_sent = ''",
                         {when, message.mailbox, message.uidValidity, message.uid});
    return s->ok() && s->affected() > 0;
}

bool Register::releaseReceipt(const MailOrigin& message, const QString& when)
{
    return m_db->query("UPDATE applications SET receipt_sent = '' WHERE mailbox = ?1 AND uidvalidity = ?2 AND uid = ?3"
                       " AND receipt_sent = ?4",
                       {message.mailbox, message.uidValidity, message.uid, when})
               ->ok()
           || fail();
}
