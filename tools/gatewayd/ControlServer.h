#pragma once

#include "tools/gatewayd/ServerThread.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace gatewayd {

// The control channel: a UNIX stream socket that takes one line per connection, hands it
// to a handler and writes back the handler's answer and a line end. Connections are served
// one after the other, each within a bounded time. The socket is the owner's alone (mode
// 0600): connecting needs write permission on it.
class CControlServer {
public:
    using LineHandler = std::function<std::string(std::string_view line)>;

    explicit CControlServer(LineHandler handler) : m_handler(std::move(handler)) {}
    // Stops the server.
    ~CControlServer();
    CControlServer(const CControlServer&) = delete;
    CControlServer& operator=(const CControlServer&) = delete;

    // Listens on a socket at path; a socket left there by an earlier run is replaced, any
    // other file is not. On failure error says why. Call once, before Start.
    bool Listen(const std::filesystem::path& path, std::string& error);

    // Serves on a thread of its own. On failure error says why.
    bool Start(std::string& error);

    // Stops serving, joins the thread and removes the socket. Safe to call more than once.
    void Stop();

private:
    void Serve(const CStopEvent& stop);
    void ServeConnection(int fd, const CStopEvent& stop);

    const LineHandler m_handler;
    std::filesystem::path m_path;
    int m_listenFd = -1;
    CServerThread m_thread;
};

// Sends line to the control socket at path and answers the answer line; on failure error
// says why and the answer is empty.
std::string SendControlLine(const std::filesystem::path& path, std::string_view line,
                            std::string& error);

} // namespace gatewayd
