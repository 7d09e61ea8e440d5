#include "platform/TerminationSignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace platform {
namespace {

int g_writeEnd = -1;

void OnTerminationSignal(int /*signal*/) {
    const int savedErrno = errno;
    const char byte = 'T';
    // A full pipe already holds a pending byte, which is all the reader needs.
    [[maybe_unused]] const ssize_t written = write(g_writeEnd, &byte, 1);
    errno = savedErrno;
}

int SetUp() {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) {
        return -1;
    }
    g_writeEnd = ends[1];
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGTERM, &action, nullptr) != 0) {
        close(ends[0]);
        close(ends[1]);
        g_writeEnd = -1;
        return -1;
    }
    return ends[0];
}

} // namespace

int WatchTerminationSignal() {
    static const int readEnd = SetUp();
    return readEnd;
}

bool DrainTerminationSignal(int fd) {
    bool any = false;
    char buffer[64];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            any = true;
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return any;
    }
}

} // namespace platform
