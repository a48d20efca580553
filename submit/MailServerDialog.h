#pragma once
// Tfrmmailserver: "邮件服务器设置", where the applicant names the mail server, its port, its
// security and the account, and can try them before sending.
#include "OnFirstUse.h"
#include "Mapi.h"
#include "ModalResult.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class Tfrmmailserver : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmmailserver(QWidget* parent = nullptr);

    // Shows the saved server, or one proposed for the sender's address. On OK the server is saved
    // and the password kept in the secret store; true with both given back.
    bool Ask(const QString& senderAddress, MailServer& server, QString& password);

    MailServer Server() const;
    void ShowServer(const MailServer& server);
    void ProposeFor(const QString& senderAddress);
    void TryClick();  // 测试连接
    void OkClick();

    QLineEdit* edhost;
    QSpinBox* edport;
    QComboBox* cbsecurity;
    QLineEdit* eduser;
    QLineEdit* edpassword;
    QLabel* labresult;
    QLabel* labtrust;           // the certificate trusted for this server, when there is one
    QPushButton* BitBtnForget;  // 不再信任
    QPushButton* BitBtnTry;
    QPushButton* BitBtnPropose;
    QPushButton* BitBtn1;  // 确定
    QPushButton* BitBtn2;  // 取消

private:
    void ShowTrust();
    void KeepTrust(const MailServer& server);
    QString m_sender;
    // What was trusted or agreed, and for which server ("host:port").
    QString m_trustFor, m_pinnedKey, m_pinnedCertificate;
    bool m_plainAgreed = false;
};

extern OnFirstUse<Tfrmmailserver> frmmailserver;
