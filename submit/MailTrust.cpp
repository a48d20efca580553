#include "MailTrust.h"

#include "Edition.h"
#include "MailCertificate.h"
#include "Mapi.h"
#include "Seams.h"

#include <QCoreApplication>

namespace {

QString Where(const MailServer& server)
{
    return server.host.trimmed() + ":" + QString::number(server.port);
}

bool SameServer(const MailServer& a, const MailServer& b)
{
    return a.host.trimmed() == b.host.trimmed() && a.port == b.port;
}

} // namespace

bool AgreeToPlainLogin(MailServer& server)
{
    if (server.security != QLatin1String("none") || server.user.isEmpty() || server.plainLoginAgreed)
        return true;
    MailServer asked = server;
    asked.user.clear();  // only looked at: no password goes on this connection
    SmtpOutcome offered;
    RunWithoutFreezing([&] { offered = SmtpTry(asked, QString()); });
    if (offered.code != MapiSuccess)
        return true;  // the sending itself will say what is wrong
    if (!offered.authOffered) {
        server.user.clear();
        return true;
    }
    if (!AskConfirm(QStringLiteral("邮件服务器 %1 要在不加密的连接上接收密码：密码将以明文经过网络，途中的人都能看到。"
                                   "\r\n建议把加密方式选为 SSL 或 STARTTLS。仍要在这个连接上登录吗？")
                        .arg(Where(server)),
                    NoticeCaption))
        return false;
    server.plainLoginAgreed = true;
    RememberTrust(server);
    return true;
}

bool TrustCertificateOnRequest(MailServer& server)
{
    ServerCertificate certificate;
    RunWithoutFreezing([&] { certificate = FetchServerCertificate(server); });
    if (!certificate.ok() || certificate.pin == server.pinnedKey)
        return false;
    const QString shown = QStringLiteral("持有者：%1\r\nSHA-256 指纹：%2").arg(certificate.owner, certificate.fingerprint);
    if (!AskConfirm(QStringLiteral("邮件服务器 %1 的证书不受信任（不是公认的机构签发的，或已经换了）。\r\n%2\r\n\r\n"
                                   "请向邮件服务器的管理员核对这个指纹。只信任这一个证书用于 %1 吗？")
                        .arg(Where(server), shown),
                    NoticeCaption))
        return false;
    server.pinnedKey = certificate.pin;
    server.pinnedCertificate = shown;
    RememberTrust(server);
    return true;
}

bool WaitToRetry(const MailServer& server, const SmtpOutcome& outcome)
{
    const int delay = RetryDelaySeconds(outcome.reply);
    if (!AskConfirm(FailureText(server, outcome) + QStringLiteral("\r\n要在 %1 秒后自动重新发送吗？").arg(delay), NoticeCaption))
        return false;
    progress().allowCancel(true);
    bool waited = true;
    for (int left = delay; left > 0 && waited; --left) {
        progress().zipxMsg(QStringLiteral("邮件服务器要求稍后再试：%1 秒后重新发送……").arg(left));
        progress().setGauge((delay - left) * 100 / delay);
        sleeper().sleep(1000);
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        waited = !progress().cancelRequested();
    }
    progress().allowCancel(false);
    progress().Close();
    return waited;
}

void RememberTrust(const MailServer& server)
{
    MailServer saved = ReadMailServer();
    if (!saved.isSet() || !SameServer(saved, server))
        return;
    saved.pinnedKey = server.pinnedKey;
    saved.pinnedCertificate = server.pinnedCertificate;
    saved.plainLoginAgreed = server.plainLoginAgreed;
    WriteMailServer(saved);
}
