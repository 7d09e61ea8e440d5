#pragma once

#include "diag/NSReport.h"
#include "diag/NetworkTools.h"
#include "platform/LinuxNetworkState.h"
#include "platform/MessageBox.h"
#include "ui/ToolCommands.h"

#include <filesystem>

namespace app {

// The network report and the three tools, as the menus, the tray and the about box run
// them: the report into the window's folder, opened in the text editor, and each tool's
// dialog over parent, its script started from the folder.
class CToolCommands {
public:
    // messageBox must outlive the commands. An empty openReport opens the report in the
    // desktop's text editor.
    CToolCommands(std::filesystem::path folder, platform::CMessageBox& messageBox,
                  diag::CNSReport::OpenReport openReport = {});

    // The window the tools' dialogs are modal to.
    void SetParent(QWidget* parent) { m_parent = parent; }

    void OnNetworkReport();
    void OnPingTool();
    void OnTracertTool();
    void OnNslookupTool();

private:
    platform::CMessageBox& m_messageBox;
    platform::CLinuxNetworkState m_state;
    diag::CNSReport m_nsReport;
    diag::CToolLauncher m_launcher;
    ui::CToolCommands m_tools;
    QWidget* m_parent = nullptr;
};

} // namespace app
