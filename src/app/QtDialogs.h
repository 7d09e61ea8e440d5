#pragma once

#include "app/SecondaryDialogs.h"
#include "platform/MessageBox.h"

class QWidget;

namespace app {

// The secondary dialogs as the program shows them: the windows of src/ui, modal, over
// parent.
class CQtDialogs final : public CSecondaryDialogs {
public:
    // messageBox shows the about box's "No Command"; it must outlive this object.
    CQtDialogs(QWidget* parent, platform::CMessageBox& messageBox)
        : m_parent(parent), m_messageBox(messageBox) {}

    bool ConfirmExit() override;
    bool ShowConPrompt() override;
    bool ConfirmDeleteCurrent() override;
    bool ConfirmDeleteAll() override;
    void ShowAbout(const ui::AboutSites& sites, CToolCommands& tools) override;

    void SetParent(QWidget* parent) { m_parent = parent; }

private:
    QWidget* m_parent;
    platform::CMessageBox& m_messageBox;
};

} // namespace app
