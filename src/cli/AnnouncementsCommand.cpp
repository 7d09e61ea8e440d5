#include "cli/AnnouncementsCommand.h"

#include "announce/VORNNotification.h"
#include "cli/CommandContext.h"
#include "cli/GbkOutput.h"

#include <CLI/CLI.hpp>

namespace cli {
namespace {

constexpr int kExitDownloadFailed = 4;

// The listing takes the popup's place: a single fetch never reaches it.
class CNoPopup : public announce::CNotificationPopup {
public:
    bool AddMessage(const announce::CVORNNotificationMessage&) override { return false; }
    bool Popup() override { return false; }
};

} // namespace

CLI::App* CAnnouncementsCommand::Register(CLI::App& parent) {
    return parent.add_subcommand("announcements",
                                 "Fetch the operator's announcements once and list them.");
}

int CAnnouncementsCommand::Run(CCommandContext& context) {
    CNoPopup popup;
    announce::CVORNNotification feed(context.ChooseServer(), popup);
    const announce::CVORNNotificationMessage* parsed = feed.Fetch();
    if (parsed == nullptr) {
        return context.Fail(kExitDownloadFailed,
                            "cannot download the announcements: " + feed.LastError());
    }
    for (const announce::CVORNNotificationMessage& record : parsed->Records()) {
        context.PrintGbk(Visible(record.Title()) + '\t' + Visible(record.Url()));
    }
    return 0;
}

} // namespace cli
