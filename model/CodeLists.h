#pragma once
// The code lists of the short form's choice boxes, the code carried by each item, the
// companion code fields, and the code lookup dialog Tfrmcode.
#include "ModalResult.h"

#include <QDialog>
#include <QList>
#include <QMetaType>
#include <QString>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

struct CodeList {
    QString target;  // the combo box's name
    QList<std::pair<QString, QString>> items;  // code, text
};

// Lists as the resource holds them: a header (count in columns 1-5, then the target's name)
// followed by that many "code|text" lines, each split at its last "|".
QList<CodeList> ParseCodeLists(const QString& text);

// The code an item of a filled combo box carries.
struct Tmycomp {
    QString Code;
};
Q_DECLARE_METATYPE(Tmycomp)

// Fills the screen's combo boxes (found by name, letter case ignored) from the embedded lists,
// then copies the members' title list "edzyjszw2" into "edzyjszw3" … "edzyjszw10".
void FillCodeLists(QWidget* screen);
// The companion of a combo box: "dm" before a trailing digit, else appended.
QString CompanionName(const QString& comboName);
// Puts the selected item's code (its first n characters, trimmed) into the companion field and
// returns the whole code; empties the companion and returns empty when nothing is chosen.
QString SyncCodeField(QWidget* screen, QComboBox* combo, int n);
// A child of the screen by name, letter case ignored.
QWidget* FindControl(QWidget* screen, const QString& name);

class Tfrmcode;
// The one code lookup dialog, made at start with the other windows.
extern Tfrmcode* frmcode;

class Tfrmcode : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmcode(QWidget* parent = nullptr);
    enum Result { ResultChosen = ModalChosen, ResultCancelled = ModalLookupCancelled };

    void SetCodeList(const QStringList& lines);
    void BitBtn3Click();  // 查询
    void Confirm();       // 确定, a double click, or any key in the list
    void reject() override;

    QStringList SourceList;
    QString ResultText;
    QLineEdit* EdtKey;
    QListWidget* Lstcode;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLines(const QStringList& lines);
};
