// Mail over SMTP, against a real server on loopback that each test starts and stops.
#include "MailServerDialog.h"
#include "Mapi.h"
#include "SendEmail.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString Python = QStringLiteral("/usr/bin/python3");
const QString Here = QStringLiteral(VANTRA_SUBMIT_TESTS);

class MailServerProcess {
public:
    explicit MailServerProcess(const QStringList& options)
    {
        m_process.start(Python, QStringList{Here + "/smtp_server.py", m_out.path()} + options);
        m_process.waitForStarted(10000);
        while (m_port == 0 && m_process.waitForReadyRead(20000)) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("PORT "))
                m_port = line.mid(5).toInt();
        }
    }
    ~MailServerProcess()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
    int port() const { return m_port; }
    QStringList messages() const { return QDir(m_out.path()).entryList({"*.eml"}, QDir::Files, QDir::Name); }
    // The message as a mail client decodes it.
    QJsonObject decoded(int n = 1) const
    {
        QProcess check;
        check.start(Python, {Here + "/mail_check.py", m_out.path() + QStringLiteral("/%1.eml").arg(n)});
        check.waitForFinished(20000);
        return QJsonDocument::fromJson(check.readAllStandardOutput()).object();
    }

private:
    QTemporaryDir m_out;
    QProcess m_process;
    int m_port = 0;
};

struct MailTest : ::testing::Test {
    TestHome home;
    QString attachment;
    QByteArray bytes;

    MailTest()
    {
        attachment = home.path() + QStringLiteral("/张三B上报文件.qvs");
        for (int i = 0; i < 70000; ++i)
            bytes.append(char((i * 7919) % 251));
        WriteFile(attachment, bytes);
        SetMailServerAsker({});
    }
    void UseServer(int port, const QString& security, const QString& user, const QString& password,
                   bool plainLoginAgreed = true)
    {
        MailServer server;
        server.host = "127.0.0.1";
        server.port = port;
        server.security = security;
        server.user = user;
        // The loopback servers take passwords in clear: agreed, as the applicant would be asked once.
        server.plainLoginAgreed = plainLoginAgreed && security == QLatin1String("none");
        ASSERT_TRUE(WriteMailServer(server));
        if (!user.isEmpty())
            secrets().write(PasswordKey(server), password);
    }
    bool Send(const QString& recipient = "office@arvel-edu.cn", const QString& file = {})
    {
        return SendMapiMail(QStringLiteral("Arvel理工大学化学学院张三上报面上项目省高校项目申请书"), QStringLiteral("附件是申请书。\n请查收。"),
                            file.isEmpty() ? attachment : file, QStringLiteral("张三"), "zhangsan@arvel.edu.cn",
                            QStringLiteral("科研处"), recipient);
    }
    QString LastNotice() const { return home.prompter.shown.isEmpty() ? QString() : home.prompter.shown.last().text; }
    // The notice's first line keeps the result code's text; the second says what happened.
    QString FirstLine() const { return LastNotice().section("\r\n", 0, 0); }
    QString SecondLine() const { return LastNotice().section("\r\n", 1); }
};

int ClosedPort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);  // nobody listens there now
    return ntohs(address.sin_port);
}

} // namespace

TEST_F(MailTest, TheServerReceivesWhatAClientDecodesAsSent)
{
    MailServerProcess server({"--auth", "zhangsan@arvel.edu.cn:good"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", "zhangsan@arvel.edu.cn", "good");
    ASSERT_TRUE(Send()) << LastNotice().toStdString();
    EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("邮件已发送至 office@arvel-edu.cn")}));
    ASSERT_EQ(server.messages().size(), 1);
    const QJsonObject message = server.decoded();
    EXPECT_EQ(message["subject"].toString(), QStringLiteral("Arvel理工大学化学学院张三上报面上项目省高校项目申请书"));
    EXPECT_EQ(message["filename"].toString(), QStringLiteral("张三B上报文件.qvs"));
    EXPECT_EQ(message["sha256"].toString(),
              QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(message["from"].toString(), QStringLiteral("张三 <zhangsan@arvel.edu.cn>"));
    EXPECT_EQ(message["to"].toString(), QStringLiteral("科研处 <office@arvel-edu.cn>"));
    EXPECT_TRUE(message["body"].toString().startsWith(QStringLiteral("附件是申请书。")));
    EXPECT_TRUE(message["date"].toBool());
    EXPECT_TRUE(message["message_id"].toString().endsWith("@arvel.edu.cn>"));
}

