#pragma once
// The three-level discipline tree (GB/T 13745-92) and its dialog Tfrmxkdm_tree.
#include "ModalResult.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

struct DisciplineNode {
    int level = 0;
    QString text;  // the line after its tabs: code, blank, name
};

// One node per line; the tabs before a line give its level.
QList<DisciplineNode> ParseDisciplines(const QString& text);
// The code and the name of a node's text, split at the first blank, both trimmed.
QString DisciplineCode(const QString& text);
QString DisciplineName(const QString& text);

class Tfrmxkdm_tree;
// The one discipline dialog, made at start with the other windows.
extern Tfrmxkdm_tree* frmxkdm_tree;

class Tfrmxkdm_tree : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmxkdm_tree(QWidget* parent = nullptr);
    enum Result { ResultChosen = ModalChosen, ResultCancelled = ModalLookupCancelled };

    void Search();   // 查询, or Enter in Edit1
    void Confirm();  // 确定, a double click, or any key in the tree: only while a leaf is chosen
    void reject() override;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void SelectionChanged();
    bool m_built = false;
};
