#include "Forms.h"

#include "AboutBox.h"
#include "CodeLists.h"
#include "DisciplineTree.h"
#include "MemberOrder.h"
#include "Simpleform.h"
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
    FrmSimpleform = new TFrmSimpleform(FrmVantraMain);  // kept above the main window
    FrmVantraMain->ConnectShortForm(FrmSimpleform);
    frmcode = new Tfrmcode;
    frmxkdm_tree = new Tfrmxkdm_tree;
    frmmemberorder = new Tfrmmemberorder;
}

template <class T>
static void Free(T*& window)
{
    delete window;
    window = nullptr;
}

void FreeForms()
{
    Free(frmmemberorder);
    Free(frmxkdm_tree);
    Free(frmcode);
    Free(FrmSimpleform);
    Free(frmAbout);
    Free(frmzipx);
    Free(frmfiledlg);
    Free(frmunivForm);
    installProgress(nullptr);
    Free(frmmsgbox);
    Free(FrmVantraMain);
}
