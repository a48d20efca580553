#include "Register.h"

#include <QFile>
#include <sqlite3.h>

namespace {

constexpr int BusyWaitMs = 5000;  // another intake writing the same register

const char* const Schema = R"(
CREATE TABLE IF NOT EXISTS applications (
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL,
  size INTEGER NOT NULL,
  sha256 TEXT NOT NULL,
  kind TEXT NOT NULL CHECK (kind IN ('package', 'document')),
  entry TEXT NOT NULL DEFAULT '',
  status TEXT NOT NULL CHECK (status IN ('ok', 'refused')),
  message TEXT NOT NULL DEFAULT '',
  applicant TEXT, id_number TEXT, category TEXT, discipline TEXT, discipline_code TEXT, unit TEXT,
  title TEXT, amount TEXT, start TEXT, "end" TEXT, members INTEGER, body_chars INTEGER,
  first_seen TEXT NOT NULL,
  last_seen TEXT NOT NULL,
  modified_ns INTEGER, inode INTEGER, device INTEGER,
  document_sha256 TEXT NOT NULL DEFAULT '',
  format TEXT NOT NULL DEFAULT '' CHECK (format IN ('', 'ooxml', 'word97')),
  UNIQUE (path, sha256)
);
CREATE INDEX IF NOT EXISTS applications_sha256 ON applications (sha256);
CREATE INDEX IF NOT EXISTS applications_id_number ON applications (id_number);
CREATE VIEW IF NOT EXISTS duplicates AS
  SELECT a.id_number, a.applicant, a.path, a.document_sha256, a.title, a.last_seen FROM applications a
  WHERE a.status = 'ok' AND a.id_number <> ''
    AND EXISTS (SELECT 1 FROM applications b WHERE b.status = 'ok' AND b.id_number = a.id_number
                AND b.document_sha256 <> a.document_sha256 AND b.path <> a.path)
  ORDER BY a.id_number, a.path;
)";

const char* const Columns =
    "path, size, sha256, kind, entry, status, message, applicant, id_number, category, discipline, "
    "discipline_code, unit, title, amount, start, \"end\", members, body_chars, modified_ns, inode, device, "
    "document_sha256, format";
const QByteArray Selected = QByteArray("SELECT ") + Columns + ", first_seen, last_seen FROM applications";

// A prepared statement, finalised at the end of its scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
    ~Statement() { sqlite3_finalize(m_statement); }
    bool ok() const { return m_statement != nullptr; }
    void bind(int i, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int i, qint64 value) { sqlite3_bind_int64(m_statement, i, value); }
    void bindCount(int i, int value)  // a count that is not known is NULL
    {
        if (value < 0)
            sqlite3_bind_null(m_statement, i);
        else
            sqlite3_bind_int(m_statement, i, value);
    }
    int step() { return sqlite3_step(m_statement); }
    QString text(int column) const
    {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return t ? QString::fromUtf8(t, sqlite3_column_bytes(m_statement, column)) : QString();
    }
    qint64 number(int column) const { return sqlite3_column_int64(m_statement, column); }
    int count(int column) const
    {
        return sqlite3_column_type(m_statement, column) == SQLITE_NULL ? -1 : sqlite3_column_int(m_statement, column);
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

// The register's names of the formats.
QString FormatCode(DocumentFormat format)
{
    return format == DocumentFormat::Word97 ? QStringLiteral("word97") : QStringLiteral("ooxml");
}

IntakeRow RowFrom(const Statement& s)
{
    IntakeRow row;
    row.file.shownPath = s.text(0);
    row.file.path = QFile::encodeName(row.file.shownPath);
    row.file.size = s.number(1);
    row.sha256 = s.text(2);
    row.file.kind = s.text(3) == "package" ? IntakeFile::Package : IntakeFile::Document;
    row.entry = s.text(4);
    row.taken = s.text(5) == "ok";
    row.message = s.text(6);
    row.applicant = s.text(7);
    row.idNumber = s.text(8);
    row.category = s.text(9);
    row.discipline = s.text(10);
    row.disciplineCode = s.text(11);
    row.unit = s.text(12);
    row.title = s.text(13);
    row.amount = s.text(14);
    row.start = s.text(15);
    row.end = s.text(16);
    row.members = s.count(17);
    row.bodyChars = s.count(18);
    row.file.modifiedNs = s.number(19);
    row.file.inode = s.number(20);
    row.file.device = s.number(21);
    row.documentSha256 = s.text(22);
    if (s.text(23) == FormatCode(DocumentFormat::Ooxml))
        row.format = DocumentFormat::Ooxml;
    else if (s.text(23) == FormatCode(DocumentFormat::Word97))
        row.format = DocumentFormat::Word97;
    row.firstSeen = s.text(24);
    row.lastSeen = s.text(25);
    row.known = true;
    return row;
}

} // namespace

