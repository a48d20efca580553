#include "MemberCompleter.h"

#include "ShortForm.h"
#include "Simpleform.h"
#include "TeamMembers.h"
#include "TeamMemory.h"
#include "Text.h"

#include <QCompleter>
#include <QLineEdit>
#include <QStandardItemModel>

namespace {

// What is typed is matched against the name alone; the list shows title and unit beside it.
enum Role { NameRole = Qt::UserRole + 1, TitleRole, IdRole, UnitRole, WorkRole };

QStandardItemModel* PeopleOf(TFrmSimpleform& screen)
{
    return screen.findChild<QStandardItemModel*>("MemberPeople");
}

void Offer(TFrmSimpleform& screen)
{
    QStandardItemModel* model = PeopleOf(screen);
    if (!model)
        return;
    model->clear();
    for (const RememberedMember& person : TeamMemory().people()) {
        QStringList about;
        for (const QString& part : {person.title, person.unit})
            if (!part.isEmpty())
                about << part;
        auto* item = new QStandardItem(person.name + (about.isEmpty() ? QString() : "（" + about.join("，") + "）"));
        item->setData(person.name, NameRole);
        item->setData(person.title, TitleRole);
        item->setData(person.idNumber, IdRole);
        item->setData(person.unit, UnitRole);
        item->setData(person.work, WorkRole);
        model->appendRow(item);
    }
}

} // namespace

void AttachMemberCompleters(TFrmSimpleform& screen)
{
    auto* model = new QStandardItemModel(&screen);
    model->setObjectName("MemberPeople");
    TFrmSimpleform* s = &screen;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
        auto* name = screen.control<QLineEdit>(MemberField(MemberNamePrefix, row));
        if (!name)
            continue;
        auto* completer = new QCompleter(model, name);
        completer->setCompletionRole(NameRole);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        name->setCompleter(completer);
        QObject::connect(completer, qOverload<const QModelIndex&>(&QCompleter::activated), &screen,
                         [s, row](const QModelIndex& chosen) {
                             s->setText(MemberField(MemberNamePrefix, row), chosen.data(NameRole).toString());
                             s->setText(MemberField(MemberIdPrefix, row), chosen.data(IdRole).toString());
                             s->setText(MemberField(MemberTitlePrefix, row), chosen.data(TitleRole).toString());
                             s->setText(MemberField(MemberUnitPrefix, row), chosen.data(UnitRole).toString());
                             s->setText(MemberField(MemberWorkPrefix, row), chosen.data(WorkRole).toString());
                             CountTeam(*s, s->text("edjbdm"));
                         });
    }
    Offer(screen);
}

void RememberTeam(TFrmSimpleform& screen)
{
    QList<RememberedMember> rows;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        rows.append({TrimBlanks(screen.text(MemberField(MemberNamePrefix, row))),
                     TrimBlanks(screen.text(MemberField(MemberTitlePrefix, row))),
                     TrimBlanks(screen.text(MemberField(MemberIdPrefix, row))),
                     TrimBlanks(screen.text(MemberField(MemberUnitPrefix, row))),
                     TrimBlanks(screen.text(MemberField(MemberWorkPrefix, row)))});
    TeamMemory().remember(rows);
    Offer(screen);
}

void OfferRememberedTeam(TFrmSimpleform& screen)
{
    Offer(screen);
}
