#pragma once
// Tfrmsendemail: "发送邮件", where the applicant addresses the message that carries the
// submission file.
#include "OnFirstUse.h"
#include "ModalResult.h"
#include "SubmissionValues.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class Tfrmsendemail : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmsendemail(QWidget* parent = nullptr);

    void BitBtn1Click();  // 确定: sends
    bool edtaddressExit();

    QLineEdit* edlxr;        // recipient name
    QLineEdit* edtaddress;   // recipient address
    QLineEdit* edxm1;        // sender name
    QLineEdit* edemail;      // sender address
    QLineEdit* edtsubject;
    QPlainTextEdit* memtext;
    QLabel* stemailfile;     // the attachment's path
    QLabel* stemailfileInfo;
    QPushButton* BitBtn1;    // 确定
    QPushButton* BitBtn2;    // 取消
    QPushButton* BitBtnServer;  // 邮件服务器设置

    // 取消, Escape and the close box: while sending they end the transfer, else the dialog.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_box = nullptr;
    bool m_sending = false;
};

extern OnFirstUse<Tfrmsendemail> frmsendemail;

// Fills the dialog from a submission's values and file, and shows it.
void MailSubmission(const SubmissionValues& values, const QString& file);
