#pragma once
// What the two lookup dialogs share: a condition field with 查询 above a view of lines, and
// 确定 and 取消 below. Enter in the condition searches; any key typed in the view confirms (the
// original's way); 取消, Escape and the close box answer ModalLookupCancelled.
#include "ModalResult.h"

#include <QDialog>

class QAbstractItemView;
class QLineEdit;
class QPushButton;

class LookupDialog : public QDialog {
    Q_OBJECT
public:
    void reject() override;
    virtual void Search() = 0;   // 查询
    virtual void Confirm() = 0;  // 确定, a double click, or a key typed in the view

protected:
    // keyLabel is the caption before the condition field ("条件："); the names are what a screen
    // reader says of the field and the view.
    LookupDialog(QWidget* parent, const QString& keyLabel, const QString& keySpoken, QAbstractItemView* view,
                 const QString& viewSpoken);
    // Enter in the condition field: a search, then whatever the dialog does after one.
    virtual void KeyEntered();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QLineEdit* m_key;
    QAbstractItemView* m_view;
    QPushButton* m_confirm;  // 确定
    QPushButton* m_cancel;   // 取消
    QPushButton* m_search;   // 查询
};
