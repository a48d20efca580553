#include "CodeLists.h"

#include "ShortForm.h"

#include "Edition.h"
#include "Gb18030.h"
#include "Resources.h"
#include "Text.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

Tfrmcode* frmcode = nullptr;

QList<CodeList> ParseCodeLists(const QString& text)
{
    QList<CodeList> lists;
    int expected = 0, seen = 0;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) {
        if (seen == expected) {
            expected = line.left(5).trimmed().toInt();
            seen = 0;
            lists.append({line.mid(5).trimmed(), {}});
            continue;
        }
        QString code = line, name;
        SplitAtLast(code, CodeSeparator, name);
        lists.last().items.append({code, name});
        ++seen;
    }
    return lists;
}

QWidget* FindControl(QWidget* screen, const QString& name)
{
    for (QWidget* child : screen->findChildren<QWidget*>())
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

void FillCodeLists(QWidget* screen)
{
    const QString text = FromGb18030(ResourceBytes("text", "dbpz").value_or(QByteArray()));
    for (const CodeList& list : ParseCodeLists(text)) {
        auto* combo = qobject_cast<QComboBox*>(FindControl(screen, list.target));
        if (!combo)
            continue;
        for (const auto& [code, name] : list.items)
            combo->addItem(name, QVariant::fromValue(Tmycomp{code}));
    }
    auto* titles = qobject_cast<QComboBox*>(FindControl(screen, "edzyjszw2"));
    for (int row = FirstMemberRow + 1; titles && row <= LastMemberRow; ++row)
        if (auto* combo = qobject_cast<QComboBox*>(FindControl(screen, "edzyjszw" + QString::number(row))))
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

Tfrmcode::Tfrmcode(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmcode");
    setWindowTitle(QStringLiteral("代码查询[第一承担单位]"));
    resize(420, 460);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("条件："), this));
    EdtKey = new QLineEdit(this);
    EdtKey->setObjectName("EdtKey");
    EdtKey->setAccessibleName(QStringLiteral("条件"));
    top->addWidget(EdtKey);
    BitBtn3 = new QPushButton(QStringLiteral("查询"), this);
    BitBtn3->setAutoDefault(false);
    top->addWidget(BitBtn3);
    layout->addLayout(top);
    Lstcode = new QListWidget(this);
    Lstcode->setObjectName("Lstcode");
    Lstcode->setAccessibleName(QStringLiteral("代码列表"));
    layout->addWidget(Lstcode);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn1->setAutoDefault(false);
    BitBtn2->setAutoDefault(false);
    bottom->addWidget(BitBtn1);
    bottom->addWidget(BitBtn2);
    layout->addLayout(bottom);
    EdtKey->installEventFilter(this);
    Lstcode->installEventFilter(this);
    connect(BitBtn3, &QPushButton::clicked, this, &Tfrmcode::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &Tfrmcode::Confirm);
    connect(BitBtn2, &QPushButton::clicked, this, &Tfrmcode::reject);
    connect(Lstcode, &QListWidget::itemDoubleClicked, this, &Tfrmcode::Confirm);
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
    QDialog::showEvent(event);
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
    QString code = Lstcode->currentItem()->text();
    SplitAtLast(code, CodeSeparator, ResultText);
    done(ResultChosen);
}

void Tfrmcode::reject()
{
    done(ResultCancelled);
}

bool Tfrmcode::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == EdtKey && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        BitBtn3Click();
        if (Lstcode->count() > 0) {
            Lstcode->setFocus();
            Lstcode->setCurrentRow(0);
        }
        return true;
    }
    // Any typed key in the list confirms, Enter included; moving keys still move.
    if (watched == Lstcode && !key->text().isEmpty() && key->key() != Qt::Key_Escape) {
        Confirm();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
