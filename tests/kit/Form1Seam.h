#pragma once

// Test-only: the window's inner parts that tests reach into and the program never asks the window
// for, through the seam Form1 opens to tests alone. The program never builds this.
#include "app/Form1.h"
#include "store/recovery/Recovery.h"
#include "tray/Module2.h"

namespace app {

struct Form1Seam
{
    static store::Module1& database(Form1& form) { return *form.m_db; }
    // The window's place on the screens, and its scroll area where a screen is too small for it.
    static WindowFit* windowFit(const Form1& form) { return form.m_fit; }
    // The search line over List1 (Ctrl+F, or typing into the list).
    static ListSearchLine* searchLine(const Form1& form) { return form.m_searchLine; }
    static tray::Module2* trayModule(const Form1& form) { return form.m_tray.get(); }
    static store::Recovery& recovery(Form1& form) { return *form.m_recovery; }
    // Runs a moment after the typing pauses and writes the draft of unsaved edits.
    static QTimer* draftTimer(const Form1& form) { return form.m_draftTimer; }
};

} // namespace app
