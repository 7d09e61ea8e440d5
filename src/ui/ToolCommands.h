#pragma once

#include "diag/NetworkTools.h"

#include <QString>

class QWidget;

namespace platform {
class CMessageBox;
}

namespace ui {

// The commands of the three network tools, the same from the main window's Tools menu, the
// tray menu and the about box: each asks for its target in its dialog, modal over the
// window that asked, and starts the tool's script with it.
class CToolCommands {
public:
    // launcher and messages must outlive the commands.
    CToolCommands(const diag::CToolLauncher& launcher, platform::CMessageBox& messages);

    // Each runs its dialog and, on "确定", starts the script with the target as typed (the
    // ping target followed by " -t" when "持续" is ticked) and answers true once it was
    // started. Cancel starts nothing and answers false. A target that GBK cannot hold, or a
    // script that could not be started, is said through the message box.
    bool OnPingTool(QWidget* parent);
    bool OnTracertTool(QWidget* parent);
    bool OnNslookupTool(QWidget* parent);

private:
    bool Launch(diag::Tool tool, const QString& host, bool continuous);

    const diag::CToolLauncher& m_launcher;
    platform::CMessageBox& m_messages;
};

} // namespace ui
