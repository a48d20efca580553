#pragma once
// The three-level discipline tree (GB/T 13745-92) as the embedded resource holds it: one node
// a line, its level the tabs before it.
#include <QList>
#include <QString>

struct DisciplineNode {
    int level = 0;
    QString text;  // the line after its tabs: code, blank, name
};

// One node per line; the tabs before a line give its level.
QList<DisciplineNode> ParseDisciplines(const QString& text);
// The code and the name of a node's text, split at the first blank, both trimmed.
QString DisciplineCode(const QString& text);
QString DisciplineName(const QString& text);

// The tree of this edition, from the embedded resource.
QList<DisciplineNode> EmbeddedDisciplines();
