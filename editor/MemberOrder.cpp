#include "MemberOrder.h"

#include "Edition.h"
#include "FormHelpers.h"
#include "Seams.h"
#include "ShortForm.h"
#include "SimpleformTables.h"
#include "TeamMembers.h"
#include "Text.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

OnFirstUse<Tfrmmemberorder> frmmemberorder([]() -> Tfrmmemberorder* { return new Tfrmmemberorder; });

Tfrmmemberorder::Tfrmmemberorder(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmmemberorder");
    setWindowTitle(QStringLiteral("调整成员顺序"));
    lstMember = new QListWidget(this);
    lstMember->setObjectName("lstMember");
    lstMember->setAccessibleName(QStringLiteral("项目组成员"));
    lstMember->setTextElideMode(Qt::ElideNone);
    lstMember->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstMember->setUniformItemSizes(true);
    lstMember->setStyleSheet(QStringLiteral("QListWidget::item { height: 18px; }"));
    butup = new QPushButton(style()->standardIcon(QStyle::SP_ArrowUp), QString(), this);
    butup->setObjectName("butup");
    butup->setAccessibleName(QStringLiteral("上移"));
    butup->setToolTip(QStringLiteral("上移"));
    butdown = new QPushButton(style()->standardIcon(QStyle::SP_ArrowDown), QString(), this);
    butdown->setObjectName("butdown");
    butdown->setAccessibleName(QStringLiteral("下移"));
    butdown->setToolTip(QStringLiteral("下移"));
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn2->setObjectName("BitBtn2");
    for (QPushButton* button : {butup, butdown, BitBtn1, BitBtn2})
        button->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lstMember, 0, 0, 3, 1);
    grid->addWidget(butup, 0, 1);
    grid->addWidget(butdown, 1, 1);
    grid->setRowStretch(2, 1);
    grid->addWidget(ButtonRow(this, BitBtn1, BitBtn2), 3, 0, 1, 2);
    setFixedSize(300, 280);

    connect(lstMember, &QListWidget::currentRowChanged, this, &Tfrmmemberorder::SetButtons);
    connect(butup, &QPushButton::clicked, this, &Tfrmmemberorder::butupClick);
    connect(butdown, &QPushButton::clicked, this, &Tfrmmemberorder::butdownClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(ModalOk); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(ModalCancel); });
}

QString Tfrmmemberorder::LineFor(const QString& name, int row)
{
    return TrimBlanks(name) + QString(39, ' ') + QString::number(row);
}

int Tfrmmemberorder::ShowFor(const FieldAccess& screen)
{
    lstMember->clear();
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
        const QString name = TrimBlanks(screen.text(MemberField(MemberNamePrefix, row)));
        if (name.isEmpty())
            continue;
        // The line carries the row it came from; the list shows the name alone, so that no
        // row number stands out of line in a proportional face.
        auto* item = new QListWidgetItem(name, lstMember);
        item->setData(LineRole, LineFor(name, row));
    }
    lstMember->setCurrentRow(-1);
    SetButtons();
    if (lstMember->count() < 2) {
        ShowNotice(QStringLiteral("人员不足两人，不好调整他们的顺序！"), NoticeCaption);
        setResult(ModalCancel);
        return ModalCancel;
    }
    return exec();
}

QList<int> Tfrmmemberorder::Rows() const
{
    QList<int> rows;
    for (int i = 0; i < lstMember->count(); ++i)
        rows << lstMember->item(i)->data(LineRole).toString().right(2).trimmed().toInt();
    return rows;
}

void Tfrmmemberorder::SetButtons()
{
    const int row = lstMember->currentRow();
    const int last = lstMember->count() - 1;
    const bool movable = row >= 0 && last >= 1;
    butup->setEnabled(movable && row > 0);
    butdown->setEnabled(movable && row < last);
}

void Tfrmmemberorder::reject()
{
    done(ModalCancel);
}

void Tfrmmemberorder::Move(int by)
{
    const int row = lstMember->currentRow();
    const int other = row + by;
    if (row < 0 || other < 0 || other >= lstMember->count())
        return;
    QListWidgetItem* item = lstMember->takeItem(row);
    lstMember->insertItem(other, item);
    lstMember->setCurrentRow(other);
    SetButtons();
}

void Tfrmmemberorder::butupClick()
{
    Move(-1);
}

void Tfrmmemberorder::butdownClick()
{
    Move(+1);
}

void ReorderMembersWithDialog(FieldAccess& screen)
{
    const QString message = CheckMembers(screen);
    if (!message.isEmpty()) {
        ShowNotice(message, NoticeCaption);
        return;
    }
    if (frmmemberorder && frmmemberorder->ShowFor(screen) == ModalOk)
        ReorderMembers(screen, frmmemberorder->Rows());
}
