#include "FileDialogs.h"

#include "Seams.h"

void TfrmunivForm::OpenDlgOne(const QString& title, const QString& initialFolder, const QString& filter,
                              QString& fileName)
{
    fileName = filePicker().openFile(title, initialFolder, filter);
}

void TfrmunivForm::SaveDlg(const QString& title, const QString& initialFolder, const QString& filter,
                           const QString& proposedName, QString& fileName)
{
    fileName = filePicker().saveFile(title, initialFolder, filter, proposedName);
}
