#pragma once

#include <openssl/ssl.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// What the server does with one accepted connection.
struct ConnectionScript {
    enum class Kind {
        Answer,                // handshake, read the request, send the answer, close
        AnswerAndStayOpen,     // as Answer, then wait for the client to close first
        SilentBeforeHandshake, // accept TCP and never start the handshake
        SilentAfterHandshake,  // complete the handshake, read, never write
        CloseAfterHandshake,   // complete the handshake and close at once
    };

    Kind kind = Kind::Answer;
    std::string answer;
    // 0 sends the answer in one write; otherwise in writes of 1 to maxChunk bytes each.
    std::size_t maxChunk = 0;
    // The answer waits, once the request is in, until the test calls Release().
    bool held = false;

    static ConnectionScript Answer(std::string answer, std::size_t maxChunk = 0);
    static ConnectionScript Of(Kind kind, std::string answer = {});
};

// A TLS server on 127.0.0.1 for tests. It serves one connection at a time on its own
// thread: connection i follows script i, and the last script repeats. Every wait of the
// server is bounded, and the destructor stops it even while a client holds a connection.
class CTlsTestServer {
public:
    // Throws std::runtime_error when the credentials or the socket cannot be set up.
    CTlsTestServer(const std::string& certificatePem, const std::string& keyPem,
                   std::vector<ConnectionScript> scripts);
    ~CTlsTestServer();
    CTlsTestServer(const CTlsTestServer&) = delete;
    CTlsTestServer& operator=(const CTlsTestServer&) = delete;

    std::uint16_t Port() const { return m_port; }

    // Waits until count connections have been served to their end; false when that does
    // not happen within a generous bound.
    bool WaitForServed(std::size_t count);

    // Waits until a held answer's request has arrived; false when none does within the
    // bound. Release lets the held answer go (and any later one).
    bool WaitForHeldRequest();
    void Release();

    int AcceptedConnections() const;
    int CompletedHandshakes() const;
    bool ReceivedApplicationBytes() const;
    // The bytes each served connection sent after its handshake, in order of connection.
    std::vector<std::string> Requests() const;

private:
    using Deadline = std::chrono::steady_clock::time_point;
    enum class Wait { Ready, TimedOut, Stopped };

    void Run();
    void Serve(int fd, const ConnectionScript& script);
    void ServeTls(int fd, const ConnectionScript& script, Deadline deadline, std::string& received);
    Wait WaitFor(int fd, short events, Deadline deadline) const;
    // Runs one TLS call until it completes or fails, waiting for the socket as it asks.
    template <typename Call>
    int Drive(SSL* ssl, int fd, Deadline deadline, Call call) const;
    // Reads until the received bytes hold an empty line (when stopAtEmptyLine) or the
    // client stops sending.
    void ReadRequest(SSL* ssl, int fd, Deadline deadline, bool stopAtEmptyLine,
                     std::string& received);
    bool SendAnswer(SSL* ssl, int fd, Deadline deadline, const ConnectionScript& script);
    void DrainUntilClosed(int fd, Deadline deadline) const;
    // Blocks a held answer until Release, the bound, or the server's end.
    void HoldAnswer(Deadline deadline);

    SSL_CTX* m_ctx = nullptr;
    int m_listenFd = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::uint16_t m_port = 0;
    std::vector<ConnectionScript> m_scripts;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_accepted = 0;
    int m_handshakes = 0;
    bool m_applicationBytes = false;
    bool m_holding = false;
    bool m_released = false;
    std::vector<std::string> m_requests;
};

// A port on 127.0.0.1 that nothing listens on: bound once by the system, then released.
std::uint16_t UnusedLoopbackPort();

} // namespace testsupport
