#pragma once
// The seams' real implementations: message boxes, file dialogs, the desktop's URL handler.
#include "Seams.h"

#include <QStringList>

class MessageBoxPrompter : public Prompter {
public:
    void notice(const QString& text, const QString& caption, NoticeIcon icon) override;
    bool confirm(const QString& text, const QString& caption) override;
};

class DialogFilePicker : public FilePicker {
public:
    QString openFile(const QString& title, const QString& folder, const QString& filter) override;
    QString saveFile(const QString& title, const QString& folder, const QString& filter,
                     const QString& proposedName) override;
};

class DesktopUrlOpener : public UrlOpener {
public:
    bool openUrl(const QString& url) override;
};

// "描述(*.x)|*.x|…" as Qt name filters.
QStringList ToQtFilters(const QString& pipeFilter);
