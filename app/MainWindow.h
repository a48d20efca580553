#pragma once
// TFrmVantraMain: the program's entry window with its five-button toolbar.
#include "ApplicationDocument.h"
#include "DocumentLock.h"
#include "FormHelpers.h"
#include "VantraExport.h"
#include "WordSession.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QToolBar;
class TFrmSimpleform;

class TFrmVantraMain : public QMainWindow, public SubmitHost {
    Q_OBJECT
public:
    explicit TFrmVantraMain(QWidget* parent = nullptr);
    ~TFrmVantraMain() override;  // FormDestroy

    // The document session and the document lock for the whole run, and the open application,
    // which every window reaches through this one. Destroyed in reverse: the document, the
    // lock, then the session, which quits its engine.
    Twordqen WordSession;
    Tlockqen DocLock;
    ApplicationDocument Document;

    bool CloseWithoutAsking = false;
    bool SaveAsWarned = false;
    qint32 MaxProjectYears = 0;
    QString NamingBase;
    QString ApplicantId;
    bool AutoNameEnabled = false;

    QToolBar* ToolBarx;
    QAction* TbSimpleform;
    QAction* Tbtext;
    QAction* tbExport;
    QAction* tbabout;
    QAction* tbexit;
    QLabel* Image1;
    QLabel* StatusPanel;
    BannerSet TitleBanner;
    BannerSet EditionBanner;

    // Command-line arguments after the program name; set before the window is shown.
    QStringList Arguments;

    void FormShow();
    void FormResize();
    void TbSimpleformClick();
    void TbtextClick();
    void tbExportClick();
    void tbaboutClick();
    void tbexitClick();
    // The short-form screen hands over the naming base and the identity number on a normal close.
    void ConnectShortForm(TFrmSimpleform* screen);
    // The document's name from the applicant's data, after the short form was closed normally.
    void AutoName();

    // What the submission flow asks of the main window.
    ApplicationDocument& WorkingDocument() override { return Document; }
    void ShowShortFormOf(ApplicationDocument& document) override;
    void ShowShortFormWithoutWaiting() override;
    void OpenBodyTextOf(const QString& path) override;
    void SetAutoNameEnabled(bool on) override { AutoNameEnabled = on; }
    QString SaveDlg(const QString& title, const QString& folder, const QString& filter,
                    const QString& proposedName) override;

    // The first showing asked to end the program: the window is never shown.
    bool QuitRequested = false;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;  // FormClose

private:
    void FormCreate();
    void Quit();
    void PlaceAtTop();
    bool m_placedOnScreen = false;
};
