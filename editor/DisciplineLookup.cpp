#include "DisciplineLookup.h"

#include "DisciplineTree.h"
#include "Text.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// The first child of parent whose code begins with the key's first length characters.
QTreeWidgetItem* ChildWithCode(QTreeWidgetItem* parent, const QString& key, int length)
{
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0).left(length) == key.left(length))
            return parent->child(i);
    return nullptr;
}

} // namespace

OnFirstUse<Tfrmxkdm_tree> frmxkdm_tree([]() -> Tfrmxkdm_tree* { return new Tfrmxkdm_tree; });

Tfrmxkdm_tree::Tfrmxkdm_tree(QWidget* parent)
    : LookupDialog(parent, QStringLiteral("学科代码："), QStringLiteral("学科代码"), new QTreeWidget,
                   QStringLiteral("学科代码树"))
{
    setObjectName("frmxkdm_tree");
    setWindowTitle(QStringLiteral("代码查询"));
    resize(460, 520);
    Edit1 = m_key;
    Edit1->setObjectName("Edit1");
    TreeView1 = static_cast<QTreeWidget*>(m_view);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    BitBtn1 = m_confirm;
    BitBtn2 = m_cancel;
    BitBtn3 = m_search;
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, &Tfrmxkdm_tree::SelectionChanged);
}

void Tfrmxkdm_tree::Build()
{
    QList<QTreeWidgetItem*> parents;  // the last item of each level
    for (const DisciplineNode& node : EmbeddedDisciplines()) {
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
    LookupDialog::showEvent(event);
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
    // Codes are three, six and eight characters long, one level of the tree each.
    QTreeWidgetItem* top = ChildWithCode(TreeView1->invisibleRootItem(), key, 3);
    if (!top)
        return;
    top->setExpanded(true);
    if (key.size() < 6)
        return;
    QTreeWidgetItem* second = ChildWithCode(top, key, 6);
    if (!second)
        return;
    second->setExpanded(true);
    TreeView1->setCurrentItem(second);
    TreeView1->setFocus();
    if (key.size() != 8)
        return;
    if (QTreeWidgetItem* third = ChildWithCode(second, key, 8)) {
        TreeView1->setCurrentItem(third);
        TreeView1->setFocus();
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

