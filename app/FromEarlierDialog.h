#pragma once
// TfrmFromEarlier: "从旧申请书新建". Shows an earlier application's values in their groups, each
// with a check box, and what today's lists no longer have; the groups checked are taken over.
#include "EarlierApplication.h"

#include <QDialog>
#include <QMap>

class QCheckBox;
class QLabel;
class QPushButton;

class TfrmFromEarlier : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFromEarlier(const EarlierApplication& earlier, QWidget* parent = nullptr);

    QSet<CarryGroup> ChosenGroups() const;
    QMap<CarryGroup, QCheckBox*> GroupBoxes;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    const EarlierApplication& m_earlier;
};

// What a group of the earlier application holds, in a line or two for the user.
QString GroupSummary(const EarlierApplication& earlier, CarryGroup group);
