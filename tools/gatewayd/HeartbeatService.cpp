#include "tools/gatewayd/HeartbeatService.h"

#include <arpa/inet.h>

namespace gatewayd {
namespace {

constexpr std::size_t kDomestic = 1; // in m_responders

} // namespace

CHeartbeatService::CHeartbeatService(std::function<bool()> domesticQuiet) {
    m_responders[kDomestic].responder.SetQuietWhile(std::move(domesticQuiet));
}

bool CHeartbeatService::Start(const Options& options, std::string& error) {
    const std::optional<std::uint16_t> ports[] = {options.campusPort, options.domesticPort};
    for (std::size_t i = 0; i < m_responders.size(); ++i) {
        if (ports[i] && !StartOne(m_responders[i], options.bindAddress, *ports[i], error)) {
            return false;
        }
    }
    return true;
}

std::string CHeartbeatService::PortLines() const {
    std::string lines;
    for (const Responder& responder : m_responders) {
        if (responder.running) {
            lines += std::string(responder.name) + " " +
                     std::to_string(responder.responder.Port()) + "\n";
        }
    }
    return lines;
}

bool CHeartbeatService::StartOne(Responder& responder, const std::string& address,
                                 std::uint16_t port, std::string& error) {
    in_addr scratch{};
    if (inet_pton(AF_INET, address.c_str(), &scratch) != 1) {
        error = "the heartbeat responders need an IPv4 --bind address, not \"" + address + "\"";
        return false;
    }
    if (!responder.responder.Listen(address, port, error) || !responder.responder.Start(error)) {
        error = std::string(responder.name) + ": " + error;
        return false;
    }
    responder.running = true;
    return true;
}

void CHeartbeatService::Stop() {
    for (Responder& responder : m_responders) {
        responder.responder.Stop();
    }
}

void CHeartbeatService::AddCommands(CControlCommands& commands) {
    commands.Add("heartbeat", "heartbeat campus|domestic silent|answer",
                 [this](std::span<const std::string_view> arguments, bool& failed) {
                     return Switch(arguments, failed);
                 });
}

std::string CHeartbeatService::Switch(std::span<const std::string_view> arguments, bool& failed) {
    failed = true;
    if (arguments.size() != 2 || (arguments[1] != "silent" && arguments[1] != "answer")) {
        return "usage: heartbeat campus|domestic silent|answer";
    }
    for (Responder& responder : m_responders) {
        if (responder.name != arguments[0]) {
            continue;
        }
        if (!responder.running) {
            return "there is no " + std::string(responder.name) +
                   " responder; start gatewayd with --" + std::string(responder.name) + "-port";
        }
        responder.responder.SetSilent(arguments[1] == "silent");
        failed = false;
        return std::string(responder.name) + " " + std::string(arguments[1]);
    }
    return "no responder is called \"" + std::string(arguments[0]) + "\"";
}

} // namespace gatewayd
