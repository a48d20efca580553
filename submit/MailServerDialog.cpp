#include "MailServerDialog.h"

#include "Edition.h"
#include "FormHelpers.h"
#include "MailTrust.h"
#include "Seams.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

OnFirstUse<Tfrmmailserver> frmmailserver([]() -> Tfrmmailserver* { return new Tfrmmailserver; });

namespace {

const char* const Securities[] = {"ssl", "starttls", "none"};

} // namespace

Tfrmmailserver::Tfrmmailserver(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("frmmailserver");
    setWindowTitle(QStringLiteral("邮件服务器设置"));
    setFont(WindowFont());
    edhost = new QLineEdit(this);
    edhost->setObjectName("edhost");
    edport = new QSpinBox(this);
    edport->setObjectName("edport");
    edport->setRange(1, 65535);
    cbsecurity = new QComboBox(this);
    cbsecurity->setObjectName("cbsecurity");
    cbsecurity->addItems({QStringLiteral("SSL/TLS"), QStringLiteral("STARTTLS"), QStringLiteral("不加密")});
    eduser = new QLineEdit(this);
    eduser->setObjectName("eduser");
    edpassword = new QLineEdit(this);
    edpassword->setObjectName("edpassword");
    edpassword->setEchoMode(QLineEdit::Password);
    labresult = new QLabel(this);
    labresult->setObjectName("labresult");
    labresult->setWordWrap(true);
    labresult->setMinimumHeight(48);
    labtrust = new QLabel(this);
    labtrust->setObjectName("labtrust");
    labtrust->setWordWrap(true);
    labtrust->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    BitBtnForget = new QPushButton(QStringLiteral("不再信任此证书"), this);
    BitBtnForget->setObjectName("BitBtnForget");

    auto* form = new QFormLayout;
    AddSpokenRows(form, {{edhost, QStringLiteral("发信服务器：")}, {edport, QStringLiteral("端口：")},
                         {cbsecurity, QStringLiteral("加密方式：")}, {eduser, QStringLiteral("用户名：")},
                         {edpassword, QStringLiteral("密码：")}});
    eduser->setToolTip(QStringLiteral("通常是完整的邮件地址；留空表示不登录"));
    edpassword->setToolTip(QStringLiteral("有的邮箱要用“授权码”代替登录密码"));

    BitBtnPropose = new QPushButton(QStringLiteral("按邮件地址填写"), this);
    BitBtnTry = new QPushButton(QStringLiteral("测试连接"), this);
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn1->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(labresult);
    layout->addWidget(labtrust);
    layout->addWidget(BitBtnForget, 0, Qt::AlignLeft);
    layout->addWidget(ButtonRow(this, BitBtn1, BitBtn2, {BitBtnPropose, BitBtnTry}));
    resize(460, 280);

    connect(BitBtnPropose, &QPushButton::clicked, this, [this] { ProposeFor(m_sender); });
    connect(BitBtnForget, &QPushButton::clicked, this, [this] {
        m_pinnedKey.clear();
        m_pinnedCertificate.clear();
        ShowTrust();
    });
    connect(edhost, &QLineEdit::textChanged, this, [this] { ShowTrust(); });
    connect(edport, qOverload<int>(&QSpinBox::valueChanged), this, [this] { ShowTrust(); });
    ShowTrust();
    connect(BitBtnTry, &QPushButton::clicked, this, &Tfrmmailserver::TryClick);
    connect(BitBtn1, &QPushButton::clicked, this, &Tfrmmailserver::OkClick);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(ModalCancel); });
    SetMailServerAsker([this](const QString& sender, MailServer& server, QString& password) {
        return Ask(sender, server, password);
    });
}

MailServer Tfrmmailserver::Server() const
{
    MailServer server;
    server.host = edhost->text().trimmed();
    server.port = edport->value();
    server.security = QString::fromLatin1(Securities[qBound(0, cbsecurity->currentIndex(), 2)]);
    server.user = eduser->text().trimmed();
    // What was trusted holds for the server it was trusted for.
    if (m_trustFor == server.host + ":" + QString::number(server.port)) {
        server.pinnedKey = m_pinnedKey;
        server.pinnedCertificate = m_pinnedCertificate;
        server.plainLoginAgreed = m_plainAgreed;
    }
    return server;
}

void Tfrmmailserver::KeepTrust(const MailServer& server)
{
    m_trustFor = server.host + ":" + QString::number(server.port);
    m_pinnedKey = server.pinnedKey;
    m_pinnedCertificate = server.pinnedCertificate;
    m_plainAgreed = server.plainLoginAgreed;
    ShowTrust();
}

void Tfrmmailserver::ShowTrust()
{
    const MailServer server = Server();
    labtrust->setText(server.pinnedKey.isEmpty() ? QString()
                                                 : QStringLiteral("已信任这个服务器的证书：\n") + server.pinnedCertificate);
    labtrust->setVisible(!server.pinnedKey.isEmpty());
    BitBtnForget->setVisible(!server.pinnedKey.isEmpty());
}

void Tfrmmailserver::ShowServer(const MailServer& server)
{
    edhost->setText(server.host);
    edport->setValue(server.port);
    for (int i = 0; i < 3; ++i)
        if (server.security == QLatin1String(Securities[i]))
            cbsecurity->setCurrentIndex(i);
    eduser->setText(server.user);
    KeepTrust(server);
}

void Tfrmmailserver::ProposeFor(const QString& senderAddress)
{
    ShowServer(ProposedServer(senderAddress));
}

bool Tfrmmailserver::Ask(const QString& senderAddress, MailServer& server, QString& password)
{
    m_sender = senderAddress;
    const MailServer saved = ReadMailServer();
    if (saved.isSet())
        ShowServer(saved);
    else
        ProposeFor(senderAddress);
    QString kept;
    edpassword->setText(secrets().read(PasswordKey(Server()), kept) ? kept : QString());
    labresult->clear();
    if (exec() != ModalOk)
        return false;
    server = Server();
    password = edpassword->text();
    return true;
}

void Tfrmmailserver::TryClick()
{
    if (Server().host.isEmpty()) {
        labresult->setText(QStringLiteral("请填写发信服务器。"));
        return;
    }
    labresult->setText(QStringLiteral("正在连接……"));
    labresult->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MailServer server = Server();
    const QString password = edpassword->text();
    // The test sends a password as the sending would: never in clear without the user's word.
    if (!AgreeToPlainLogin(server)) {
        QApplication::restoreOverrideCursor();
        labresult->setText(QStringLiteral("没有测试：没有同意在不加密的连接上发送密码。"));
        return;
    }
    SmtpOutcome outcome;
    RunWithoutFreezing([&] { outcome = SmtpTry(server, password); });
    if (outcome.failure == SmtpOutcome::Untrusted && TrustCertificateOnRequest(server))
        RunWithoutFreezing([&] { outcome = SmtpTry(server, password); });
    QApplication::restoreOverrideCursor();
    KeepTrust(server);
    labresult->setText(TryOutcomeText(Server(), outcome));
}

void Tfrmmailserver::OkClick()
{
    if (Server().host.isEmpty()) {
        ShowNotice(QStringLiteral("请填写发信服务器。"), NoticeCaption);
        edhost->setFocus();
        return;
    }
    if (!WriteMailServer(Server()))
        ShowNotice(QStringLiteral("无法保存邮件服务器设置（设置文件不能写入），本次运行中仍然有效。"), NoticeCaption);
    if (!Server().user.isEmpty())
        secrets().write(PasswordKey(Server()), edpassword->text());
    done(ModalOk);
}
