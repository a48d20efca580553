#include "Forms.h"

#include "AboutBox.h"
#include "DocumentChooser.h"
#include "FileDialogs.h"
#include "MainWindow.h"
#include "PackageWindow.h"
#include "ProgressWindow.h"
#include "Seams.h"

TFrmVantraMain* FrmVantraMain = nullptr;
Tfrmmsgbox* frmmsgbox = nullptr;
TfrmunivForm* frmunivForm = nullptr;
Tfrmfiledlg* frmfiledlg = nullptr;
Tfrmzipx* frmzipx = nullptr;
TfrmAbout* frmAbout = nullptr;

void CreateForms()
{
    FrmVantraMain = new TFrmVantraMain;
    frmmsgbox = new Tfrmmsgbox;
    installProgress(frmmsgbox);
    frmunivForm = new TfrmunivForm;
    frmfiledlg = new Tfrmfiledlg;
    frmzipx = new Tfrmzipx;
    frmAbout = new TfrmAbout;
}

template <class T>
static void Free(T*& window)
{
    delete window;
    window = nullptr;
}

void FreeForms()
{
    Free(frmAbout);
    Free(frmzipx);
    Free(frmfiledlg);
    Free(frmunivForm);
    installProgress(nullptr);
    Free(frmmsgbox);
    Free(FrmVantraMain);
}

QFont WindowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    return font;
}
