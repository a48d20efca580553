#include "IntakeReceipts.h"

#include <QUrl>

SmtpUrlParsed ParseSmtpUrl(const QString& url)
{
    const QUrl u(url, QUrl::StrictMode);
    const QString scheme = u.scheme().toLower();
    if (!u.isValid() || (scheme != QLatin1String("smtps") && scheme != QLatin1String("smtp")) || u.host().isEmpty())
        return {std::nullopt, QStringLiteral("发信服务器应写作 smtps://用户名@服务器[:端口]：%1").arg(url)};
    if (!u.password().isEmpty())
        return {std::nullopt, QStringLiteral("密码不能写在发信服务器地址里，请用 --smtp-password-file 或桌面的密码库")};
    MailServer server;
    server.host = u.host();
    server.security = scheme == QLatin1String("smtps") ? QStringLiteral("ssl") : QStringLiteral("starttls");
    server.port = u.port(scheme == QLatin1String("smtps") ? 465 : 587);
    server.user = u.userName();
    return {server, {}};
}

MailMessage ReceiptFor(const ReceiptSender& sender, const MessageRows& message, const QString& receivedAt)
{
    QStringList lines;
    lines << QStringLiteral("您好！") << QString()
          << QStringLiteral("我们已于 %1 收到您的邮件%2。").arg(receivedAt,
                 message.origin.subject.isEmpty() ? QString() : QStringLiteral("（主题：%1）").arg(message.origin.subject))
          << QString();
    bool allTaken = true;
    QStringList names;
    for (const IntakeRow& row : message.rows) {
        if (row.mail.attachment.isEmpty()) {
            lines << row.message + QStringLiteral("。请把上报文件（.qvs）或申请书（.qvx）作为附件重新发送。");
            allTaken = false;
            continue;
        }
        names << row.mail.attachment;
        lines << QStringLiteral("上报文件：%1").arg(row.mail.attachment);
        if (!row.applicant.isEmpty())
            lines << QStringLiteral("申请人：%1").arg(row.applicant);
        if (!row.title.isEmpty())
            lines << QStringLiteral("项目名称：%1").arg(row.title);
        if (!row.sha256.isEmpty())
            lines << QStringLiteral("SHA-256：%1").arg(row.sha256);
        if (row.taken) {
            lines << (row.passed ? QStringLiteral("检查结果：检查通过")
                                 : QStringLiteral("检查结果：未通过，请修改以下问题后重新发送：\n") + row.message);
            allTaken = allTaken && row.passed;
        } else {
            lines << QStringLiteral("未能接收：%1\n请检查文件后重新发送。").arg(row.message);
            allTaken = false;
        }
        lines << QString();
    }
    if (!allTaken)
        lines << QStringLiteral("请在截止日期前重新发送。");
    lines << QString() << QStringLiteral("（此邮件由受理系统自动发出。）");
    MailMessage receipt;
    receipt.subject = QStringLiteral("申请书已收到") + (names.isEmpty() ? QString() : QStringLiteral("：") + names.join(QStringLiteral("、")));
    receipt.body = lines.join("\r\n");
    receipt.senderAddress = sender.from;
    receipt.recipientAddress = message.origin.replyTo;
    return receipt;
}

SmtpOutcome SendReceipt(const ReceiptSender& sender, const MessageRows& message, const QString& receivedAt)
{
    return SmtpSend(sender.server, sender.password, ReceiptFor(sender, message, receivedAt));
}
