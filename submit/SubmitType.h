#pragma once
// Tfrmsubmittype: "提交申请书", where the applicant picks the way of handing in (a copy to a folder
// or drive, or e-mail) and whether the file is sealed into a package.
#include "OnFirstUse.h"
#include "ModalResult.h"

#include <QDialog>
#include <QGroupBox>

class QButtonGroup;
class QLabel;
class QPushButton;

// A group of radio buttons in columns, answering with the index of the chosen one.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);
    int ItemIndex() const;
    void SetItemIndex(int index);

signals:
    void Clicked(int index);

private:
    QButtonGroup* m_buttons;
};

class Tfrmsubmittype : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmsubmittype(QWidget* parent = nullptr);

    void rgsubtypeClick();

    RadioGroup* rgsubtype;      // 0 复制文件, 1 Email发送
    RadioGroup* RadioGroupZip;  // 0 压缩数据, 1 不压缩数据
    QLabel* labmsg;
    QPushButton* BitBtn1;  // 确定
    QPushButton* BitBtn2;  // 取消
    QPushButton* BitBtnServer;  // 邮件服务器设置

protected:
    void showEvent(QShowEvent* event) override;
};

extern OnFirstUse<Tfrmsubmittype> frmsubmittype;

// The explanation labmsg shows for a way of handing in.
QString SubmitTypeText(int index);
