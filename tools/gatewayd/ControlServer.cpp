#include "tools/gatewayd/ControlServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace gatewayd {
namespace {

constexpr std::size_t kMaxLineLength = 1024;
// A client gets this long to send its line and take the answer.
constexpr std::chrono::seconds kConnectionTime{2};
// How long the accept loop pauses when the process is out of descriptors.
constexpr std::chrono::milliseconds kAcceptBackoff{100};

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::error_code(errno, std::generic_category()).message();
}

bool FillAddress(const std::filesystem::path& path, sockaddr_un& address, std::string& error) {
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) {
        error = "the control socket path \"" + text + "\" is too long";
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

// Reads one line, without its end; false when the client gave none in time.
bool ReadLine(int fd, Deadline deadline, const CStopEvent& stop, std::string& line) {
    char buffer[256];
    while (line.find('\n') == std::string::npos && line.size() <= kMaxLineLength) {
        if (WaitForSocket(fd, POLLIN, deadline, stop) != WaitResult::Ready) {
            return false;
        }
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0) {
            break; // a last line without its end counts too
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        line.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    line.resize(std::min(line.find('\n'), line.size()));
    return true;
}

void WriteAll(int fd, std::string_view text, Deadline deadline, const CStopEvent& stop) {
    while (!text.empty() && WaitForSocket(fd, POLLOUT, deadline, stop) == WaitResult::Ready) {
        const ssize_t written = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        }
        text.remove_prefix(written > 0 ? static_cast<std::size_t>(written) : 0);
    }
}

} // namespace

CControlServer::~CControlServer() {
    Stop();
}

bool CControlServer::Listen(const std::filesystem::path& path, std::string& error) {
    sockaddr_un address{};
    if (!m_thread.IsReady()) {
        error = "cannot create the stop event";
        return false;
    }
    if (!FillAddress(path, address, error)) {
        return false;
    }
    std::error_code ignored;
    if (std::filesystem::is_socket(std::filesystem::symlink_status(path, ignored))) {
        std::filesystem::remove(path, ignored);
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrnoText("socket");
        return false;
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        chmod(address.sun_path, 0600) != 0 || listen(fd, SOMAXCONN) != 0) {
        error = ErrnoText("cannot listen on the control socket \"" + path.string() + "\"");
        close(fd);
        return false;
    }
    m_listenFd = fd;
    m_path = path;
    return true;
}

bool CControlServer::Start(std::string& error) {
    if (m_listenFd < 0) {
        error = "the control channel is not listening";
        return false;
    }
    return m_thread.Start(
        "control", [this](const CStopEvent& stop) { Serve(stop); }, error);
}

void CControlServer::Stop() {
    m_thread.Stop();
    if (m_listenFd >= 0) {
        close(m_listenFd);
        m_listenFd = -1;
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
}

void CControlServer::Serve(const CStopEvent& stop) {
    for (;;) {
        const WaitResult waited = WaitForSocket(m_listenFd, POLLIN, Deadline::max(), stop);
        if (waited == WaitResult::Stopped || waited == WaitResult::Failed) {
            return;
        }
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            ServeConnection(fd, stop);
            close(fd);
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            WaitForSocket(-1, 0, std::chrono::steady_clock::now() + kAcceptBackoff, stop);
        }
    }
}

void CControlServer::ServeConnection(int fd, const CStopEvent& stop) {
    const Deadline deadline = std::chrono::steady_clock::now() + kConnectionTime;
    std::string line;
    if (!ReadLine(fd, deadline, stop, line)) {
        return;
    }
    const std::string answer =
        line.size() > kMaxLineLength
            ? "error the line is longer than " + std::to_string(kMaxLineLength) + " bytes"
            : m_handler(line);
    WriteAll(fd, answer + "\n", deadline, stop);
}

std::string SendControlLine(const std::filesystem::path& path, std::string_view line,
                            std::string& error) {
    sockaddr_un address{};
    if (!FillAddress(path, address, error)) {
        return {};
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrnoText("socket");
        return {};
    }
    const timeval bound{5, 0};
    std::string answer;
    const std::string request = std::string(line) + "\n";
    if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound) != 0 ||
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound) != 0 ||
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request.size())) {
        error = ErrnoText("cannot reach the control socket \"" + path.string() + "\"");
        close(fd);
        return {};
    }
    char buffer[512];
    ssize_t got = 0;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    if (got < 0 || answer.empty() || answer.back() != '\n') {
        error = "no answer from the control socket \"" + path.string() + "\"";
        return {};
    }
    answer.pop_back();
    return answer;
}

} // namespace gatewayd
