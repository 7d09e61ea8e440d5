#include "cli/ReportCommand.h"

#include "cli/CommandContext.h"
#include "cli/TerminalMessageBox.h"
#include "diag/NSReport.h"
#include "platform/LinuxNetworkState.h"

#include <CLI/CLI.hpp>
#include <filesystem>

namespace cli {
namespace {

inline constexpr int kExitReportFailed = 4;

} // namespace

CLI::App* CReportCommand::Register(CLI::App& parent) {
    return parent.add_subcommand(
        "report", "Write the network state report nsr.txt in the working directory.");
}

int CReportCommand::Run(CCommandContext& context) {
    const platform::CLinuxNetworkState machine;
    // A part that cannot be read is a warning on standard error; the rest is still written.
    CTerminalMessageBox messageBox(context.Err());
    diag::CNSReport report(machine, messageBox, std::filesystem::current_path(), {});
    if (report.Report() != 0) {
        return context.Fail(kExitReportFailed, "Fail to report network state");
    }
    std::fprintf(context.Out(), "%s\n", report.ReportPath().c_str());
    return 0;
}

} // namespace cli
