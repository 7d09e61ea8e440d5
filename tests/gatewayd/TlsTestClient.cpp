#include "TlsTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace gatewayd_test {
namespace {

// Far longer than any exchange takes; only a hung server reaches it.
constexpr int kGuardSeconds = 30;

std::string LibraryError(const char* what) {
    std::array<char, 256> text{};
    ERR_error_string_n(ERR_get_error(), text.data(), text.size());
    ERR_clear_error();
    return std::string(what) + ": " + text.data();
}

bool LoadTrust(SSL_CTX* context, const std::string& caPem) {
    BIO* bio = BIO_new_mem_buf(caPem.data(), static_cast<int>(caPem.size()));
    X509* ca = bio == nullptr ? nullptr : PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    const bool added =
        ca != nullptr && X509_STORE_add_cert(SSL_CTX_get_cert_store(context), ca) == 1;
    X509_free(ca);
    BIO_free(bio);
    return added;
}

} // namespace

int ConnectTcp(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const timeval guard{kGuardSeconds, 0};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof guard) != 0 ||
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &guard, sizeof guard) != 0 ||
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool PeerCloses(int fd) {
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t got = recv(fd, buffer.data(), buffer.size(), 0);
        if (got == 0 || (got < 0 && errno == ECONNRESET)) {
            return true;
        }
        if (got < 0 && errno != EINTR) {
            return false; // the guard time-out
        }
    }
}

CTlsTestClient::~CTlsTestClient() {
    SSL_free(m_pSsl);
    SSL_CTX_free(m_pCtx);
    if (m_fd >= 0) {
        close(m_fd);
    }
}

std::string CTlsTestClient::Connect(std::uint16_t port, const std::string& caPem) {
    m_pCtx = SSL_CTX_new(TLS_client_method());
    if (m_pCtx == nullptr) {
        return LibraryError("context");
    }
    if (!LoadTrust(m_pCtx, caPem)) {
        return LibraryError("trust");
    }
    SSL_CTX_set_verify(m_pCtx, SSL_VERIFY_PEER, nullptr);
    m_fd = ConnectTcp(port);
    if (m_fd < 0) {
        return "cannot connect to port " + std::to_string(port);
    }
    m_pSsl = SSL_new(m_pCtx);
    if (m_pSsl == nullptr || SSL_set_fd(m_pSsl, m_fd) != 1) {
        return LibraryError("session");
    }
    if (SSL_connect(m_pSsl) != 1) {
        return LibraryError("handshake");
    }
    return {};
}

bool CTlsTestClient::Send(std::string_view bytes) {
    std::size_t written = 0;
    return SSL_write_ex(m_pSsl, bytes.data(), bytes.size(), &written) == 1 &&
           written == bytes.size();
}

void CTlsTestClient::ReadToEnd(TlsReply& reply) {
    std::array<char, 4096> buffer{};
    for (;;) {
        std::size_t got = 0;
        if (SSL_read_ex(m_pSsl, buffer.data(), buffer.size(), &got) == 1) {
            reply.answer.append(buffer.data(), got);
            continue;
        }
        const int error = SSL_get_error(m_pSsl, 0);
        reply.closeNotifyReceived = error == SSL_ERROR_ZERO_RETURN;
        // An end of the connection without close_notify; the guard time-out is neither.
        const bool closedWithoutNotify =
            (error == SSL_ERROR_SSL &&
             ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING) ||
            (error == SSL_ERROR_SYSCALL && errno == ECONNRESET);
        ERR_clear_error();
        reply.socketClosed = reply.closeNotifyReceived ? PeerCloses(m_fd) : closedWithoutNotify;
        break;
    }
}

TlsReply ExchangeOverTls(std::uint16_t port, const std::string& caPem, std::string_view request) {
    TlsReply reply;
    CTlsTestClient client;
    reply.error = client.Connect(port, caPem);
    if (!reply.Connected()) {
        return reply;
    }
    if (!client.Send(request)) {
        reply.error = "cannot send the request";
        return reply;
    }
    client.ReadToEnd(reply);
    return reply;
}

} // namespace gatewayd_test
