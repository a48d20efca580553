#pragma once
// The input controls of the short-form screen. Length limits count GBK bytes (a Chinese
// character 2), whichever way the text arrives: typed, pasted, dropped or committed by an
// input method.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

// Refuses a text longer than max GBK bytes (max 0: no limit); upper-cases when asked.
class GbkLimitValidator : public QValidator {
public:
    GbkLimitValidator(int max, bool upperCase, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    int m_max;
    bool m_upperCase;
};

// A drop-down list whose text cannot be typed: typed characters are discarded, the mouse, the
// arrow keys, F4 and Alt+Down still choose. Setting a text selects the item of that text (blanks
// and letter case ignored); a text that no item has is kept and shown as it is, so that a value
// from the document is never lost by showing it.
class SelectOnlyCombo : public QComboBox {
    Q_OBJECT
public:
    explicit SelectOnlyCombo(QWidget* parent = nullptr);
    QString text() const;
    void setText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QString m_foreign;
};

// The multi-line field. Its text reads with CR LF line breaks, as the document's cells hold them,
// and a line break counts two bytes against the limit.
class MemoEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    MemoEdit(int maxBytes, QWidget* parent = nullptr);
    QString text() const;
    void setText(const QString& text);
    int maxBytes() const { return m_max; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool fits(const QString& inserted) const;
    int m_max;
};

// The text of any input control of the screen, and setting it. Setting never runs a combo's
// change rule (those follow the user's choice only).
QString ControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
// Read-only fields look grey, editable ones white.
void SetEditable(QLineEdit* edit, bool editable);
// Replaces a combo's items and keeps the text it shows.
void ReplaceItems(QComboBox* combo, const QStringList& items);
