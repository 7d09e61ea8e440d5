#pragma once

#include "gateway/GatewayServer.h"
#include "ui/TemplateDialog.h"

#include <array>
#include <string>

namespace platform {
class CMessageBox;
}

namespace ui {

class CLinkStatic;

// Where the about box's links lead: the gateway site, the campus card payment site and the
// support desk's mailbox. An empty card host or mail address leaves that link without a
// command (a click shows "No Command"); without a mail address its link is not shown.
struct AboutSites {
    gateway::GatewayServer gateway;
    std::string cardHost;
    std::string supportMail;
};

// The about box (template 100): what the client is, its notes, five links to the gateway
// and card sites, the support mail link and the four network tools. The tool buttons only
// signal; the owner runs the report and the tools, whose dialogs open over the about box.
class CAboutDlg : public CTemplateDialog {
    Q_OBJECT

public:
    // messages shows the links' "No Command"; it must outlive the dialog.
    CAboutDlg(QWidget* parent, const AboutSites& sites, platform::CMessageBox& messages);

    // The commands of links 1016, 1017, 1025, 1026, 1027 and 1028, in that order.
    static std::array<QString, 6> LinkCommands(const AboutSites& sites);

signals:
    void networkReportRequested(); // button 1040
    void pingRequested();          // button 1041
    void tracertRequested();       // button 1043
    void nslookupRequested();      // button 1042

private:
    void AddTexts();
    void AddLinks(const AboutSites& sites, platform::CMessageBox& messages);
    void AddTools();
    CLinkStatic* AddLink(platform::CMessageBox& messages, const QString& text,
                         const QString& command, int id, QRect dialogUnits);
};

} // namespace ui