TEST_F(MailTest, EveryCharacterOfNamesAndSubjectsArrives)
{
    MailServerProcess server({});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", "", "");
    const QString file = home.path() + QStringLiteral("/𠮷䶮〇B上报文件.qvs");
    WriteFile(file, bytes);
    const QString subject = QStringLiteral("𠮷䶮〇上报བོད ᠮᠣᠩ ئۇي ꆈꌠ省高校项目申请书");
    ASSERT_TRUE(SendMapiMail(subject, QString(), file, QStringLiteral("𠮷䶮〇"), "a@arvel.edu.cn", QString(),
                             "office@arvel-edu.cn"))
        << LastNotice().toStdString();
    const QJsonObject message = server.decoded();
    EXPECT_EQ(message["subject"].toString(), subject);
    EXPECT_EQ(message["filename"].toString(), QStringLiteral("𠮷䶮〇B上报文件.qvs"));
    EXPECT_EQ(message["from"].toString(), QStringLiteral("𠮷䶮〇 <a@arvel.edu.cn>"));
}

TEST_F(MailTest, RefusalsBecomeTheirResultCodes)
{
    MailServerProcess server({"--auth", "zhangsan@arvel.edu.cn:good", "--reject", "nobody@arvel-edu.cn"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", "zhangsan@arvel.edu.cn", "wrong");
    EXPECT_FALSE(Send());
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_LOGON_FAILURE"));
    EXPECT_TRUE(SecondLine().startsWith(QStringLiteral("邮件服务器拒绝登录：535"))) << SecondLine().toStdString();

    UseServer(server.port(), "none", "zhangsan@arvel.edu.cn", "good");
    EXPECT_FALSE(Send("nobody@arvel-edu.cn"));
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_UNKNOWN_RECIPIENT"));
    EXPECT_EQ(SecondLine(), QStringLiteral("邮件服务器拒绝了收信人：550 5.1.1 No such user here"));

    EXPECT_FALSE(Send("office@arvel-edu.cn", home.path() + "/missing.qvs"));
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_ATTACHMENT_NOT_FOUND"));
    EXPECT_FALSE(Send("office@arvel-edu.cn\r\nBcc: x@y.z"));  // no header can be smuggled in
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_INVALID_RECIPS"));
    EXPECT_TRUE(server.messages().isEmpty());

    const SmtpOutcome good = SmtpTry(ReadMailServer(), "good");
    EXPECT_EQ(good.code, 0) << good.detail.toStdString();
    EXPECT_TRUE(TryOutcomeText(ReadMailServer(), good).contains(QStringLiteral("登录成功")));
    EXPECT_EQ(SmtpTry(ReadMailServer(), "bad").code, 3);
}

TEST_F(MailTest, NoServerListeningIsANetworkFailure)
{
    const int port = ClosedPort();
    UseServer(port, "none", QString(), QString());
    EXPECT_FALSE(Send());
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_NETWORK_FAILURE"));
    EXPECT_EQ(SecondLine(), QStringLiteral("无法连接邮件服务器 127.0.0.1:%1（连接被拒绝）").arg(port));
    EXPECT_TRUE(TryOutcomeText(ReadMailServer(), SmtpTry(ReadMailServer(), QString())).startsWith(QStringLiteral("无法连接")));
}

TEST_F(MailTest, ARefusedMessageSaysTheServersOwnReply)
{
    MailServerProcess server({"--refuse-data", "552 5.3.4 Message size exceeds fixed limit"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    EXPECT_FALSE(Send());
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_TEXT_TOO_LARGE"));
    // The server's reply, and the package's size beside it.
    EXPECT_EQ(SecondLine(), QStringLiteral("邮件服务器拒绝了邮件：552 5.3.4 Message size exceeds fixed limit（上报文件 69 KB，服务器只接收 32.0 MB 以内的邮件）"))
        << SecondLine().toStdString();  // the limit the server advertised
}

TEST_F(MailTest, ARefusalBySizeNamesTheLimitTheServerAdvertised)
{
    MailServerProcess server({"--size-limit", "60000"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    EXPECT_FALSE(Send());
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_TEXT_TOO_LARGE"));
    EXPECT_TRUE(SecondLine().startsWith(QStringLiteral("邮件服务器拒绝了邮件：552"))) << SecondLine().toStdString();
    EXPECT_TRUE(SecondLine().endsWith(QStringLiteral("（上报文件 69 KB，服务器只接收 59 KB 以内的邮件）"))) << SecondLine().toStdString();
}

TEST_F(MailTest, TheConnectionTestClaimsOnlyTheLoginThatHappened)
{
    // AUTH offered only once TLS is on, reached without encryption.
    MailServerProcess afterTls({"--auth", "zhangsan@arvel.edu.cn:good", "--auth-after-tls"});
    ASSERT_NE(afterTls.port(), 0);
    UseServer(afterTls.port(), "none", "zhangsan@arvel.edu.cn", "good");
    SmtpOutcome outcome = SmtpTry(ReadMailServer(), "good");
    EXPECT_EQ(outcome.code, 0) << outcome.detail.toStdString();
    EXPECT_FALSE(outcome.loggedIn);
    QString text = TryOutcomeText(ReadMailServer(), outcome);
    EXPECT_TRUE(text.contains(QStringLiteral("服务器只在加密连接上接受登录，请选择 STARTTLS"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("登录成功")));

    MailServerProcess open({});
    ASSERT_NE(open.port(), 0);
    UseServer(open.port(), "none", "zhangsan@arvel.edu.cn", "good");
    outcome = SmtpTry(ReadMailServer(), "good");
    text = TryOutcomeText(ReadMailServer(), outcome);
    EXPECT_TRUE(text.contains(QStringLiteral("服务器没有要求登录"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("登录成功")));
}

TEST_F(MailTest, APasswordCrossesAnUnencryptedConnectionOnlyAfterTheUserAgreedOnce)
{
    MailServerProcess server({"--auth", "zhangsan@arvel.edu.cn:good"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", "zhangsan@arvel.edu.cn", "good", false);
    EXPECT_FALSE(Send());  // declined: nothing goes
    ASSERT_EQ(home.prompter.shown.size(), 2);
    EXPECT_TRUE(home.prompter.shown.first().text.contains(QStringLiteral("明文")));
    EXPECT_TRUE(server.messages().isEmpty());

    home.prompter.shown.clear();
    home.prompter.answers = {true};
    ASSERT_TRUE(Send()) << LastNotice().toStdString();
    EXPECT_TRUE(ReadMailServer().plainLoginAgreed);
    home.prompter.shown.clear();
    ASSERT_TRUE(Send()) << LastNotice().toStdString();  // asked once, for this server
    EXPECT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(server.messages().size(), 2);
}

TEST_F(MailTest, ATlsPortReachedWithoutEncryptionSaysToChooseSsl)
{
    MailServerProcess server({"--implicit-tls"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    SetMailStallLimit(1500);
    EXPECT_FALSE(Send());
    SetMailStallLimit(60000);
    EXPECT_TRUE(SecondLine().contains(QStringLiteral("请把加密方式选为 SSL"))) << SecondLine().toStdString();
}

TEST_F(MailTest, AnUnknownCertificateMayBeTrustedForThisServerAlone)
{
    const QString certificate = home.path() + "/server.pem";
    MailServerProcess server({"--starttls", "--cert-out", certificate});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "starttls", QString(), QString());
    home.prompter.answers = {true};
    ASSERT_TRUE(Send()) << LastNotice().toStdString();
    // The question showed whose certificate it is and its SHA-256 fingerprint.
    QByteArray pem = ReadAll(certificate);
    pem = pem.mid(pem.indexOf('\n') + 1);
    pem.truncate(pem.indexOf("-----END"));
    const QByteArray fingerprint =
        QCryptographicHash::hash(QByteArray::fromBase64(pem), QCryptographicHash::Sha256).toHex(':').toUpper();
    const QString question = home.prompter.shown.first().text;
    EXPECT_TRUE(question.contains(QStringLiteral("持有者：O = Arvel理工大学, CN = localhost"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QString::fromLatin1(fingerprint))) << question.toStdString();
    EXPECT_TRUE(ReadMailServer().pinnedKey.startsWith("sha256//"));
    EXPECT_EQ(server.messages().size(), 1);

    home.prompter.shown.clear();
    ASSERT_TRUE(Send());  // trusted from now on, without a question
    EXPECT_EQ(home.prompter.shown.size(), 1);

    // The settings show what is trusted, and forget it on request.
    {
        Tfrmmailserver dialog;
        dialog.ShowServer(ReadMailServer());
        EXPECT_TRUE(dialog.labtrust->isVisibleTo(&dialog));
        EXPECT_TRUE(dialog.labtrust->text().contains(QString::fromLatin1(fingerprint)));
        dialog.BitBtnForget->click();
        EXPECT_FALSE(dialog.labtrust->isVisibleTo(&dialog));
        dialog.OkClick();
    }
    EXPECT_TRUE(ReadMailServer().pinnedKey.isEmpty());
    home.prompter.shown.clear();
    EXPECT_FALSE(Send());  // asked again, and declined
    EXPECT_EQ(server.messages().size(), 2);

    // Trusted again: another key than the one trusted is not let through on the strength of it.
    home.prompter.answers = {true};
    ASSERT_TRUE(Send());

    MailServer other = ReadMailServer();
    other.pinnedKey = "sha256//" + QByteArray(32, 'x').toBase64();
    ASSERT_TRUE(WriteMailServer(other));
    home.prompter.shown.clear();
    EXPECT_FALSE(Send());
    EXPECT_EQ(server.messages().size(), 3);
}

TEST_F(MailTest, ATemporaryRefusalIsTriedAgainAfterTheDelayTheServerNamed)
{
    MailServerProcess server({"--temporary-rcpt", "450 4.7.1 Greylisted, please try again in 3 seconds"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    home.prompter.answers = {true};
    ASSERT_TRUE(Send()) << LastNotice().toStdString();
    EXPECT_TRUE(home.prompter.shown.first().text.contains(QStringLiteral("3 秒后自动重新发送")));
    EXPECT_EQ(home.sleeper.slept, QList<int>({1000, 1000, 1000}));
    EXPECT_EQ(server.messages().size(), 1);

    // After the data, declined: not sent, and not called a refusal of the recipient.
    MailServerProcess later({"--refuse-data", "451 4.3.0 Temporary failure, try again later"});
    ASSERT_NE(later.port(), 0);
    UseServer(later.port(), "none", QString(), QString());
    home.prompter.shown.clear();
    EXPECT_FALSE(Send());
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_FAILURE"));
    EXPECT_EQ(SecondLine(), QStringLiteral("邮件服务器暂时不能接收邮件，它要求稍后再试：451 4.3.0 Temporary failure, try again later"));
    EXPECT_TRUE(later.messages().isEmpty());
}

TEST_F(MailTest, ALongAttachmentNameKeepsEveryHeaderLineWithinTheLimits)
{
    MailServerProcess server({});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    const QString name = QStringLiteral("Arvel理工大学化学与分子工程学院张三关于有机半导体材料中电荷输运机理及其器件应用研究的省高校项目申请书上报文件第二稿最终版本（根据学院意见修改后的提交稿）.qvs");
    ASSERT_GE(name.size(), 80);
    const QString file = home.path() + "/" + name;
    WriteFile(file, bytes);
    ASSERT_TRUE(Send("office@arvel-edu.cn", file)) << LastNotice().toStdString();
    const QJsonObject message = server.decoded();
    EXPECT_EQ(message["filename"].toString(), name);
    EXPECT_EQ(message["type_name"].toString(), name);  // for the programs that read only the type's name
    EXPECT_TRUE(message["strict"].toBool()) << message["defects"].toString().toStdString();
    EXPECT_LE(message["longest_header_line"].toInt(), 78) << message["longest_header_text"].toString().toStdString();
    EXPECT_LE(message["longest_line"].toInt(), 998);
}

TEST_F(MailTest, AConnectionThatClosesIsSaid)
{
    MailServerProcess server({"--close-at-data"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    EXPECT_FALSE(Send());
    EXPECT_EQ(SecondLine(), QStringLiteral("与邮件服务器 127.0.0.1:%1 的连接中断了").arg(server.port()));
}

TEST_F(MailTest, AServerThatStopsAnsweringIsGivenUp)
{
    MailServerProcess server({"--hang-at-data"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    SetMailStallLimit(1500);  // 60 s in use
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Send());
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_EQ(SecondLine(), QStringLiteral("邮件服务器 127.0.0.1:%1 超过 1 秒没有响应，已停止发送。").arg(server.port()));
    SetMailStallLimit(60000);
}

TEST_F(MailTest, CancelWhileSendingEndsTheTransferAndNothingIsSent)
{
    MailServerProcess server({"--hang-at-data"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    // The applicant presses 取消 while the message is on its way.
    QTimer::singleShot(300, [] { CancelMailSending(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Send());
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_TRUE(home.prompter.shown.isEmpty());  // neither sent nor an error: the applicant ended it
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST_F(MailTest, TheDialogsCancelEndsTheSendingAndKeepsTheDialogOpen)
{
    MailServerProcess server({"--hang-at-data"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "none", QString(), QString());
    Tfrmsendemail dialog;
    dialog.stemailfile->setText(attachment);
    dialog.edemail->setText("zhangsan@arvel.edu.cn");
    dialog.edtaddress->setText("office@arvel-edu.cn");
    dialog.show();
    bool sending = false;
    QTimer::singleShot(300, &dialog, [&] {
        sending = !dialog.BitBtn1->isEnabled() && dialog.BitBtn2->isEnabled();
        dialog.BitBtn2->click();  // 取消 while the message is on its way
    });
    dialog.BitBtn1Click();
    EXPECT_TRUE(sending);
    EXPECT_TRUE(dialog.isVisible());  // for another try
    EXPECT_TRUE(dialog.BitBtn1->isEnabled());
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST_F(MailTest, ACertificateThatDoesNotVerifyIsRefused)
{
    MailServerProcess server({"--starttls"});
    ASSERT_NE(server.port(), 0);
    UseServer(server.port(), "starttls", QString(), QString());
    EXPECT_FALSE(Send());
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_E_FAILURE"));
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST_F(MailTest, WithoutAServerTheApplicantIsAskedAndMayCancel)
{
    QString askedFor;
    SetMailServerAsker([&](const QString& sender, MailServer&, QString&) {
        askedFor = sender;
        return false;
    });
    EXPECT_FALSE(Send());
    EXPECT_EQ(askedFor, "zhangsan@arvel.edu.cn");
    EXPECT_EQ(FirstLine(), QStringLiteral("发邮件出错: Error: MAPI_USER_ABORT"));
    SetMailServerAsker({});
}

TEST(MailServers, ProposedForTheSendersDomain)
{
    const MailServer qq = ProposedServer("12345@qq.com");
    EXPECT_EQ(qq.host, "smtp.qq.com");
    EXPECT_EQ(qq.port, 465);
    EXPECT_EQ(qq.security, "ssl");
    EXPECT_EQ(qq.user, "12345@qq.com");
    EXPECT_EQ(ProposedServer("a@163.com").host, "smtp.163.com");
    const MailServer outlook = ProposedServer("a@Outlook.com");
    EXPECT_EQ(outlook.host, "smtp-mail.outlook.com");
    EXPECT_EQ(outlook.security, "starttls");
    EXPECT_EQ(outlook.port, 587);
    const MailServer university = ProposedServer(" zhang@chem.arvel.edu.cn ");
    EXPECT_EQ(university.host, "smtp.chem.arvel.edu.cn");
    EXPECT_EQ(university.port, 465);
    EXPECT_FALSE(ProposedServer("not an address").isSet());
}

TEST(MailResults, TheirTextsAndTheDelayAServerNames)
{
    EXPECT_EQ(MapiResultText(0), "SUCCESSFULL");
    EXPECT_EQ(MapiResultText(7), "UNKNOWN MAPI ERROR");
    EXPECT_EQ(MapiResultText(27), "UNKNOWN MAPI ERROR");
    EXPECT_EQ(MapiResultText(26), "Error: MAPI_E_NOT_SUPPORTED");
    EXPECT_EQ(RetryDelaySeconds("450 4.7.1 Greylisted, please try again in 300 seconds"), 300);
    EXPECT_EQ(RetryDelaySeconds(QStringLiteral("451 请 5 分钟后重试")), 300);
    EXPECT_EQ(RetryDelaySeconds("451 4.3.0 Temporary lookup failure"), 60);
}
