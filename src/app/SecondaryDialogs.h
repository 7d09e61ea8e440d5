#pragma once

#include "ui/AboutDlg.h"

#include <QString>

namespace app {

class CToolCommands;

// The small modal dialogs that the main window opens for one answer each. The program shows
// the real dialogs; tests answer them from a script.
class CSecondaryDialogs {
public:
    virtual ~CSecondaryDialogs() = default;

    // The exit confirmation while connected; true for OK.
    virtual bool ConfirmExit() = 0;

    // The arrears prompt after a connect; answers whether "do not remind me again" was
    // ticked and confirmed with OK.
    virtual bool ShowConPrompt() = 0;

    // The confirmations of the two delete links; true for OK.
    virtual bool ConfirmDeleteCurrent() = 0;
    virtual bool ConfirmDeleteAll() = 0;

    // The about box, whose tool buttons run tools.
    virtual void ShowAbout(const ui::AboutSites& sites, CToolCommands& tools) = 0;
};

} // namespace app
