// The sentences that tell the applicant how a mail server answered.
#include "SmtpTransport.h"

#include <QRegularExpression>

namespace {

QString Where(const MailServer& server)
{
    return server.host.trimmed() + ":" + QString::number(server.port);
}

// A size as the refusal names it: a limit below a megabyte would read "0.0 MB".
QString SizeText(qint64 bytes)
{
    constexpr qint64 Megabyte = 1024 * 1024;
    if (bytes < Megabyte)
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 MB").arg(QString::number(double(bytes) / Megabyte, 'f', 1));
}

} // namespace

QString FailureText(const MailServer& server, const SmtpOutcome& outcome)
{
    const QString where = Where(server);
    const QString reply = outcome.reply.isEmpty() ? outcome.detail : outcome.reply;
    switch (outcome.failure) {
    case SmtpOutcome::None:
        return {};
    case SmtpOutcome::Cancelled:
        return QStringLiteral("邮件没有发送：已取消。");
    case SmtpOutcome::Stalled:
        return QStringLiteral("邮件服务器 %1 超过 %2 秒没有响应，已停止发送。").arg(where).arg(MailStallLimit() / 1000);
    case SmtpOutcome::LoginRefused:
        return QStringLiteral("邮件服务器拒绝登录：%1").arg(reply);
    case SmtpOutcome::Temporary:
        return QStringLiteral("邮件服务器暂时不能接收邮件，它要求稍后再试：%1").arg(reply);
    case SmtpOutcome::Untrusted:
        return QStringLiteral("邮件服务器 %1 的证书不受信任（不是公认机构签发的，或与信任的证书不同）。").arg(where);
    case SmtpOutcome::NoGreeting:
        return server.security == QLatin1String("none")
                   ? QStringLiteral("邮件服务器 %1 没有应答：这个端口使用 SSL 加密连接，请把加密方式选为 SSL。").arg(where)
                   : QStringLiteral("邮件服务器 %1 连接后没有应答。").arg(where);
    case SmtpOutcome::Refused:
        if (outcome.code == MapiTextTooLarge)
            return QStringLiteral("邮件服务器拒绝了邮件：%1（上报文件 %2%3）")
                .arg(reply, SizeText(outcome.messageBytes),
                     outcome.sizeLimit > 0 ? QStringLiteral("，服务器只接收 %1 以内的邮件").arg(SizeText(outcome.sizeLimit))
                                           : QString());
        if (outcome.refusedCommand.startsWith("RCPT"))
            return QStringLiteral("邮件服务器拒绝了收信人：%1").arg(reply);
        if (outcome.refusedCommand.startsWith("MAIL") || outcome.refusedCommand.startsWith("DATA")
            || outcome.refusedCommand == ".")
            return QStringLiteral("邮件服务器拒绝了邮件：%1").arg(reply);
        return QStringLiteral("邮件服务器 %1 拒绝了请求：%2").arg(where, reply);
    case SmtpOutcome::HostNotFound:
        return QStringLiteral("找不到邮件服务器 %1（请检查服务器名称和网络）").arg(server.host.trimmed());
    case SmtpOutcome::ConnectionRefused:
        return QStringLiteral("无法连接邮件服务器 %1（连接被拒绝）").arg(where);
    case SmtpOutcome::ConnectTimeout:
        return QStringLiteral("无法连接邮件服务器 %1（连接超时）").arg(where);
    case SmtpOutcome::Broken:
        return QStringLiteral("与邮件服务器 %1 的连接中断了").arg(where);
    case SmtpOutcome::Insecure:
        return QStringLiteral("无法与邮件服务器 %1 建立安全连接（证书无法验证或加密方式不对）：%2").arg(where, outcome.detail);
    case SmtpOutcome::AttachmentUnreadable:
        return QStringLiteral("无法读取附件");
    case SmtpOutcome::Other:
        break;
    }
    return QStringLiteral("与邮件服务器 %1 通信失败：%2").arg(where, outcome.detail);
}

QString TryOutcomeText(const MailServer& server, const SmtpOutcome& outcome)
{
    const QString where = Where(server);
    switch (outcome.failure) {
    case SmtpOutcome::None:
        // Only a login that took place is called one.
        if (outcome.loggedIn)
            return QStringLiteral("已连接邮件服务器 %1，并以 %2 登录成功。").arg(where, server.user);
        if (server.user.isEmpty())
            return QStringLiteral("已连接邮件服务器 %1（未设用户名，没有登录）。").arg(where);
        if (server.security == QLatin1String("none") && outcome.startTlsOffered)
            return QStringLiteral("已连接邮件服务器 %1，但没有登录：服务器只在加密连接上接受登录，请选择 STARTTLS。").arg(where);
        return QStringLiteral("已连接邮件服务器 %1，但服务器没有要求登录：不登录也能发信，用户名和密码没有用上。").arg(where);
    case SmtpOutcome::LoginRefused:
        return QStringLiteral("已连接邮件服务器 %1，但登录被拒绝：请检查用户名和密码（有的邮箱要用“授权码”代替密码）。\r\n%2")
            .arg(where, outcome.reply);
    default:
        return FailureText(server, outcome);
    }
}

int RetryDelaySeconds(const QString& reply)
{
    static const QRegularExpression seconds(QStringLiteral("(\\d+)\\s*(?:seconds?|secs?|s\\b|秒)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression minutes(QStringLiteral("(\\d+)\\s*(?:minutes?|mins?|分钟)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = seconds.match(reply); m.hasMatch())
        return qBound(1, m.captured(1).toInt(), 3600);
    if (const QRegularExpressionMatch m = minutes.match(reply); m.hasMatch())
        return qBound(1, m.captured(1).toInt() * 60, 3600);
    return 60;
}
