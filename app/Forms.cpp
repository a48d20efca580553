#include "Forms.h"

#include "AboutBox.h"
#include "CodeLookup.h"
#include "DisciplineLookup.h"
#include "MailServerDialog.h"
#include "MemberOrder.h"
#include "SendEmail.h"
#include "SubmitType.h"
#include "VantraExport.h"
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
    frmsubmittype = new Tfrmsubmittype(FrmVantraMain);
    frmsendemail = new Tfrmsendemail(FrmVantraMain);
    frmmailserver = new Tfrmmailserver(FrmVantraMain);  // asked from the e-mail dialog and the choice of method
    FrmSimpleform = new TFrmSimpleform(FrmVantraMain);  // kept above the main window
    FrmVantraMain->ConnectShortForm(FrmSimpleform);
    frmcode = new Tfrmcode;
    frmxkdm_tree = new Tfrmxkdm_tree;
    frmVantraExport = new TfrmVantraExport(FrmVantraMain, FrmVantraMain);
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
    Free(frmVantraExport);
    Free(frmxkdm_tree);
    Free(frmcode);
    Free(FrmSimpleform);
    Free(frmmailserver);
    Free(frmsendemail);
    Free(frmsubmittype);
    Free(frmAbout);
    Free(frmzipx);
    Free(frmfiledlg);
    Free(frmunivForm);
    installProgress(nullptr);
    Free(frmmsgbox);
    Free(FrmVantraMain);
}
