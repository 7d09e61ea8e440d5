#pragma once

#include "tools/gatewayd/CommandLine.h"
#include "tools/gatewayd/ControlCommands.h"
#include "tools/gatewayd/HeartbeatResponder.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace gatewayd {

// gatewayd's two heartbeat servers, campus and domestic, each run when its port option is
// given, and the control command that switches them silent and back.
class CHeartbeatService {
public:
    // The domestic responder is also silent while domesticQuiet answers true, as the
    // network beyond the campus is out of reach once the gateway dropped a connection.
    explicit CHeartbeatService(std::function<bool()> domesticQuiet = {});

    // Starts the responders that options ask for, on options.bindAddress. On failure error
    // says why; what was started is stopped again by Stop.
    bool Start(const Options& options, std::string& error);

    // A "campus PORT" and a "domestic PORT" line for the responders that run, for the port
    // file.
    std::string PortLines() const;

    void Stop();

    // Adds "heartbeat campus|domestic silent|answer" to commands. The service must outlive
    // the channel that serves them.
    void AddCommands(CControlCommands& commands);

private:
    struct Responder {
        explicit Responder(std::string_view responderName) : name(responderName) {}

        std::string_view name;
        CHeartbeatResponder responder;
        bool running = false;
    };

    bool StartOne(Responder& responder, const std::string& address, std::uint16_t port,
                  std::string& error);
    std::string Switch(std::span<const std::string_view> arguments, bool& failed);

    std::array<Responder, 2> m_responders{Responder{"campus"}, Responder{"domestic"}};
};

} // namespace gatewayd
