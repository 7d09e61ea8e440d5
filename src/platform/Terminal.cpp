#include "platform/Terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {
namespace {

// Restores the terminal's echo however the read ends.
class CEchoOff {
public:
    explicit CEchoOff(int fd) : m_fd(fd) {
        m_active = tcgetattr(fd, &m_saved) == 0;
        if (m_active) {
            termios silent = m_saved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            m_active = tcsetattr(fd, TCSAFLUSH, &silent) == 0;
        }
    }
    ~CEchoOff() {
        if (m_active) {
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
        }
    }
    CEchoOff(const CEchoOff&) = delete;
    CEchoOff& operator=(const CEchoOff&) = delete;

    bool Active() const { return m_active; }

private:
    int m_fd;
    termios m_saved{};
    bool m_active = false;
};

std::optional<std::string> ReadLine(int fd) {
    std::string line;
    char byte = 0;
    for (;;) {
        const ssize_t got = read(fd, &byte, 1);
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        }
        if (byte == '\n') {
            break;
        }
        line += byte;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

} // namespace

std::optional<std::string> ReadSecretFromTerminal(std::string_view prompt) {
    const int fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> secret;
    if (write(fd, prompt.data(), prompt.size()) == static_cast<ssize_t>(prompt.size())) {
        CEchoOff echoOff(fd);
        if (echoOff.Active()) {
            secret = ReadLine(fd);
        }
    }
    if (write(fd, "\n", 1) != 1) {
        secret.reset();
    }
    close(fd);
    return secret;
}

std::optional<std::string> ReadLineFromStdin() {
    return ReadLine(STDIN_FILENO);
}

} // namespace platform
