#pragma once
// The code lists of the short form's choice boxes, as the embedded resource holds them: a
// header (count in columns 1-5, then the target's name) followed by that many "code|text"
// lines, each split at its last "|".
#include <QList>
#include <QString>
#include <utility>

struct CodeList {
    QString target;  // the combo box's name
    QList<std::pair<QString, QString>> items;  // code, text
};

QList<CodeList> ParseCodeLists(const QString& text);
// The lists of this edition, from the embedded resource.
QList<CodeList> EmbeddedCodeLists();
