#pragma once
// The short-form screen's five panels as data: each control with its name, kind, label, hint,
// byte limit, tag and tab position, and the cells that place them like the document's tables.
#include <QList>
#include <QString>

enum class ControlKind {
    Edit,        // free text
    ReadOnly,    // shows text the user cannot change
    SelectOnly,  // a drop-down list that cannot be typed into
    Combo,       // a drop-down with free typing
    Memo,        // multi-line text
    Hidden,      // a code carrier, never shown
    Button,      // a flat button that never takes the focus
};

enum ControlFlag {
    SkipTab = 1,    // Tab and Enter pass it by; a click still focuses it
    Disabled = 2,
    UpperCase = 4,
};

struct ControlSpec {
    QString name;
    ControlKind kind;
    QString label = {};    // shown beside it; a required field's ends in "*"; a button's caption
    QString hint = {};     // names the field in the data check; a button's tooltip
    int maxBytes = 0; // GB 18030 bytes; 0 no limit
    int tag = 0;      // 0 optional, 1 required, 2 hidden code carrier
    int tabOrder = 0; // position in the panel's tab order
    int flags = 0;
    QStringList items = {};  // fixed list items
    QString initial = {};    // initial text
    int width = 0;      // fixed width in its cell; 0 stretches
};

// A cell of a panel's grid. content: space-separated tokens, each a control of the panel, its
// label ("L:" + control name), a stretch ("~"), or literal text.
struct CellSpec {
    int row;
    int column;
    int span;
    QString content;
    bool label = false;
    int height = 32;
};

struct PanelSpec {
    QString name;   // GroupBox…
    QString title;  // written down the first column
    QList<int> columns;
    QList<ControlSpec> controls;  // in creation order, which the data check walks
    QList<CellSpec> cells;
};

// Top to bottom: GroupBox1, GroupBox5, GroupBox3, GroupBox4, GroupBox2.
const QList<PanelSpec>& ShortFormPanels();

// The member rows: the five fields of row N are these prefixes followed by N (2 … 10).
struct MemberColumn {
    QString prefix;
    QString label;  // the column label the messages use
};
const QList<MemberColumn>& MemberColumns();

inline const QString StatusBarText =
    QStringLiteral("注:以上*为必填项；▲为内容查找；回车或Tab键切换到时下一个输入框。");
