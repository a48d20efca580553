#include "MailServerDialog.h"

#include "Edition.h"
#include "FormHelpers.h"
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
    layout->addWidget(ButtonRow(this, BitBtn1, BitBtn2, {BitBtnPropose, BitBtnTry}));
    resize(460, 280);

    connect(BitBtnPropose, &QPushButton::clicked, this, [this] { ProposeFor(m_sender); });
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
    return server;
}

void Tfrmmailserver::ShowServer(const MailServer& server)
{
    edhost->setText(server.host);
    edport->setValue(server.port);
    for (int i = 0; i < 3; ++i)
        if (server.security == QLatin1String(Securities[i]))
            cbsecurity->setCurrentIndex(i);
    eduser->setText(server.user);
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
    SmtpOutcome outcome;
    const MailServer server = Server();
    const QString password = edpassword->text();
    RunWithoutFreezing([&] { outcome = SmtpTry(server, password); });
    QApplication::restoreOverrideCursor();
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
