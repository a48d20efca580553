#pragma once
// TFrmVantraMain: the program's entry window with its five-button toolbar.
#include "FormHelpers.h"
#include "VantraExport.h"

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
    void ShowShortForm() override { TbSimpleformClick(); }
    void ShowShortFormWithoutWaiting() override;
    void OpenBodyText() override { TbtextClick(); }
    void SetAutoNameEnabled(bool on) override { AutoNameEnabled = on; }
    void ForgetShortForm() override;
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
