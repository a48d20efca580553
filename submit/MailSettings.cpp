#include "MailSettings.h"

#include "Settings.h"

namespace {

struct Provider {
    const char* domain;
    const char* host;
    int port;
    const char* security;
};
// Providers whose mail server is not simply "smtp." + the domain, or not on port 465.
const Provider Providers[] = {
    {"qq.com", "smtp.qq.com", 465, "ssl"},          {"foxmail.com", "smtp.qq.com", 465, "ssl"},
    {"vip.qq.com", "smtp.qq.com", 465, "ssl"},      {"163.com", "smtp.163.com", 465, "ssl"},
    {"126.com", "smtp.126.com", 465, "ssl"},        {"yeah.net", "smtp.yeah.net", 465, "ssl"},
    {"vip.163.com", "smtp.vip.163.com", 465, "ssl"}, {"sina.com", "smtp.sina.com", 465, "ssl"},
    {"sina.cn", "smtp.sina.cn", 465, "ssl"},        {"sohu.com", "smtp.sohu.com", 465, "ssl"},
    {"aliyun.com", "smtp.aliyun.com", 465, "ssl"},  {"139.com", "smtp.139.com", 465, "ssl"},
    {"189.cn", "smtp.189.cn", 465, "ssl"},          {"gmail.com", "smtp.gmail.com", 465, "ssl"},
    {"outlook.com", "smtp-mail.outlook.com", 587, "starttls"},
    {"hotmail.com", "smtp-mail.outlook.com", 587, "starttls"},
    {"live.com", "smtp-mail.outlook.com", 587, "starttls"},
};

} // namespace

MailServer ReadMailServer()
{
    const QHash<QString, QString> saved = SettingGroup(QStringLiteral("mail"));
    MailServer server;
    server.host = saved.value(QStringLiteral("host")).trimmed();
    bool ok = false;
    const int port = saved.value(QStringLiteral("port")).toInt(&ok);
    if (ok && port > 0 && port < 65536)
        server.port = port;
    const QString security = saved.value(QStringLiteral("security")).trimmed().toLower();
    if (security == QLatin1String("ssl") || security == QLatin1String("starttls") || security == QLatin1String("none"))
        server.security = security;
    server.user = saved.value(QStringLiteral("user")).trimmed();
    // What was trusted or agreed holds for the server it was given for, and no other.
    const QString where = server.host + ":" + QString::number(server.port);
    if (saved.value(QStringLiteral("pinnedFor")) == where) {
        server.pinnedKey = saved.value(QStringLiteral("pinnedKey"));
        server.pinnedCertificate = saved.value(QStringLiteral("pinnedCertificate"));
    }
    server.plainLoginAgreed = saved.value(QStringLiteral("plainLoginFor")) == where;
    return server;
}

bool WriteMailServer(const MailServer& server)
{
    const QString where = server.host.trimmed() + ":" + QString::number(server.port);
    return SetSettingValues(QStringLiteral("mail"), {{QStringLiteral("host"), server.host.trimmed()},
                                                     {QStringLiteral("port"), QString::number(server.port)},
                                                     {QStringLiteral("security"), server.security},
                                                     {QStringLiteral("user"), server.user.trimmed()},
                                                     {QStringLiteral("pinnedFor"), server.pinnedKey.isEmpty() ? QString() : where},
                                                     {QStringLiteral("pinnedKey"), server.pinnedKey},
                                                     {QStringLiteral("pinnedCertificate"), server.pinnedCertificate},
                                                     {QStringLiteral("plainLoginFor"), server.plainLoginAgreed ? where : QString()}});
}

MailServer ProposedServer(const QString& senderAddress)
{
    MailServer server;
    const QString address = senderAddress.trimmed();
    const QString domain = address.section('@', -1).toLower();
    server.user = address;
    if (!address.contains('@') || domain.isEmpty())
        return server;
    for (const Provider& provider : Providers)
        if (domain == QLatin1String(provider.domain)) {
            server.host = QString::fromLatin1(provider.host);
            server.port = provider.port;
            server.security = QString::fromLatin1(provider.security);
            return server;
        }
    server.host = "smtp." + domain;
    return server;
}

QString PasswordKey(const MailServer& server)
{
    return QStringLiteral("smtp:%1@%2:%3").arg(server.user.trimmed(), server.host.trimmed()).arg(server.port);
}

