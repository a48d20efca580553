#include "SubmitType.h"

#include "FormHelpers.h"
#include "MailServerDialog.h"
#include "Tags.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

OnFirstUse<Tfrmsubmittype> frmsubmittype([]() -> Tfrmsubmittype* { return new Tfrmsubmittype; });

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), m_buttons(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        m_buttons->addButton(button, i);
        grid->addWidget(button, i / columns, i % columns);
    }
    connect(m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::Clicked);
}

int RadioGroup::ItemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* button = m_buttons->button(index))
        button->setChecked(true);
}

QString SubmitTypeText(int index)
{
    const QStringList lines = index == 1
        ? QStringList{QStringLiteral("方式:采用本机的MS Outlook Express发送提交文件邮件。"),
                      QStringLiteral("要求:OutLook Express已经配置好，且能发送Email。"),
                      QStringLiteral("推荐:发送Email方便的用户采用。")}
        : QStringList{QStringLiteral("方式:提交文件复制到移动硬盘、U盘、可写光盘或软盘。"),
                      QStringLiteral("要求:本机有移动硬盘、E盘、光盘刻录机或软驱。"),
                      QStringLiteral("推荐:有移动硬盘、E盘、光盘刻录机的用户采用。"),
                      QStringLiteral("注意:为提高数据存储的可靠性最好不用软盘。")};
    return lines.join("\r\n\r\n");
}

Tfrmsubmittype::Tfrmsubmittype(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("frmsubmittype");
    setWindowTitle(QStringLiteral("提交申请书"));
    setFont(WindowFont());
    rgsubtype = new RadioGroup(QStringLiteral("选择提交方式"), {QStringLiteral("复制文件"), QStringLiteral("Email发送")}, 2, this);
    rgsubtype->setObjectName("rgsubtype");
    rgsubtype->SetItemIndex(0);
    auto* note = new QGroupBox(QStringLiteral("说明"), this);
    labmsg = new QLabel(note);
    labmsg->setObjectName("labmsg");
    labmsg->setWordWrap(true);
    labmsg->setMinimumHeight(labmsg->fontMetrics().lineSpacing() * 8);  // four lines and the blank ones between
    (new QVBoxLayout(note))->addWidget(labmsg);
    RadioGroupZip = new RadioGroup(QStringLiteral("数据压缩方式"), {QStringLiteral("压缩数据"), QStringLiteral("不压缩数据")}, 2, this);
    RadioGroupZip->setObjectName("RadioGroupZip");
    RadioGroupZip->SetItemIndex(0);
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn2->setObjectName("BitBtn2");
    // The server can be set before the first e-mail is sent, not only after one failed.
    BitBtnServer = new QPushButton(QStringLiteral("邮件服务器设置…"), this);
    BitBtnServer->setObjectName("BitBtnServer");
    BitBtnServer->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rgsubtype);
    layout->addWidget(note, 1);
    layout->addWidget(RadioGroupZip);
    layout->addWidget(ButtonRow(this, BitBtn1, BitBtn2, {BitBtnServer}));
    resize(460, sizeHint().height());
    connect(rgsubtype, &RadioGroup::Clicked, this, &Tfrmsubmittype::rgsubtypeClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(ModalOk); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(ModalCancel); });
    connect(BitBtnServer, &QPushButton::clicked, this, [] {
        MailServer server;
        QString password;
        if (frmmailserver)
            frmmailserver->Ask(ReadMailServer().user, server, password);
    });
}

void Tfrmsubmittype::rgsubtypeClick()
{
    labmsg->setText(SubmitTypeText(rgsubtype->ItemIndex()));
}

void Tfrmsubmittype::showEvent(QShowEvent* event)
{
    if (Tag(this) == 0) {
        rgsubtypeClick();
        SetTag(this, 1);
    }
    QDialog::showEvent(event);
}
