#include "LookupDialog.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LookupDialog::LookupDialog(QWidget* parent, const QString& keyLabel, const QString& keySpoken,
                           QAbstractItemView* view, const QString& viewSpoken)
    : QDialog(parent), m_view(view)
{
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(keyLabel, this);
    m_key = new QLineEdit(this);
    m_key->setAccessibleName(keySpoken);
    label->setBuddy(m_key);
    m_search = new QPushButton(QStringLiteral("查询"), this);
    m_search->setObjectName("BitBtn3");
    m_search->setAutoDefault(false);
    top->addWidget(label);
    top->addWidget(m_key);
    top->addWidget(m_search);
    layout->addLayout(top);
    view->setParent(this);
    view->setAccessibleName(viewSpoken);
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(this);
    m_confirm = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    m_confirm->setObjectName("BitBtn1");
    m_cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName("BitBtn2");
    for (QPushButton* button : {m_confirm, m_cancel})
        button->setAutoDefault(false);  // Enter belongs to the condition field and the view
    layout->addWidget(buttons);
    m_key->installEventFilter(this);
    view->installEventFilter(this);
    connect(m_search, &QPushButton::clicked, this, [this] { Search(); });
    connect(m_confirm, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(m_cancel, &QPushButton::clicked, this, &LookupDialog::reject);
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { Confirm(); });
}

void LookupDialog::reject()
{
    done(ModalLookupCancelled);
}

void LookupDialog::KeyEntered()
{
    Search();
}

bool LookupDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_key && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        KeyEntered();
        return true;
    }
    // Any typed key in the view confirms, Enter included; moving keys still move.
    if (watched == m_view && !key->text().isEmpty() && key->key() != Qt::Key_Escape) {
        Confirm();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
