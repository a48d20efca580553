#pragma once
// The modal results the windows answer with, passed through QDialog::done.
enum ModalResult {
    ModalOk = 1,               // done
    ModalCancel = 2,           // cancelled, or failed
    ModalChosen = 6,           // a lookup dialog: an item was chosen
    ModalLookupCancelled = 7,  // a lookup dialog: cancelled
};
