#include "IntakeTables.h"

#include "DocumentEngine.h"
#include "SafeWrite.h"

#include <QDateTime>
#include <QFile>
#include <optional>
#include <functional>
#include <xlsxwriter.h>

namespace {

constexpr double WidestColumn = 60;

enum class CellKind {
    Text,
    Number,  // written as a number where the text is one
    Time,    // an ISO 8601 time with its offset: a date cell in local time
};

struct Column {
    QString header;
    std::function<QString(const IntakeRow&, bool duplicate)> value;
    CellKind kind = CellKind::Text;
};

QString Count(int n)
{
    return n < 0 ? QString() : QString::number(n);
}

QString KindText(const IntakeRow& row)
{
    return row.file.kind == IntakeFile::Package ? QStringLiteral("上报文件") : QStringLiteral("申请书");
}

// Where a row came from: the mail's columns, empty for a folder's file.
QList<Column> MailColumns()
{
    return {
        {QStringLiteral("来源"), [](const IntakeRow& r, bool) { return r.mail.isSet() ? QStringLiteral("邮件") : QStringLiteral("文件夹"); }},
        {QStringLiteral("发件人"), [](const IntakeRow& r, bool) { return r.mail.from; }},
        {QStringLiteral("邮件主题"), [](const IntakeRow& r, bool) { return r.mail.subject; }},
        {QStringLiteral("邮件日期"), [](const IntakeRow& r, bool) { return r.mail.date; }},
        {QStringLiteral("附件名"), [](const IntakeRow& r, bool) { return r.mail.attachment; }},
        {QStringLiteral("回执"), [](const IntakeRow& r, bool) { return r.mail.receiptSent; }},
    };
}

const QList<Column>& TakenColumns()
{
    static const QList<Column> columns = QList<Column>{
        {QStringLiteral("文件"), [](const IntakeRow& r, bool) { return r.file.shownPath; }},
        {QStringLiteral("类型"), [](const IntakeRow& r, bool) { return KindText(r); }},
        {QStringLiteral("文档名"), [](const IntakeRow& r, bool) { return r.entry; }},
        {QStringLiteral("检查结果"), [](const IntakeRow& r, bool) { return r.message; }},
        {QStringLiteral("申请人"), [](const IntakeRow& r, bool) { return r.applicant; }},
        {QStringLiteral("身份证号"), [](const IntakeRow& r, bool) { return r.idNumber; }},
        {QStringLiteral("身份证号重复"), [](const IntakeRow&, bool d) { return d ? QStringLiteral("是") : QString(); }},
        {QStringLiteral("项目类别"), [](const IntakeRow& r, bool) { return r.category; }},
        {QStringLiteral("学科代码"), [](const IntakeRow& r, bool) { return r.disciplineCode; }},
        {QStringLiteral("学科"), [](const IntakeRow& r, bool) { return r.discipline; }},
        {QStringLiteral("承担单位"), [](const IntakeRow& r, bool) { return r.unit; }},
        {QStringLiteral("项目名称"), [](const IntakeRow& r, bool) { return r.title; }},
        {QStringLiteral("申请经费（万元）"), [](const IntakeRow& r, bool) { return r.amount; }, CellKind::Number},
        {QStringLiteral("起始时间"), [](const IntakeRow& r, bool) { return r.start; }},
        {QStringLiteral("终止时间"), [](const IntakeRow& r, bool) { return r.end; }},
        {QStringLiteral("成员数"), [](const IntakeRow& r, bool) { return Count(r.members); }, CellKind::Number},
        {QStringLiteral("正文字数"), [](const IntakeRow& r, bool) { return Count(r.bodyChars); }, CellKind::Number},
        {QStringLiteral("格式"), [](const IntakeRow& r, bool) { return r.format ? FormatName(*r.format) : QString(); }},
        {QStringLiteral("大小（字节）"), [](const IntakeRow& r, bool) { return QString::number(r.file.size); }, CellKind::Number},
        {QStringLiteral("SHA-256"), [](const IntakeRow& r, bool) { return r.sha256; }},
        {QStringLiteral("首次登记"), [](const IntakeRow& r, bool) { return r.firstSeen; }, CellKind::Time},
        {QStringLiteral("最近登记"), [](const IntakeRow& r, bool) { return r.lastSeen; }, CellKind::Time},
    } + MailColumns();
    return columns;
}

const QList<Column>& RefusedColumns()
{
    static const QList<Column> columns = QList<Column>{
        {QStringLiteral("文件"), [](const IntakeRow& r, bool) { return r.file.shownPath; }},
        {QStringLiteral("类型"), [](const IntakeRow& r, bool) { return KindText(r); }},
        {QStringLiteral("原因"), [](const IntakeRow& r, bool) { return r.message; }},
        {QStringLiteral("大小（字节）"), [](const IntakeRow& r, bool) { return QString::number(r.file.size); }, CellKind::Number},
        {QStringLiteral("SHA-256"), [](const IntakeRow& r, bool) { return r.sha256; }},
        {QStringLiteral("首次登记"), [](const IntakeRow& r, bool) { return r.firstSeen; }, CellKind::Time},
        {QStringLiteral("最近登记"), [](const IntakeRow& r, bool) { return r.lastSeen; }, CellKind::Time},
    } + MailColumns();
    return columns;
}

// The CSV: every file, with its status, in the taken columns.
QList<Column> CsvColumns()
{
    QList<Column> columns = TakenColumns();
    columns.insert(3, {QStringLiteral("状态"), [](const IntakeRow& r, bool) {
                           return r.taken ? QStringLiteral("已接收") : QStringLiteral("未接收");
                       }});
    return columns;
}

QByteArray CsvField(const QString& text, CellKind kind)
{
    QString t = kind == CellKind::Text ? SpreadsheetText(text) : text;
    if (t.contains(',') || t.contains('"') || t.contains('\n') || t.contains('\r'))
        t = '"' + t.replace('"', QStringLiteral("\"\"")) + '"';
    return t.toUtf8();
}

// A date cell's value: days since 1899-12-30 in local time, as spreadsheets count them.
std::optional<lxw_datetime> LocalTime(const QString& iso)
{
    const QDateTime when = QDateTime::fromString(iso, Qt::ISODate);
    if (!when.isValid())
        return std::nullopt;
    const QDateTime local = when.toLocalTime();
    return lxw_datetime{local.date().year(), local.date().month(), local.date().day(), local.time().hour(),
                        local.time().minute(), double(local.time().second())};
}

void WriteSheet(lxw_workbook* book, lxw_worksheet* sheet, const QList<Column>& columns, const QList<IntakeRow>& rows,
                const QSet<QString>& duplicates)
{
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    format_set_bg_color(header, 0xDDEBF7);
    format_set_border(header, LXW_BORDER_THIN);
    lxw_format* wrapped = workbook_add_format(book);
    format_set_text_wrap(wrapped);
    format_set_align(wrapped, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* time = workbook_add_format(book);
    format_set_num_format(time, "yyyy-mm-dd hh:mm");
    const int timeWidth = DisplayWidth(QStringLiteral("2013-12-31 23:59"));
    QList<int> widths;
    for (int c = 0; c < columns.size(); ++c) {
        worksheet_write_string(sheet, 0, lxw_col_t(c), columns.at(c).header.toUtf8().constData(), header);
        widths << DisplayWidth(columns.at(c).header);
    }
    for (int r = 0; r < rows.size(); ++r) {
        const IntakeRow& row = rows.at(r);
        const bool duplicate = duplicates.contains(row.file.shownPath);
        for (int c = 0; c < columns.size(); ++c) {
            const QString text = columns.at(c).value(row, duplicate);
            const CellKind kind = columns.at(c).kind;
            bool isNumber = false;
            const double number = kind == CellKind::Number ? text.toDouble(&isNumber) : 0;
            const std::optional<lxw_datetime> when = kind == CellKind::Time ? LocalTime(text) : std::nullopt;
            const auto cell = lxw_row_t(r + 1);
            if (when) {
                lxw_datetime value = *when;
                worksheet_write_datetime(sheet, cell, lxw_col_t(c), &value, time);
                widths[c] = qMax(widths.at(c), timeWidth);
                continue;
            }
            if (isNumber)
                worksheet_write_number(sheet, cell, lxw_col_t(c), number, nullptr);
            else if (!text.isEmpty())
                // Strings stay strings in XLSX: nothing in them is taken for a formula.
                worksheet_write_string(sheet, cell, lxw_col_t(c), text.toUtf8().constData(),
                                       text.contains('\n') ? wrapped : nullptr);
            for (const QString& line : text.split('\n'))
                widths[c] = qMax(widths.at(c), DisplayWidth(line));
        }
    }
    for (int c = 0; c < columns.size(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), qMin(WidestColumn, widths.at(c) + 2.0), nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    // Printed as the office files it: landscape, one page wide, the header on every page.
    worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 9);  // A4
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_repeat_rows(sheet, 0, 0);
    if (!rows.isEmpty())
        worksheet_autofilter(sheet, 0, 0, lxw_row_t(rows.size()), lxw_col_t(columns.size() - 1));
}

} // namespace

QString SpreadsheetText(const QString& text)
{
    // A spreadsheet reads a text that begins like a number, a date or a formula as one: an
    // identity number's 18 digits lose their last ones, a code loses its trailing zero, "=…"
    // runs. As the string formula ="…", Excel, WPS and LibreOffice (evaluating formulas, as its
    // import offers by default) keep it as the text it is, with nothing shown before it. A formula's
    // string holds 255 characters; a longer text that could run as a formula keeps an apostrophe.
    static const QString risky = QStringLiteral("0123456789+-=@.\t\r\n");
    if (text.isEmpty() || !risky.contains(text.at(0)))
        return text;
    if (text.size() <= MaxFormulaText)
        return QStringLiteral("=\"") + QString(text).replace('"', QStringLiteral("\"\"")) + '"';
    return QStringLiteral("=+-@").contains(text.at(0)) || text.at(0).isSpace() ? '\'' + text : text;
}

int DisplayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 && (c.script() == QChar::Script_Han || c.unicode() >= 0x3000) ? 2 : 1;
    return width;
}

