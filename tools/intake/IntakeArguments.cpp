#include "IntakeArguments.h"

#include "SqlConnection.h"

namespace {

constexpr qint64 MegaByte = 1024 * 1024;

} // namespace

IntakeArgumentsParsed ParseIntakeArguments(const QStringList& arguments)
{
    IntakeArguments a;
    QString since, maxMb;
    const QList<std::pair<const char*, QString*>> valued = {
        {"--db", &a.db}, {"--xlsx", &a.xlsx}, {"--csv", &a.csv}, {"--imap", &a.imap}, {"--since", &since},
        {"--password-file", &a.passwordFile}, {"--cacert", &a.caFile}, {"--max-message-mb", &maxMb},
        {"--smtp", &a.smtp}, {"--from", &a.from}, {"--smtp-password-file", &a.smtpPasswordFile},
        {"--import", &a.importFrom}};
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& given = arguments.at(i);
        if (optionsEnded || !given.startsWith(QLatin1String("-"))) {
            a.folders << given;
            continue;
        }
        // "--name value" or "--name=value", as getopt-style tools take them.
        const qsizetype eq = given.startsWith(QLatin1String("--")) ? given.indexOf('=') : -1;
        const QString word = eq < 0 ? given : given.left(eq);
        QString* value = nullptr;
        for (const auto& [name, target] : valued)
            if (word == QLatin1String(name))
                value = target;
        if (value) {
            if ((eq < 0 && i + 1 >= arguments.size()) || !value->isEmpty())
                return {std::nullopt, QStringLiteral("%1 需要一个值，且只能给一次").arg(word)};
            *value = eq < 0 ? arguments.at(++i) : given.mid(eq + 1);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            a.help = true;
            return {a, {}};
        } else if (word == "--all") {
            a.all = true;
        } else if (word == "--mark-seen") {
            a.markSeen = true;
        } else if (word == "--receipts") {
            a.receipts = true;
        } else if (word.startsWith("--")) {
            return {std::nullopt, QStringLiteral("不认识的选项 %1").arg(word)};
        } else {
            a.folders << word;
        }
    }
    if (a.db.isEmpty())
        return {std::nullopt, QStringLiteral("缺少 --db")};
    if (!since.isEmpty()) {
        a.since = QDate::fromString(since, Qt::ISODate);
        if (!a.since->isValid())
            return {std::nullopt, QStringLiteral("--since 的日期应写作 YYYY-MM-DD：%1").arg(since)};
    }
    if (!maxMb.isEmpty()) {
        bool ok = false;
        a.maxMessageBytes = maxMb.toLongLong(&ok) * MegaByte;
        if (!ok || a.maxMessageBytes <= 0)
            return {std::nullopt, QStringLiteral("--max-message-mb 应是正整数：%1").arg(maxMb)};
    }
    if (!a.importFrom.isEmpty()) {
        if (!IsPostgresUri(a.db) || !a.folders.isEmpty() || !a.imap.isEmpty())
            return {std::nullopt, QStringLiteral("--import 只能把 SQLite 登记册移入 PostgreSQL 登记册（--db postgresql://…）")};
        return {a, {}};
    }
    if (a.folders.isEmpty() && a.imap.isEmpty())
        return {std::nullopt, QStringLiteral("缺少文件夹或 --imap")};
    if (a.imap.isEmpty() && (a.receipts || a.markSeen || a.since || !a.passwordFile.isEmpty()))
        return {std::nullopt, QStringLiteral("--receipts、--mark-seen、--since 和 --password-file 只用于 --imap")};
    if (a.receipts && (a.smtp.isEmpty() || a.from.isEmpty()))
        return {std::nullopt, QStringLiteral("--receipts 需要 --smtp 和 --from")};
    return {a, {}};
}
