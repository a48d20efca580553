#pragma once
// The input controls of the short-form screen. Whatever way text arrives (typed, pasted,
// dropped or committed by an input method), a field takes what fits its limit, counted in
// GB 18030 bytes, and says what it left out; a single-line field holds no line breaks, tabs,
// control characters or direction overrides, so that what it shows is what is stored.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

// The limit of a line edit (or an editable combo's). It judges only what the user puts in:
// texts the program sets are taken as they are.
class InputLimit : public QValidator {
    Q_OBJECT
public:
    // maxBytes 0: no limit.
    InputLimit(QLineEdit* edit, int maxBytes, bool upperCase);
    State validate(QString& input, int& pos) const override;
    int maxBytes() const { return m_max; }

    // While it lives, the field takes whatever the program sets.
    class Quiet {
    public:
        explicit Quiet(QWidget* field);
        ~Quiet();

    private:
        InputLimit* m_limit = nullptr;
    };

signals:
    void leftOut(const QString& text);  // what did not fit
    void cleaned();                     // line breaks, tabs or control characters were changed

private:
    int m_max;
    bool m_upperCase;
    bool m_quiet = false;
    QString m_accepted;  // the field's text before the change being judged
};

// The limit of a field, or nullptr when it has none.
InputLimit* LimitOf(QWidget* field);

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
// and a line break counts two bytes against the limit. Enter makes a new line.
class MemoEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    MemoEdit(int maxBytes, QWidget* parent = nullptr);
    QString text() const;
    void setText(const QString& text);
    int maxBytes() const { return m_max; }

signals:
    void leftOut(const QString& text);
    void cleaned();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The part of an insertion that fits in place of the selection.
    QString fitting(const QString& inserted) const;
    int m_max;
};

// The text of any input control of the screen, and setting it. Setting never runs a combo's
// change rule (those follow the user's choice only), and takes the text as it is.
QString ControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
// Read-only fields look grey, editable ones white.
void SetEditable(QLineEdit* edit, bool editable);
// Replaces a combo's items and keeps the text it shows.
void ReplaceItems(QComboBox* combo, const QStringList& items);
// The longest beginning of text that takes at most maxBytes GB 18030 bytes, CR LF counted as
// written; a character is never cut in half.
QString FittingPart(const QString& text, int maxBytes);
