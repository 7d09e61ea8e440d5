#pragma once

#include "app/SecondaryDialogs.h"
#include "diag/NSReport.h"
#include "diag/NetworkTools.h"
#include "platform/LinuxNetworkState.h"
#include "platform/MessageBox.h"

#include <filesystem>

namespace app {

// The network report and the three tools, as the menus, the tray and the about box run
// them: the report into the window's folder, opened in the text editor, and each tool's
// script in a terminal with the target the user gave.
class CToolCommands {
public:
    // messageBox and dialogs must outlive the commands. An empty openReport opens the report
    // in the desktop's text editor.
    CToolCommands(std::filesystem::path folder, platform::CMessageBox& messageBox,
                  CSecondaryDialogs& dialogs, diag::CNSReport::OpenReport openReport = {});

    void OnNetworkReport();
    void OnPingTool();
    void OnTracertTool();
    void OnNslookupTool();

private:
    void AskAndLaunch(diag::Tool tool);
    void Launch(diag::Tool tool, const std::string& gbkParameters);

    platform::CMessageBox& m_messageBox;
    CSecondaryDialogs& m_dialogs;
    platform::CLinuxNetworkState m_state;
    diag::CNSReport m_nsReport;
    diag::CToolLauncher m_launcher;
};

} // namespace app
