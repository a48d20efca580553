#pragma once
// Tfrmmemberorder: "调整成员顺序", where the applicant puts the team members in order.
#include "OnFirstUse.h"
#include "FieldAccess.h"
#include "ModalResult.h"

#include <QDialog>
#include <QList>

class QListWidget;
class QPushButton;

class Tfrmmemberorder : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmmemberorder(QWidget* parent = nullptr);

    // Lists the named member rows and shows the dialog: ModalOk or ModalCancel. With fewer than
    // two members it says so and answers ModalCancel at once.
    int ShowFor(const FieldAccess& screen);
    // The row each line came from, in list order.
    QList<int> Rows() const;
    // A line: the trimmed name, 39 blanks, the row number.
    static QString LineFor(const QString& name, int row);
    // Where an item keeps its whole line: name, 39 blanks, row number.
    static constexpr int LineRole = Qt::UserRole + 1;

    void butupClick();
    void butdownClick();
    void SetButtons();
    void reject() override;  // Esc: ModalCancel

    QListWidget* lstMember;
    QPushButton* butup;
    QPushButton* butdown;
    QPushButton* BitBtn1;  // 确定
    QPushButton* BitBtn2;  // 取消

private:
    void Move(int by);
};

extern OnFirstUse<Tfrmmemberorder> frmmemberorder;

// "调整成员顺序" of the screen: checks the rows, asks for the order and applies it.
void ReorderMembersWithDialog(FieldAccess& screen);
