// gatewayd: a gateway server for the tests and the demo. See UsageText for the options.

#include "platform/Process.h"
#include "tools/gatewayd/AccountBook.h"
#include "tools/gatewayd/AccountCommands.h"
#include "tools/gatewayd/AccountsFile.h"
#include "tools/gatewayd/AtomicFile.h"
#include "tools/gatewayd/CommandLine.h"
#include "tools/gatewayd/ControlCommands.h"
#include "tools/gatewayd/ControlServer.h"
#include "tools/gatewayd/DocumentService.h"
#include "tools/gatewayd/GatewayService.h"
#include "tools/gatewayd/HeartbeatService.h"
#include "tools/gatewayd/HttpListener.h"
#include "tools/gatewayd/StateFolder.h"
#include "tools/gatewayd/TlsListener.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 64; // EX_USAGE

void Complain(const std::string& message) {
    std::fprintf(stderr, "gatewayd: %s\n", message.c_str());
}

// Blocks the stop signals in this thread and, by inheritance, in every thread started
// later, so that only the main thread's sigwait() takes them.
bool BlockStopSignals(sigset_t& signals) {
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return pthread_sigmask(SIG_BLOCK, &signals, nullptr) == 0;
}

// Starts the plain-HTTP site when the options ask for it; false when it cannot start.
bool StartSite(const gatewayd::Options& options, const gatewayd::CDocumentService& documents,
               std::unique_ptr<gatewayd::CHttpListener>& site) {
    if (!options.httpPort) {
        return true;
    }
    gatewayd::ListenerOptions siteOptions;
    siteOptions.bindAddress = options.bindAddress;
    siteOptions.port = *options.httpPort;
    site = std::make_unique<gatewayd::CHttpListener>(
        [&documents](std::string_view head, std::string_view) { return documents.Respond(head); },
        siteOptions);
    std::string error;
    if (!site->Start(error)) {
        Complain(error);
        return false;
    }
    std::printf("gatewayd serving HTTP on %s\n", site->Endpoint().c_str());
    return true;
}

// The TLS port alone on the first line, as scripts read it, then one line per other service.
std::string PortFileText(std::uint16_t tlsPort, const gatewayd::CHttpListener* site) {
    std::string text = std::to_string(tlsPort) + "\n";
    if (site != nullptr) {
        text += "http " + std::to_string(site->Port()) + "\n";
    }
    return text;
}

// --send: hands the line to the running gatewayd and prints its answer.
int SendControl(const gatewayd::Options& options) {
    std::string error;
    const std::string answer = gatewayd::SendControlLine(std::filesystem::path(options.stateDir) /
                                                             gatewayd::kControlSocketFile,
                                                         options.sendLine, error);
    if (answer.empty()) {
        Complain(error);
        return kExitFailure;
    }
    std::printf("%s\n", answer.c_str());
    return answer.starts_with("ok") ? 0 : kExitFailure;
}

} // namespace

int main(int argc, char** argv) {
    platform::IgnoreBrokenPipe();
    const gatewayd::CommandLine commandLine = gatewayd::ParseCommandLine(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
    switch (commandLine.action) {
    case gatewayd::CommandLine::Action::ShowHelp:
        std::fputs(gatewayd::UsageText().c_str(), stdout);
        return 0;
    case gatewayd::CommandLine::Action::UsageError:
        Complain(commandLine.error);
        std::fputs(gatewayd::UsageText().c_str(), stderr);
        return kExitUsage;
    case gatewayd::CommandLine::Action::Send:
        return SendControl(commandLine.options);
    case gatewayd::CommandLine::Action::Run:
        break;
    }
    const gatewayd::Options& options = commandLine.options;

    sigset_t stopSignals;
    if (!BlockStopSignals(stopSignals)) {
        Complain("cannot block the stop signals");
        return kExitFailure;
    }

    gatewayd::AccountsFileResult accounts = gatewayd::LoadAccountsFile(options.accountsFile);
    if (!accounts.Ok()) {
        Complain(accounts.error);
        return kExitFailure;
    }
    gatewayd::Credentials credentials;
    std::string error;
    if (!gatewayd::LoadOrIssueCredentials(options.stateDir, options.host, credentials, error)) {
        Complain(error);
        return kExitFailure;
    }

    gatewayd::CAccountBook book(std::move(accounts.accounts));
    gatewayd::CGatewayService service(book);
    gatewayd::TlsListenerOptions listenerOptions;
    listenerOptions.bindAddress = options.bindAddress;
    listenerOptions.port = options.tlsPort;
    gatewayd::CTlsListener listener(
        [&service](std::string_view head, std::string_view peer) {
            return service.Respond(head, peer);
        },
        listenerOptions);
    if (!listener.Start(credentials, error)) {
        Complain(error);
        return kExitFailure;
    }
    // Before the port file, so that whoever sees it can probe and send control lines at once;
    // the responders before the channel whose commands switch them.
    gatewayd::CControlCommands commands;
    gatewayd::CHeartbeatService heartbeat([&book] { return book.AnyDropped(); });
    heartbeat.AddCommands(commands);
    gatewayd::CAccountCommands accountCommands(book);
    accountCommands.AddCommands(commands);
    gatewayd::CControlServer control(
        [&commands](std::string_view line) { return commands.Execute(line); });
    if (!heartbeat.Start(options, error) ||
        !control.Listen(std::filesystem::path(options.stateDir) / gatewayd::kControlSocketFile,
                        error) ||
        !control.Start(error)) {
        Complain(error);
        return kExitFailure;
    }
    std::printf("gatewayd listening on %s\n", listener.Endpoint().c_str());
    const gatewayd::CDocumentService documents({options.ipmacFile, options.announceFile});
    std::unique_ptr<gatewayd::CHttpListener> site;
    if (!StartSite(options, documents, site)) {
        return kExitFailure;
    }
    std::fflush(stdout);
    if (!options.portFile.empty() &&
        !gatewayd::WriteFileAtomically(
            options.portFile, PortFileText(listener.Port(), site.get()) + heartbeat.PortLines(),
            0644, error)) {
        Complain(error);
        return kExitFailure;
    }

    int received = 0;
    const bool waited = sigwait(&stopSignals, &received) == 0;
    listener.Stop();
    if (site) {
        site->Stop();
    }
    control.Stop();
    heartbeat.Stop();
    if (!waited) {
        Complain("cannot wait for the stop signals");
        return kExitFailure;
    }
    return 0;
}
