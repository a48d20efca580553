#include "CodeLookup.h"

#include "CodeLists.h"
#include "Edition.h"
#include "Gb18030.h"
#include "ShortForm.h"
#include "Text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

OnFirstUse<Tfrmcode> frmcode([]() -> Tfrmcode* { return new Tfrmcode; });

QWidget* FindControl(QWidget* screen, const QString& name)
{
    for (QWidget* child : screen->findChildren<QWidget*>())
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

void FillCodeLists(QWidget* screen)
{
    for (const CodeList& list : EmbeddedCodeLists()) {
        auto* combo = qobject_cast<QComboBox*>(FindControl(screen, list.target));
        if (!combo)
            continue;
        for (const auto& [code, name] : list.items)
            combo->addItem(name, QVariant::fromValue(Tmycomp{code}));
    }
    auto* titles = qobject_cast<QComboBox*>(FindControl(screen, "edzyjszw2"));
    for (int row = FirstMemberRow + 1; titles && row <= LastMemberRow; ++row)
        if (auto* combo = qobject_cast<QComboBox*>(FindControl(screen, MemberTitlePrefix + QString::number(row))))
            for (int i = 0; i < titles->count(); ++i)
                combo->addItem(titles->itemText(i), titles->itemData(i));
}

QString CompanionName(const QString& comboName)
{
    if (!comboName.isEmpty() && comboName.back().isDigit())
        return comboName.chopped(1) + "dm" + comboName.back();
    return comboName + "dm";
}

QString SyncCodeField(QWidget* screen, QComboBox* combo, int n)
{
    QWidget* companion = FindControl(screen, CompanionName(combo->objectName()));
    QString code;
    if (combo->currentIndex() >= 0 && !TrimBlanks(combo->currentText()).isEmpty())
        code = combo->currentData().value<Tmycomp>().Code;
    if (companion)
        companion->setProperty("text", code.isEmpty() ? QString() : TrimBlanks(code.left(n)));
    return code;
}

Tfrmcode::Tfrmcode(QWidget* parent)
    : LookupDialog(parent, QStringLiteral("条件："), QStringLiteral("条件"), new QListWidget, QStringLiteral("代码列表"))
{
    setObjectName("frmcode");
    setWindowTitle(QStringLiteral("代码查询[第一承担单位]"));
    resize(420, 460);
    EdtKey = m_key;
    EdtKey->setObjectName("EdtKey");
    Lstcode = static_cast<QListWidget*>(m_view);
    Lstcode->setObjectName("Lstcode");
    BitBtn1 = m_confirm;
    BitBtn2 = m_cancel;
    BitBtn3 = m_search;
}

void Tfrmcode::ShowLines(const QStringList& lines)
{
    Lstcode->clear();
    Lstcode->addItems(lines);
}

void Tfrmcode::SetCodeList(const QStringList& lines)
{
    EdtKey->clear();
    SourceList = lines;
    ShowLines(lines);
}

void Tfrmcode::showEvent(QShowEvent* event)
{
    LookupDialog::showEvent(event);
    ShowLines(SourceList);
    EdtKey->setFocus();
}

void Tfrmcode::BitBtn3Click()
{
    const QString key = TrimBlanks(EdtKey->text());
    if (key.isEmpty()) {
        ShowLines(SourceList);
        return;
    }
    // The comparison is of the bytes (GB 18030, which are GBK's for every GBK character), exactly as typed.
    const QByteArray wanted = ToGb18030(key);
    QStringList found;
    for (const QString& line : SourceList)
        if (ToGb18030(line).contains(wanted))
            found << line;
    ShowLines(found);
}

void Tfrmcode::Confirm()
{
    if (!Lstcode->currentItem() || !Lstcode->currentItem()->isSelected()) {
        if (Lstcode->count() == 0) {
            EdtKey->setFocus();
        } else {
            Lstcode->setCurrentRow(0);
            Lstcode->setFocus();
        }
        return;
    }
    ResultText = SplitAtLast(Lstcode->currentItem()->text(), CodeSeparator).tail;
    done(ResultChosen);
}

void Tfrmcode::KeyEntered()
{
    BitBtn3Click();
    if (Lstcode->count() > 0) {
        Lstcode->setFocus();
        Lstcode->setCurrentRow(0);
    }
}
