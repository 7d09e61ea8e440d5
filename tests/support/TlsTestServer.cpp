#include "tests/support/TlsTestServer.h"

#include "tests/support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <memory>
#include <random>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace testsupport {
namespace {

// Bounds for a client that never closes and for a test that waits for the server; both
// are far beyond what a healthy exchange needs, so they only keep a broken test finite.
constexpr std::chrono::seconds kConnectionLimit{20};
constexpr std::chrono::seconds kServedLimit{30};

// A fixed seed, so that a failing run splits the answer the same way when repeated.
constexpr std::mt19937::result_type kChunkSeed = 20240601u;

using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;

BioPtr PemBio(const std::string& pem) {
    return BioPtr(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
}

bool UseCredentials(SSL_CTX* ctx, const std::string& certificatePem, const std::string& keyPem) {
    const BioPtr certificateBio = PemBio(certificatePem);
    const BioPtr keyBio = PemBio(keyPem);
    if (certificateBio == nullptr || keyBio == nullptr) {
        return false;
    }
    std::unique_ptr<X509, decltype(&X509_free)> certificate(
        PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr), &X509_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
    return certificate != nullptr && key != nullptr &&
           SSL_CTX_use_certificate(ctx, certificate.get()) == 1 &&
           SSL_CTX_use_PrivateKey(ctx, key.get()) == 1 && SSL_CTX_check_private_key(ctx) == 1;
}

} // namespace

ConnectionScript ConnectionScript::Answer(std::string answer, std::size_t maxChunk) {
    ConnectionScript script;
    script.answer = std::move(answer);
    script.maxChunk = maxChunk;
    return script;
}

ConnectionScript ConnectionScript::Of(Kind kind, std::string answer) {
    ConnectionScript script;
    script.kind = kind;
    script.answer = std::move(answer);
    return script;
}

CTlsTestServer::CTlsTestServer(const std::string& certificatePem, const std::string& keyPem,
                               std::vector<ConnectionScript> scripts)
    : m_scripts(std::move(scripts)) {
    // A client that goes away while the answer is written must not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    const auto fail = [this](const char* why) {
        if (m_listenFd >= 0) {
            close(m_listenFd);
        }
        SSL_CTX_free(m_ctx);
        throw std::runtime_error(why);
    };
    if (m_scripts.empty()) {
        fail("the test server needs at least one connection script");
    }
    m_ctx = SSL_CTX_new(TLS_server_method());
    if (m_ctx == nullptr || !UseCredentials(m_ctx, certificatePem, keyPem)) {
        fail("the test server cannot use its certificate and key");
    }
    std::tie(m_listenFd, m_port) = BindLoopback();
    if (m_listenFd < 0 || listen(m_listenFd, 16) != 0) {
        fail("the test server cannot listen on 127.0.0.1");
    }
    std::array<int, 2> wake{};
    if (pipe2(wake.data(), O_CLOEXEC) != 0) {
        fail("the test server cannot make its wake-up pipe");
    }
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    m_thread = std::thread([this] { Run(); });
}

CTlsTestServer::~CTlsTestServer() {
    // The byte is never read, so every later wait of the server thread ends at once.
    const char stop = 's';
    [[maybe_unused]] const ssize_t ignored = write(m_wakeWrite, &stop, 1);
    Release();
    m_thread.join();
    close(m_wakeRead);
    close(m_wakeWrite);
    close(m_listenFd);
    SSL_CTX_free(m_ctx);
}

bool CTlsTestServer::WaitForServed(std::size_t count) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, kServedLimit, [&] { return m_requests.size() >= count; });
}

bool CTlsTestServer::WaitForHeldRequest() {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, kServedLimit, [&] { return m_holding; });
}

void CTlsTestServer::Release() {
    {
        const std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_changed.notify_all();
}

void CTlsTestServer::HoldAnswer(Deadline deadline) {
    std::unique_lock lock(m_mutex);
    m_holding = true;
    m_changed.notify_all();
    m_changed.wait_until(lock, deadline, [&] { return m_released; });
}

int CTlsTestServer::AcceptedConnections() const {
    const std::lock_guard lock(m_mutex);
    return m_accepted;
}

int CTlsTestServer::CompletedHandshakes() const {
    const std::lock_guard lock(m_mutex);
    return m_handshakes;
}

bool CTlsTestServer::ReceivedApplicationBytes() const {
    const std::lock_guard lock(m_mutex);
    return m_applicationBytes;
}

std::vector<std::string> CTlsTestServer::Requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void CTlsTestServer::Run() {
    std::size_t served = 0;
    for (;;) {
        std::array<pollfd, 2> watched{{{m_listenFd, POLLIN, 0}, {m_wakeRead, POLLIN, 0}}};
        const int ready = poll(watched.data(), watched.size(), -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || watched[1].revents != 0) {
            return;
        }
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        {
            const std::lock_guard lock(m_mutex);
            ++m_accepted;
        }
        m_changed.notify_all();
        Serve(fd, m_scripts[std::min(served, m_scripts.size() - 1)]);
        ++served;
    }
}

void CTlsTestServer::Serve(int fd, const ConnectionScript& script) {
    // Every chunk of the answer leaves as its own segment instead of being coalesced.
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const Deadline deadline = std::chrono::steady_clock::now() + kConnectionLimit;
    std::string received;
    if (script.kind == ConnectionScript::Kind::SilentBeforeHandshake) {
        DrainUntilClosed(fd, deadline);
    } else {
        ServeTls(fd, script, deadline, received);
    }
    close(fd);
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(received));
    }
    m_changed.notify_all();
}

