// Every control a person can reach in the program's smaller dialogs has a name a screen reader speaks.
#include "CodeLookup.h"
#include "DisciplineLookup.h"
#include "MailServerDialog.h"
#include "MemberOrder.h"
#include "PackageWindow.h"
#include "SendEmail.h"
#include "SubmitType.h"
#include "VantraExport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList Unnamed(QWidget* dialog)
{
    QStringList unnamed;
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        const bool reachable = child->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(child);
        if (!reachable || child->isWindow() || !child->isVisibleTo(dialog) || child->focusProxy())
            continue;
        if (QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QString("%1 (%2)").arg(child->objectName(), child->metaObject()->className());
    }
    return unnamed;
}

}  // namespace

TEST(DialogNames, EveryReachableControlIsNamed)
{
    std::vector<std::unique_ptr<QWidget>> dialogs;
    dialogs.emplace_back(new Tfrmcode);
    dialogs.emplace_back(new Tfrmxkdm_tree);
    dialogs.emplace_back(new Tfrmmailserver);
    dialogs.emplace_back(new Tfrmsendemail);
    dialogs.emplace_back(new Tfrmsubmittype);
    dialogs.emplace_back(new Tfrmzipx);
    dialogs.emplace_back(new Tfrmmemberorder);
    dialogs.emplace_back(new TfrmVantraExport(nullptr));
    for (const auto& dialog : dialogs)
        EXPECT_EQ(Unnamed(dialog.get()).join(", ").toStdString(), "") << dialog->objectName().toStdString();
}