Outcome WriteIntakeCsv(const QString& path, const QList<IntakeRow>& rows, const QSet<QString>& duplicates)
{
    const QList<Column> columns = CsvColumns();
    QByteArray out("\xEF\xBB\xBF");  // so that spreadsheet programs read the Chinese as UTF-8
    QList<QByteArray> fields;
    for (const Column& column : columns)
        fields << CsvField(column.header, CellKind::Text);
    out += fields.join(',') + "\r\n";
    for (const IntakeRow& row : rows) {
        fields.clear();
        const bool duplicate = duplicates.contains(row.file.shownPath);
        for (const Column& column : columns)
            fields << CsvField(column.value(row, duplicate), column.kind);
        out += fields.join(',') + "\r\n";
    }
    return WriteBytesAtomically(path, out);
}

Outcome WriteIntakeXlsx(const QString& path, const QList<IntakeRow>& rows, const QSet<QString>& duplicates,
                        const QString& workFolder)
{
    QList<IntakeRow> taken, refused;
    for (const IntakeRow& row : rows)
        (row.taken ? taken : refused) << row;
    // Written whole in the work folder first, then put in place as every file of ours is.
    const QByteArray scratch = QFile::encodeName(workFolder + "/table.xlsx");
    QByteArray folder = QFile::encodeName(workFolder);
    lxw_workbook_options options {};
    options.tmpdir = folder.data();
    lxw_workbook* book = workbook_new_opt(scratch.constData(), &options);
    if (!book)
        return Outcome::other(QStringLiteral("无法生成表格 %1").arg(path));
    WriteSheet(book, workbook_add_worksheet(book, "已接收"), TakenColumns(), taken, duplicates);
    WriteSheet(book, workbook_add_worksheet(book, "未接收"), RefusedColumns(), refused, duplicates);
    const lxw_error closed = workbook_close(book);
    QFile made(QFile::decodeName(scratch));
    if (closed != LXW_NO_ERROR || !made.open(QIODevice::ReadOnly))
        return Outcome::other(QStringLiteral("无法生成表格 %1：%2").arg(path, QString::fromUtf8(lxw_strerror(closed))));
    const QByteArray bytes = made.readAll();
    made.close();
    made.remove();
    return WriteBytesAtomically(path, bytes);
}
