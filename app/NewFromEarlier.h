#pragma once
// "从旧申请书新建" from the user's side: the earlier application read, its groups shown to be
// chosen, the new application made in the document folder as a new one is, with the progress
// window while a Word 97 body is converted. Whatever fails is said.
#include "CarryOver.h"

#include <QString>
#include <optional>

class QWidget;

struct NewFromEarlier {
    QString path;
    QList<LeftOut> leftOut;
};
std::optional<NewFromEarlier> MakeNewFromEarlier(const QString& earlierPath, QWidget* parent);
