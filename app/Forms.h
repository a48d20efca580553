#pragma once
// The program's windows, each created once at start in a fixed order and kept for the run.
#include <QString>

class TFrmVantraMain;
class Tfrmmsgbox;
class TfrmunivForm;
class Tfrmfiledlg;
class Tfrmzipx;
class TfrmAbout;

extern TFrmVantraMain* FrmVantraMain;
extern Tfrmmsgbox* frmmsgbox;
extern TfrmunivForm* frmunivForm;
extern Tfrmfiledlg* frmfiledlg;
extern TfrmAbout* frmAbout;

// Creates every window in order; the main window first, before the others exist.
void CreateForms();
// Frees them in reverse order.
void FreeForms();


