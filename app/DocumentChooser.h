#pragma once
// Tfrmfiledlg: asks at start which application document to work on.
#include "ModalResult.h"

#include <QDialog>

class QPushButton;

class Tfrmfiledlg : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmfiledlg(QWidget* parent = nullptr);

    enum Result { ResultNew = ModalOk, ResultExit = ModalCancel, ResultChosen = ModalChosen };
    QString ChosenPath;

    QPushButton* BitBtn1;  // 新建项目申请书
    QPushButton* BitBtn2;  // 打开项目申请书
    QPushButton* BitBtn4;  // 退出系统

    void BitBtn1Click();
    void BitBtn2Click();
    void reject() override;  // Escape and the close box: exit

protected:
    void showEvent(QShowEvent* event) override;
};
