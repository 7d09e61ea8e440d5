#pragma once

#include "app/SecondaryDialogs.h"
#include "platform/MessageBox.h"

namespace app {

// The secondary dialogs put as plain questions to a message box: their texts and buttons
// without their own windows. Tests answer them from a script through it.
class CMessageBoxDialogs final : public CSecondaryDialogs {
public:
    // messageBox must outlive this object.
    explicit CMessageBoxDialogs(platform::CMessageBox& messageBox) : m_messageBox(messageBox) {}

    bool ConfirmExit() override;
    // Shows the prompt, then asks whether to remind again next time (No: do not remind).
    bool ShowConPrompt() override;
    bool ConfirmDeleteCurrent() override;
    bool ConfirmDeleteAll() override;
    // The about box's title line.
    void ShowAbout(const ui::AboutSites& sites, CToolCommands& tools) override;

private:
    platform::CMessageBox& m_messageBox;
};

} // namespace app
