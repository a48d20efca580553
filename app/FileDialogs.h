#pragma once
// TfrmunivForm: the holder of the system's one open dialog and one save dialog. Never shown.
#include <QObject>
#include <QString>

class TfrmunivForm : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // fileName: the chosen full path, or empty when the user cancelled.
    void OpenDlgOne(const QString& title, const QString& initialFolder, const QString& filter, QString& fileName);
    void SaveDlg(const QString& title, const QString& initialFolder, const QString& filter,
                 const QString& proposedName, QString& fileName);
};
