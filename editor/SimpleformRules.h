#pragma once
// What the short-form screen does while the applicant edits: which keys each field takes, the
// rules run when a field is left or its value changes, the ▲ lookups, and the data check.
#include <QString>

class TFrmSimpleform;


// Attaches every rule to its controls, by name. Run once when the screen is made.
void AttachShortFormRules(TFrmSimpleform& screen);

// The unit count and the members' unit lists from the three unit fields.
void RefreshUnits(TFrmSimpleform& screen);
// The message of "内容检查": the first empty required field (with the focus moved there), then
// the member check, else CheckPassedText.
QString CheckForm(TFrmSimpleform& screen);
// The ▲ of edzyjszw1 or edcddw1: the code lookup over the combo's items.
void LookupCode(TFrmSimpleform& screen, const QString& comboName);
// The ▲ of the discipline code: the discipline tree.
void LookupDiscipline(TFrmSimpleform& screen);
