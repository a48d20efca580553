#pragma once
// What the short-form screen does while the applicant edits: the key filters and the rules run
// when a field is left (both from the rule table, FieldRules), the rules run when a value
// changes, the ▲ lookups, and the data check. It works on the screen through RuledForm, so that
// it knows the screen's fields and controls, not the screen.
#include "FieldAccess.h"

#include <QString>
#include <functional>

class QChar;
class QWidget;

class RuledForm : public FieldAccess {
public:
    // The control of that name (letter case ignored), or none.
    virtual QWidget* control(const QString& name) const = 0;
    // The form as a window: the parent of what the rules connect, and of the lookups.
    virtual QWidget* formWidget() = 0;
    // A rule run when the focus leaves the control; false when it refused the text (it has
    // shown its notice), and the focus then goes back.
    using ExitRule = std::function<bool(QWidget*)>;
    virtual void SetExitRule(const QString& name, ExitRule rule) = 0;
    // A filter on what is typed into the control, keys and input-method text alike: false
    // discards the character; refusal is said in the status bar when it does.
    using KeyRule = std::function<bool(QWidget*, QChar)>;
    virtual void SetKeyRule(const QString& name, KeyRule rule, const QString& refusal) = 0;
    // The wheel hook goes while a lookup dialog is open, and comes back after.
    virtual void InstallWheelHook() = 0;
    virtual void RemoveWheelHook() = 0;
};

// Attaches every rule to its controls, by name. Run once when the screen is made.
void AttachShortFormRules(RuledForm& screen);

// The unit count and the members' unit lists from the three unit fields.
void RefreshUnits(RuledForm& screen);
// The message of "内容检查": the first empty required field (with the focus moved there), then
// the member check, else CheckPassedText.
QString CheckForm(RuledForm& screen);
// The ▲ of edzyjszw1 or edcddw1: the code lookup over the combo's items.
void LookupCode(RuledForm& screen, const QString& comboName);
// The ▲ of the discipline code: the discipline tree.
void LookupDiscipline(RuledForm& screen);
