#pragma once
// The short form's choice boxes filled from the code lists, the code each item carries, the
// companion code fields, and the code lookup dialog Tfrmcode.
#include "OnFirstUse.h"
#include "LookupDialog.h"

#include <QMetaType>
#include <QStringList>

class QComboBox;
class QListWidget;

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
// The one code lookup dialog, made at its first use.
extern OnFirstUse<Tfrmcode> frmcode;

class Tfrmcode : public LookupDialog {
    Q_OBJECT
public:
    explicit Tfrmcode(QWidget* parent = nullptr);
    enum Result { ResultChosen = ModalChosen, ResultCancelled = ModalLookupCancelled };

    void SetCodeList(const QStringList& lines);
    void BitBtn3Click();  // 查询
    void Search() override { BitBtn3Click(); }
    void Confirm() override;  // 确定, a double click, or any key in the list

    QStringList SourceList;
    QString ResultText;
    QLineEdit* EdtKey;
    QListWidget* Lstcode;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;

protected:
    void showEvent(QShowEvent* event) override;
    void KeyEntered() override;

private:
    void ShowLines(const QStringList& lines);
};
