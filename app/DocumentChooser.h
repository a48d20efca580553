#pragma once
// Tfrmfiledlg: asks at start which application document to work on.
#include "CarryOver.h"
#include "ModalResult.h"

#include <QDialog>

class QPushButton;

class Tfrmfiledlg : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmfiledlg(QWidget* parent = nullptr);

    enum Result { ResultNew = ModalOk, ResultExit = ModalCancel, ResultChosen = ModalChosen };
    QString ChosenPath;
    // A new application made from an earlier one: its screen opens at once, with what was left out.
    bool OpenShortForm = false;
    QList<LeftOut> LeftOutValues;

    QPushButton* BitBtn1;  // 新建项目申请书
    QPushButton* BitBtn3;  // 从旧申请书新建
    QPushButton* BitBtn2;  // 打开项目申请书
    QPushButton* BitBtn4;  // 退出系统

    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn2Click();
    void reject() override;  // Escape and the close box: exit

protected:
    void showEvent(QShowEvent* event) override;
};
