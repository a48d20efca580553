// The sentences that tell the applicant how a mail server answered.
#include "SmtpTransport.h"

namespace {

QString Where(const MailServer& server)
{
    return server.host.trimmed() + ":" + QString::number(server.port);
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
    case SmtpOutcome::Refused:
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
        return server.user.isEmpty() ? QStringLiteral("已连接邮件服务器 %1（未设用户名，没有登录）。").arg(where)
                                     : QStringLiteral("已连接邮件服务器 %1，并以 %2 登录成功。").arg(where, server.user);
    case SmtpOutcome::LoginRefused:
        return QStringLiteral("已连接邮件服务器 %1，但登录被拒绝：请检查用户名和密码（有的邮箱要用“授权码”代替密码）。\r\n%2")
            .arg(where, outcome.reply);
    default:
        return FailureText(server, outcome);
    }
}
