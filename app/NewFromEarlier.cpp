#include "NewFromEarlier.h"

#include "BusyInput.h"
#include "EarlierApplication.h"
#include "Edition.h"
#include "Files.h"
#include "FromEarlierDialog.h"
#include "ModalResult.h"
#include "Seams.h"

#include <QCoreApplication>

std::optional<NewFromEarlier> MakeNewFromEarlier(const QString& earlierPath, QWidget* parent)
{
    const EarlierApplication earlier = ReadEarlierApplication(earlierPath);
    if (!earlier.ok) {
        ShowNotice(earlier.message, NoticeCaption);
        return std::nullopt;
    }
    TfrmFromEarlier choice(earlier, parent);
    if (choice.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString target = FreeDocPath(QStringLiteral("申请书"));
    NewFromEarlierOutcome made;
    {
        const BusyInput busy;
        progress().zipxMsg(QStringLiteral("正在从旧申请书新建……"));
        progress().setGauge(-1);
        progress().allowCancel(true);
        made = MakeFromEarlier(earlier, target, choice.ChosenGroups(), [] {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            return progress().cancelRequested();
        });
        progress().allowCancel(false);
        progress().Close();
    }
    if (!made.ok) {
        ShowNotice(made.message, NoticeCaption);
        return std::nullopt;
    }
    return NewFromEarlier{target, made.leftOut};
}
