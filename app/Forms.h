#pragma once
// The program's windows. The main window and the progress window are made at start; every
// other window is made at its first use and kept for the run.
#include "OnFirstUse.h"

#include <QString>

class TFrmVantraMain;
class Tfrmmsgbox;
class TfrmunivForm;
class Tfrmfiledlg;
class Tfrmzipx;
class TfrmAbout;

extern TFrmVantraMain* FrmVantraMain;
extern Tfrmmsgbox* frmmsgbox;
extern OnFirstUse<TfrmunivForm> frmunivForm;
extern OnFirstUse<Tfrmfiledlg> frmfiledlg;
extern OnFirstUse<TfrmAbout> frmAbout;

// Creates the main window and the progress window, and tells the windows made later who their
// parent is.
void CreateForms();
// What the user most likely opens first (the short-form screen) is made and drawn once off
// screen, so that its fonts and styles are ready; called once the main window has appeared and
// the program waits for the user.
void PrepareLikelyWindows();
constexpr int PrepareAfterStartMs = 250;
// Frees those made, in reverse order.
void FreeForms();


