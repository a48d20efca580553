#include "SendEmail.h"

#include "BusyInput.h"
#include "Edition.h"
#include "Files.h"
#include "FormHelpers.h"
#include "IdCheck.h"
#include "MailServerDialog.h"
#include "Mapi.h"
#include "Seams.h"
#include "Text.h"

#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

OnFirstUse<Tfrmsendemail> frmsendemail([]() -> Tfrmsendemail* { return new Tfrmsendemail; });

namespace {

QLineEdit* ReadOnlyField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    QPalette colours = field->palette();
    colours.setColor(QPalette::Base, QColor(0xd4, 0xd0, 0xc8));
    field->setPalette(colours);
    return field;
}

QLabel* Sunken(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

Tfrmsendemail::Tfrmsendemail(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("frmsendemail");
    setWindowTitle(QStringLiteral("发送邮件"));
    setFont(WindowFont());
    auto* box = m_box = new QGroupBox(this);
    edlxr = new QLineEdit(box);
    edlxr->setObjectName("edlxr");
    edtaddress = new QLineEdit(box);
    edtaddress->setObjectName("edtaddress");
    edxm1 = ReadOnlyField(box, "edxm1");
    edemail = ReadOnlyField(box, "edemail");
    edtsubject = ReadOnlyField(box, "edtsubject");
    memtext = new QPlainTextEdit(box);
    memtext->setObjectName("memtext");
    memtext->setTabChangesFocus(true);
    stemailfile = Sunken(box, "stemailfile");
    stemailfileInfo = Sunken(box, "stemailfileInfo");

    auto* form = new QFormLayout(box);
    AddSpokenRows(form, {{edlxr, QStringLiteral("收信人姓名：")}, {edtaddress, QStringLiteral("收信人邮址：")},
                         {edxm1, QStringLiteral("发信人姓名：")}, {edemail, QStringLiteral("发信人邮址：")},
                         {edtsubject, QStringLiteral("邮件主题：")}, {memtext, QStringLiteral("邮件正文：")},
                         {stemailfile, QStringLiteral("邮件附件：")}});
    form->addRow(QString(), stemailfileInfo);
    stemailfileInfo->setAccessibleName(QStringLiteral("附件信息"));

    BitBtnServer = new QPushButton(QStringLiteral("邮件服务器设置…"), this);
    BitBtnServer->setObjectName("BitBtnServer");
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn2->setObjectName("BitBtn2");
    for (QPushButton* button : {BitBtnServer, BitBtn1, BitBtn2})
        button->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(ButtonRow(this, BitBtn1, BitBtn2, {BitBtnServer}));
    resize(520, 420);

    setTabOrder(edlxr, edtaddress);
    setTabOrder(edtaddress, memtext);
    for (QWidget* field : {static_cast<QWidget*>(edlxr), static_cast<QWidget*>(edtaddress), static_cast<QWidget*>(memtext)})
        field->installEventFilter(this);
    connect(BitBtn1, &QPushButton::clicked, this, &Tfrmsendemail::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &Tfrmsendemail::reject);
    connect(BitBtnServer, &QPushButton::clicked, this, [this] {
        MailServer server;
        QString password;
        if (frmmailserver)
            frmmailserver->Ask(edemail->text(), server, password);
    });
}

void MailSubmission(const SubmissionValues& values, const QString& file)
{
    frmsendemail->edtaddress->clear();
    frmsendemail->edtsubject->setText(values.unit + values.faculty + values.applicant + QStringLiteral("上报") + values.category
                                      + DocPrefix + QStringLiteral("项目申请书"));
    const FileInfoTexts info = FileInfoText(file, FileTime::LastWrite);
    frmsendemail->stemailfileInfo->setText(QStringLiteral("创建时间:") + info.time + QStringLiteral("文件大小") + info.size);
    frmsendemail->stemailfile->setText(file);
    frmsendemail->edxm1->setText(values.applicant);
    if (values.contact != QLatin1String("#"))
        frmsendemail->edlxr->setText(values.contact);
    frmsendemail->edemail->setText(values.email);
    frmsendemail->exec();
}

void Tfrmsendemail::reject()
{
    if (m_sending)
        CancelMailSending();  // ends the transfer; the dialog stays for another try
    else
        done(ModalCancel);
}

void Tfrmsendemail::showEvent(QShowEvent* event)
{
    memtext->clear();
    QDialog::showEvent(event);
    edtaddress->setFocus();
}

bool Tfrmsendemail::edtaddressExit()
{
    const QString t = TrimBlanks(edtaddress->text());
    if (!t.isEmpty() && !IsValidEmail(t)) {
        ShowNotice(QStringLiteral("电子邮件格式错误,请修改!"), NoticeCaption);
        edtaddress->setFocus();
        return false;
    }
    return true;
}

void Tfrmsendemail::BitBtn1Click()
{
    if (TrimBlanks(edtaddress->text()).isEmpty()) {
        ShowNotice(QStringLiteral("收信人邮址不能为空,请修改!"), NoticeCaption);
        edtaddress->setFocus();
        return;
    }
    if (!edtaddressExit())
        return;
    // While the message is on its way only 取消 works: it ends the transfer.
    m_sending = true;
    setProperty(TakesInputWhileBusy, true);
    for (QWidget* part : {static_cast<QWidget*>(m_box), static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtnServer)})
        part->setEnabled(false);
    const bool sent = SendMapiMail(edtsubject->text(), memtext->toPlainText(), stemailfile->text(), edxm1->text(),
                                   edemail->text(), edlxr->text(), edtaddress->text());
    for (QWidget* part : {static_cast<QWidget*>(m_box), static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtnServer)})
        part->setEnabled(true);
    setProperty(TakesInputWhileBusy, false);
    m_sending = false;
    if (sent)
        done(ModalOk);
}

bool Tfrmsendemail::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && watched != memtext) {
            // Enter moves on; in the body it makes a new line.
            QChar typed(13);
            EnterToNextControl(this, typed);
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && watched == edtaddress) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
            edtaddressExit();
    }
    return QDialog::eventFilter(watched, event);
}
