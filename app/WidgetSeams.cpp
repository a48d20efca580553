#include "WidgetSeams.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

// Room for long Chinese file names and every column, in the program's face.
const QSize FileDialogSize(820, 500);

// The dialog's columns as wide as what they show (its own widths are made for a smaller face).
void WidenColumns(QFileDialog& dialog)
{
    dialog.resize(FileDialogSize);
    if (auto* view = dialog.findChild<QTreeView*>("treeView"))
        for (int column = 1; column < 4; ++column)
            view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    if (auto* split = dialog.findChild<QSplitter*>("splitter"))
        split->setSizes({150, FileDialogSize.width() - 150});
}

} // namespace

void MessageBoxPrompter::notice(const QString& text, const QString& caption, NoticeIcon icon)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // an address or a path can be copied
    switch (icon) {
    case NoticeIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case NoticeIcon::Question: box.setIcon(QMessageBox::Question); break;
    case NoticeIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case NoticeIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool MessageBoxPrompter::confirm(const QString& text, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // an address or a path can be copied
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    // Enter without moving the focus must not confirm.
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QStringList ToQtFilters(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i);
        const QString patterns = QString(parts.at(i + 1)).replace(';', ' ');
        filters << (description.endsWith("(" + patterns + ")") ? description
                                                                : description + " (" + patterns + ")");
    }
    return filters;
}

QString DialogFilePicker::openFile(const QString& title, const QString& folder, const QString& filter)
{
    QFileDialog dialog(QApplication::activeWindow(), title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The chosen file need not exist: callers judge what they get.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(ToQtFilters(filter));
    WidenColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString DialogFilePicker::saveFile(const QString& title, const QString& folder, const QString& filter,
                                   const QString& proposedName)
{
    QFileDialog dialog(QApplication::activeWindow(), title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(ToQtFilters(filter));
    dialog.selectFile(proposedName);
    WidenColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool DesktopUrlOpener::openUrl(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}