std::unique_ptr<Register> Register::open(const QString& path, QString* error)
{
    std::unique_ptr<Register> reg(new Register);
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &reg->m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (opened != SQLITE_OK || !reg->m_db) {
        *error = QStringLiteral("无法打开登记册 %1：%2").arg(path, QString::fromUtf8(sqlite3_errstr(opened)));
        return nullptr;
    }
    sqlite3_busy_timeout(reg->m_db, BusyWaitMs);
    if (!reg->run("PRAGMA journal_mode = WAL") || !reg->run(Schema) || !reg->addFormatColumn()) {
        *error = QStringLiteral("无法使用登记册 %1：%2").arg(path, reg->m_error);
        return nullptr;
    }
    return reg;
}

Register::~Register()
{
    sqlite3_close(m_db);
}

bool Register::run(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
    sqlite3_free(message);
    return false;
}

// A register made before documents had two formats gets the column; its rows stay without one.
bool Register::addFormatColumn()
{
    Statement probe(m_db, "SELECT format FROM applications LIMIT 0");
    return probe.ok() || run("ALTER TABLE applications ADD COLUMN format TEXT NOT NULL DEFAULT ''"
                             " CHECK (format IN ('', 'ooxml', 'word97'))");
}

bool Register::fail()
{
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

bool Register::begin()
{
    return run("BEGIN IMMEDIATE");
}

bool Register::commit()
{
    return run("COMMIT");
}

std::optional<IntakeRow> Register::unchanged(const IntakeFile& file)
{
    Statement s(m_db, (Selected + " WHERE path = ?1 AND size = ?2 AND modified_ns = ?3 AND inode = ?4"
                                  " AND device = ?5 ORDER BY id DESC LIMIT 1").constData());
    if (!s.ok())
        return std::nullopt;
    s.bind(1, file.shownPath);
    s.bind(2, file.size);
    s.bind(3, file.modifiedNs);
    s.bind(4, file.inode);
    s.bind(5, file.device);
    if (s.step() != SQLITE_ROW)
        return std::nullopt;
    IntakeRow row = RowFrom(s);
    row.file = file;
    return row;
}

QSet<QString> Register::knownContents()
{
    QSet<QString> known;
    Statement s(m_db, "SELECT path, sha256 FROM applications");
    while (s.ok() && s.step() == SQLITE_ROW)
        known.insert(ContentKey(s.text(0), s.text(1)));
    return known;
}

bool Register::add(const IntakeRow& row, const QString& seen)
{
    Statement s(m_db, (QByteArray("INSERT INTO applications (") + Columns
                       + ", first_seen, last_seen) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14,"
                         " ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?25) ON CONFLICT (path, sha256) DO UPDATE SET"
                         " last_seen = excluded.last_seen, size = excluded.size, modified_ns = excluded.modified_ns,"
                         " inode = excluded.inode, device = excluded.device").constData());
    if (!s.ok())
        return fail();
    const IntakeFile& f = row.file;
    s.bind(1, f.shownPath);
    s.bind(2, f.size);
    s.bind(3, row.sha256);
    s.bind(4, QString(f.kind == IntakeFile::Package ? "package" : "document"));
    s.bind(5, row.entry);
    s.bind(6, QString(row.taken ? "ok" : "refused"));
    s.bind(7, row.message);
    const QString values[] = {row.applicant, row.idNumber, row.category, row.discipline, row.disciplineCode,
                              row.unit, row.title, row.amount, row.start, row.end};
    for (int i = 0; i < 10; ++i)
        s.bind(8 + i, values[i]);
    s.bindCount(18, row.members);
    s.bindCount(19, row.bodyChars);
    s.bind(20, f.modifiedNs);
    s.bind(21, f.inode);
    s.bind(22, f.device);
    s.bind(23, row.documentSha256);
    s.bind(24, row.format ? FormatCode(*row.format) : QString());
    s.bind(25, seen);
    return s.step() == SQLITE_DONE || fail();
}

std::optional<IntakeRow> Register::stored(const QString& path, const QString& sha256)
{
    Statement s(m_db, (Selected + " WHERE path = ?1 AND sha256 = ?2").constData());
    if (!s.ok())
        return std::nullopt;
    s.bind(1, path);
    s.bind(2, sha256);
    return s.step() == SQLITE_ROW ? std::optional<IntakeRow>(RowFrom(s)) : std::nullopt;
}

QSet<QString> Register::duplicatePaths()
{
    QSet<QString> paths;
    Statement s(m_db, "SELECT DISTINCT path FROM duplicates");
    while (s.ok() && s.step() == SQLITE_ROW)
        paths.insert(s.text(0));
    return paths;
}
