#include "DisciplineTree.h"

#include "Gb18030.h"
#include "Resources.h"
#include "Text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

Tfrmxkdm_tree* frmxkdm_tree = nullptr;

QList<DisciplineNode> ParseDisciplines(const QString& text)
{
    QList<DisciplineNode> nodes;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) {
        int level = 0;
        while (level < line.size() && line.at(level) == '\t')
            ++level;
        if (level < line.size())
            nodes.append({level, line.mid(level)});
    }
    return nodes;
}

QString DisciplineCode(const QString& text)
{
    return TrimBlanks(text.section(' ', 0, 0));
}

QString DisciplineName(const QString& text)
{
    const qsizetype blank = text.indexOf(' ');
    return blank < 0 ? QString() : TrimBlanks(text.mid(blank + 1));
}

Tfrmxkdm_tree::Tfrmxkdm_tree(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmxkdm_tree");
    setWindowTitle(QStringLiteral("代码查询"));
    resize(460, 520);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("学科代码："), this));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setAccessibleName(QStringLiteral("学科代码"));
    top->addWidget(Edit1);
    BitBtn3 = new QPushButton(QStringLiteral("查询"), this);
    top->addWidget(BitBtn3);
    layout->addLayout(top);
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setAccessibleName(QStringLiteral("学科代码树"));
    TreeView1->setHeaderHidden(true);
    layout->addWidget(TreeView1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    bottom->addWidget(BitBtn1);
    bottom->addWidget(BitBtn2);
    layout->addLayout(bottom);
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3})
        b->setAutoDefault(false);
    Edit1->installEventFilter(this);
    TreeView1->installEventFilter(this);
    connect(BitBtn3, &QPushButton::clicked, this, &Tfrmxkdm_tree::Search);
    connect(BitBtn1, &QPushButton::clicked, this, &Tfrmxkdm_tree::Confirm);
    connect(BitBtn2, &QPushButton::clicked, this, &Tfrmxkdm_tree::reject);
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, &Tfrmxkdm_tree::Confirm);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, &Tfrmxkdm_tree::SelectionChanged);
}

void Tfrmxkdm_tree::Build()
{
    const QString text = FromGb18030(ResourceBytes("text", "xkpz").value_or(QByteArray()));
    QList<QTreeWidgetItem*> parents;  // the last item of each level
    for (const DisciplineNode& node : ParseDisciplines(text)) {
        if (node.level > parents.size())
            continue;  // a line deeper than its predecessor allows is not part of the tree
        parents = parents.mid(0, node.level);
        auto* item = node.level == 0 ? new QTreeWidgetItem(TreeView1) : new QTreeWidgetItem(parents.last());
        item->setText(0, node.text);
        parents.append(item);
    }
    m_built = true;
}

void Tfrmxkdm_tree::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_built)
        Build();
    TreeView1->collapseAll();
    BitBtn1->setEnabled(false);
    if (!SelCode.isEmpty())
        Edit1->setText(SelCode);
    Search();
}

void Tfrmxkdm_tree::Search()
{
    const QString key = TrimBlanks(Edit1->text());
    if (key.isEmpty())
        return;
    QTreeWidgetItem* top = nullptr;
    for (int i = 0; i < TreeView1->topLevelItemCount() && !top; ++i)
        if (TreeView1->topLevelItem(i)->text(0).left(3) == key.left(3))
            top = TreeView1->topLevelItem(i);
    if (!top)
        return;
    top->setExpanded(true);
    if (key.size() < 6)
        return;
    QTreeWidgetItem* second = nullptr;
    for (int i = 0; i < top->childCount() && !second; ++i)
        if (top->child(i)->text(0).left(6) == key.left(6))
            second = top->child(i);
    if (!second)
        return;
    second->setExpanded(true);
    TreeView1->setCurrentItem(second);
    TreeView1->setFocus();
    if (key.size() != 8)
        return;
    for (int i = 0; i < second->childCount(); ++i)
        if (second->child(i)->text(0).left(8) == key) {
            TreeView1->setCurrentItem(second->child(i));
            TreeView1->setFocus();
            return;
        }
}

void Tfrmxkdm_tree::SelectionChanged()
{
    QTreeWidgetItem* item = TreeView1->currentItem();
    if (!item)
        return;
    if (item->childCount() > 0) {
        setWindowTitle(QStringLiteral("请选择下一级学科代码"));
        BitBtn1->setEnabled(false);
        return;
    }
    setWindowTitle(item->text(0));
    SelCode = DisciplineCode(item->text(0));
    SelName = DisciplineName(item->text(0));
    QTreeWidgetItem* root = item;
    while (root->parent())
        root = root->parent();
    SelRootName = DisciplineName(root->text(0));
    BitBtn1->setEnabled(true);
}

void Tfrmxkdm_tree::Confirm()
{
    if (BitBtn1->isEnabled())
        done(ResultChosen);
}

void Tfrmxkdm_tree::reject()
{
    done(ResultCancelled);
}

bool Tfrmxkdm_tree::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == Edit1 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        Search();
        return true;
    }
    if (watched == TreeView1 && !key->text().isEmpty() && key->key() != Qt::Key_Escape) {
        Confirm();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
