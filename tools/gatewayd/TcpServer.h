#pragma once

#include "tools/gatewayd/StopEvent.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace gatewayd {

// Serves one accepted connection. fd is connected and non-blocking; the server closes it
// afterwards. Every wait of the handler must watch stop (see WaitForSocket).
using ConnectionHandler =
    std::function<void(int fd, const std::string& peerAddress, const CStopEvent& stop)>;

// A listening TCP socket whose connections are each served on a thread of their own, at
// most a given number at once; further ones wait in the listen queue. What is spoken on a
// connection is the handler's business. After the handler the server half-closes the
// connection and lets the peer close first, so an answer is never cut short by a reset.
class CTcpServer {
public:
    CTcpServer(ConnectionHandler handler, std::size_t maxConnections);
    // Stops the server.
    ~CTcpServer();
    CTcpServer(const CTcpServer&) = delete;
    CTcpServer& operator=(const CTcpServer&) = delete;

    // Binds to the numeric IPv4 or IPv6 address and port (0 picks a free port) and listens.
    // On failure error says why and nothing is bound. Call once, before Start.
    bool Listen(const std::string& address, std::uint16_t port, std::string& error);

    // The bound port, and "ADDR:PORT" ("[ADDR]:PORT" for IPv6), after Listen succeeded.
    std::uint16_t Port() const { return m_port; }
    std::string Endpoint() const;

    // Starts accepting on a thread of its own. On failure error says why.
    bool Start(std::string& error);

    // Stops accepting, interrupts every connection's waits, joins all threads and closes the
    // listening socket; the handlers end early. Safe to call more than once, from any thread
    // but a handler's.
    void Stop();

private:
    struct Worker {
        std::thread thread;
        bool finished = false;
    };

    void AcceptLoop();
    // Waits for a free connection slot; false when stopping.
    bool WaitForSlot();
    void Spawn(int fd, std::string peerAddress);
    void JoinFinishedWorkers();
    void Serve(int fd, const std::string& peerAddress, std::list<Worker>::iterator self);
    void CloseGracefully(int fd);

    const ConnectionHandler m_handler;
    const std::size_t m_maxConnections;
    CStopEvent m_stop;
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::string m_address;
    std::thread m_acceptThread;

    std::mutex m_mutex;
    std::condition_variable m_slotFreed;
    std::list<Worker> m_workers; // guarded by m_mutex, like the two below
    std::size_t m_active = 0;
    bool m_stopping = false;
};

} // namespace gatewayd
