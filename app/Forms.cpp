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

#include <QPixmap>

TFrmVantraMain* FrmVantraMain = nullptr;
Tfrmmsgbox* frmmsgbox = nullptr;
OnFirstUse<TfrmunivForm> frmunivForm([]() -> TfrmunivForm* { return new TfrmunivForm; });
OnFirstUse<Tfrmfiledlg> frmfiledlg([]() -> Tfrmfiledlg* { return new Tfrmfiledlg; });
OnFirstUse<TfrmAbout> frmAbout([]() -> TfrmAbout* { return new TfrmAbout; });

void CreateForms()
{
    FrmVantraMain = new TFrmVantraMain;
    frmmsgbox = new Tfrmmsgbox;
    installProgress(frmmsgbox);
    // These stay above the main window.
    frmsubmittype.makeWith([]() -> Tfrmsubmittype* { return new Tfrmsubmittype(FrmVantraMain); });
    frmsendemail.makeWith([]() -> Tfrmsendemail* { return new Tfrmsendemail(FrmVantraMain); });
    frmmailserver.makeWith([]() -> Tfrmmailserver* { return new Tfrmmailserver(FrmVantraMain); });
    frmVantraExport.makeWith([]() -> TfrmVantraExport* { return new TfrmVantraExport(FrmVantraMain, FrmVantraMain); });
    FrmSimpleform.makeWith([]() -> TFrmSimpleform* {
        auto* screen = new TFrmSimpleform(FrmVantraMain);
        FrmVantraMain->ConnectShortForm(screen);
        return screen;
    });
}

void PrepareLikelyWindows()
{
    if (!FrmVantraMain || FrmSimpleform.built())
        return;
    QPixmap canvas(FrmSimpleform->size());
    FrmSimpleform->render(&canvas);
}

void FreeForms()
{
    frmmemberorder.free();
    frmVantraExport.free();
    frmxkdm_tree.free();
    frmcode.free();
    FrmSimpleform.free();
    frmmailserver.free();
    frmsendemail.free();
    frmsubmittype.free();
    frmAbout.free();
    frmzipx.free();
    frmfiledlg.free();
    frmunivForm.free();
    installProgress(nullptr);
    delete frmmsgbox;
    frmmsgbox = nullptr;
    delete FrmVantraMain;
    FrmVantraMain = nullptr;
}
