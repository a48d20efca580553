#pragma once
// The discipline tree dialog Tfrmxkdm_tree: search by code, pick a leaf.
#include "OnFirstUse.h"
#include "LookupDialog.h"

class QTreeWidget;

class Tfrmxkdm_tree;
// The one discipline dialog, made at its first use.
extern OnFirstUse<Tfrmxkdm_tree> frmxkdm_tree;

class Tfrmxkdm_tree : public LookupDialog {
    Q_OBJECT
public:
    explicit Tfrmxkdm_tree(QWidget* parent = nullptr);
    enum Result { ResultChosen = ModalChosen, ResultCancelled = ModalLookupCancelled };

    void Search() override;   // 查询, or Enter in Edit1
    void Confirm() override;  // 确定, a double click, or any key in the tree: only while a leaf is chosen

    QString SelCode;
    QString SelName;
    QString SelRootName;
    QLineEdit* Edit1;
    QTreeWidget* TreeView1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    void SelectionChanged();
    bool m_built = false;
};
