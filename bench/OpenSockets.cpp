// Keeps COUNT TCP connections open on loopback (each with both of its ends in this process,
// beside one listening socket), says "ready" on standard output, and holds them until its
// standard input ends, so that the system's socket table is not trivial while a benchmark
// runs. Usage: bench_open_sockets COUNT
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Listener(sockaddr_in& address) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (fd < 0 || bind(fd, generic, sizeof address) != 0 || listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, generic, &length) != 0) {
        std::perror("listen");
        return -1;
    }
    return fd;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s COUNT\n", argv[0]);
        return 64;
    }
    const int count = std::stoi(argv[1]);
    sockaddr_in address{};
    const int listener = Listener(address);
    if (listener < 0) {
        return 1;
    }
    std::vector<int> ends;
    for (int i = 0; i < count; ++i) {
        const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (client < 0 ||
            connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            std::perror("connect");
            return 1;
        }
        const int server = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (server < 0) {
            std::perror("accept");
            return 1;
        }
        ends.push_back(client);
        ends.push_back(server);
    }
    std::puts("ready");
    std::fflush(stdout);
    char byte = 0;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    for (const int fd : ends) {
        close(fd);
    }
    close(listener);
    return 0;
}