void CTlsTestServer::ServeTls(int fd, const ConnectionScript& script, Deadline deadline,
                              std::string& received) {
    SSL* ssl = SSL_new(m_ctx);
    if (ssl == nullptr || SSL_set_fd(ssl, fd) != 1) {
        SSL_free(ssl);
        return;
    }
    if (Drive(ssl, fd, deadline, [&] { return SSL_accept(ssl); }) == 1) {
        {
            const std::lock_guard lock(m_mutex);
            ++m_handshakes;
        }
        m_changed.notify_all();
        switch (script.kind) {
        case ConnectionScript::Kind::Answer:
            ReadRequest(ssl, fd, deadline, true, received);
            if (script.held) {
                HoldAnswer(deadline);
            }
            SendAnswer(ssl, fd, deadline, script);
            break;
        case ConnectionScript::Kind::AnswerAndStayOpen:
            ReadRequest(ssl, fd, deadline, true, received);
            if (SendAnswer(ssl, fd, deadline, script)) {
                DrainUntilClosed(fd, deadline);
            }
            break;
        case ConnectionScript::Kind::SilentAfterHandshake:
            ReadRequest(ssl, fd, deadline, false, received);
            break;
        case ConnectionScript::Kind::CloseAfterHandshake:
        case ConnectionScript::Kind::SilentBeforeHandshake:
            break;
        }
        // Close notify and FIN, then wait for the client's close, so that the answer is
        // never cut short by a reset of a socket that still holds unread bytes.
        SSL_shutdown(ssl);
        shutdown(fd, SHUT_WR);
        DrainUntilClosed(fd, deadline);
    }
    SSL_free(ssl);
    ERR_clear_error();
}

CTlsTestServer::Wait CTlsTestServer::WaitFor(int fd, short events, Deadline deadline) const {
    std::array<pollfd, 2> watched{{{fd, events, 0}, {m_wakeRead, POLLIN, 0}}};
    for (;;) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            return Wait::TimedOut;
        }
        const int ready = poll(watched.data(), watched.size(), static_cast<int>(remaining.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || watched[1].revents != 0) {
            return Wait::Stopped;
        }
        // A hang-up or an error counts as ready: the next call on the socket reports it.
        return ready == 0 ? Wait::TimedOut : Wait::Ready;
    }
}

template <typename Call>
int CTlsTestServer::Drive(SSL* ssl, int fd, Deadline deadline, Call call) const {
    for (;;) {
        ERR_clear_error();
        const int result = call();
        if (result > 0) {
            return result;
        }
        const int error = SSL_get_error(ssl, result);
        const short events = error == SSL_ERROR_WANT_READ    ? POLLIN
                             : error == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                             : 0;
        if (events == 0) {
            return result;
        }
        if (WaitFor(fd, events, deadline) != Wait::Ready) {
            return -1;
        }
    }
}

void CTlsTestServer::ReadRequest(SSL* ssl, int fd, Deadline deadline, bool stopAtEmptyLine,
                                 std::string& received) {
    std::array<char, 4096> buffer{};
    while (!stopAtEmptyLine || received.find("\n\n") == std::string::npos) {
        const int got = Drive(ssl, fd, deadline, [&] {
            return SSL_read(ssl, buffer.data(), static_cast<int>(buffer.size()));
        });
        if (got <= 0) {
            return;
        }
        received.append(buffer.data(), static_cast<std::size_t>(got));
        const std::lock_guard lock(m_mutex);
        m_applicationBytes = true;
    }
}

bool CTlsTestServer::SendAnswer(SSL* ssl, int fd, Deadline deadline,
                                const ConnectionScript& script) {
    std::mt19937 chunks(kChunkSeed);
    std::uniform_int_distribution<std::size_t> chunkSize(1,
                                                         std::max<std::size_t>(1, script.maxChunk));
    const std::string& answer = script.answer;
    std::size_t sent = 0;
    while (sent < answer.size()) {
        std::size_t size = answer.size() - sent;
        if (script.maxChunk > 0) {
            size = std::min(size, chunkSize(chunks));
        }
        // Each write is one TLS record, sent on the socket before the call returns.
        const int wrote = Drive(ssl, fd, deadline, [&] {
            return SSL_write(ssl, answer.data() + sent, static_cast<int>(size));
        });
        if (wrote <= 0) {
            return false; // the client went away; what it did not read is its concern
        }
        sent += static_cast<std::size_t>(wrote);
    }
    return true;
}

void CTlsTestServer::DrainUntilClosed(int fd, Deadline deadline) const {
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t got = recv(fd, buffer.data(), buffer.size(), 0);
        if (got == 0) {
            return;
        }
        if (got < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                return;
            }
            if (WaitFor(fd, POLLIN, deadline) != Wait::Ready) {
                return;
            }
        }
    }
}

std::uint16_t UnusedLoopbackPort() {
    const auto [fd, port] = BindLoopback();
    if (fd < 0) {
        throw std::runtime_error("cannot bind a socket on 127.0.0.1");
    }
    close(fd);
    return port;
}

} // namespace testsupport
