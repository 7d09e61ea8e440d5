#include "tools/gatewayd/TlsListener.h"

#include "platform/Process.h"
#include "tools/gatewayd/HttpMessage.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <memory>

namespace gatewayd {
namespace {

using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;
using X509Ptr = std::unique_ptr<X509, decltype(&X509_free)>;
using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using SslPtr = std::unique_ptr<SSL, decltype(&SSL_free)>;

std::string LibraryErrorText() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) {
        return "unknown TLS library error";
    }
    std::array<char, 256> text{};
    ERR_error_string_n(code, text.data(), text.size());
    return text.data();
}

BioPtr MemoryBio(const std::string& pem) {
    return BioPtr(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
}

// Runs one non-blocking TLS call until it succeeds (call answers > 0), waiting for the
// socket in between. False when it fails, the deadline passes or a stop comes.
template <typename Call>
bool RunTls(SSL* ssl, int fd, Deadline deadline, const CStopEvent& stop, Call call) {
    for (;;) {
        const int result = call();
        if (result > 0) {
            return true;
        }
        short events = 0;
        switch (SSL_get_error(ssl, result)) {
        case SSL_ERROR_WANT_READ:
            events = POLLIN;
            break;
        case SSL_ERROR_WANT_WRITE:
            events = POLLOUT;
            break;
        default:
            return false;
        }
        if (WaitForSocket(fd, events, deadline, stop) != WaitResult::Ready) {
            return false;
        }
    }
}

} // namespace

CTlsListener::CTlsListener(RequestHandler handler, TlsListenerOptions options)
    : m_handler(std::move(handler)), m_options(std::move(options)),
      m_server([this](int fd, const std::string& peer,
                      const CStopEvent& stop) { Serve(fd, peer, stop); },
               m_options.maxConnections) {}

CTlsListener::~CTlsListener() {
    // The connections use the context until their threads are joined.
    m_server.Stop();
    SSL_CTX_free(m_pCtx);
}

bool CTlsListener::Start(const Credentials& credentials, std::string& error) {
    // OpenSSL writes to the sockets itself, so a peer gone away must not end the process.
    platform::IgnoreBrokenPipe();
    return SetUpContext(credentials, error) &&
           m_server.Listen(m_options.bindAddress, m_options.port, error) && m_server.Start(error);
}

bool CTlsListener::SetUpContext(const Credentials& credentials, std::string& error) {
    ERR_clear_error();
    m_pCtx = SSL_CTX_new(TLS_server_method());
    if (m_pCtx == nullptr) {
        error = "cannot create the TLS context: " + LibraryErrorText();
        return false;
    }
    BioPtr certificateBio = MemoryBio(credentials.serverCertificatePem);
    BioPtr keyBio = MemoryBio(credentials.serverKeyPem);
    if (certificateBio == nullptr || keyBio == nullptr) {
        error = "cannot read the credentials: " + LibraryErrorText();
        return false;
    }
    X509Ptr certificate(PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr),
                        &X509_free);
    if (certificate == nullptr || SSL_CTX_use_certificate(m_pCtx, certificate.get()) != 1) {
        error = "the server certificate is unusable: " + LibraryErrorText();
        return false;
    }
    KeyPtr key(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
    if (key == nullptr || SSL_CTX_use_PrivateKey(m_pCtx, key.get()) != 1 ||
        SSL_CTX_check_private_key(m_pCtx) != 1) {
        error =
            "the server key is unusable or does not match the certificate: " + LibraryErrorText();
        return false;
    }
    // One request per connection and nothing resumed, so session tickets are only waste.
    if (SSL_CTX_set_min_proto_version(m_pCtx, TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_num_tickets(m_pCtx, 0) != 1) {
        error = "cannot configure TLS: " + LibraryErrorText();
        return false;
    }
    SSL_CTX_set_options(m_pCtx, SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_session_cache_mode(m_pCtx, SSL_SESS_CACHE_OFF);
    return true;
}

void CTlsListener::Serve(int fd, const std::string& peerAddress, const CStopEvent& stop) {
    // The error queue is per thread; leave nothing behind for the next connection here.
    struct CErrorQueueClear {
        ~CErrorQueueClear() { ERR_clear_error(); }
    } clearErrors;

    SslPtr ssl(SSL_new(m_pCtx), &SSL_free);
    if (ssl == nullptr || SSL_set_fd(ssl.get(), fd) != 1) {
        return;
    }
    SSL* session = ssl.get();
    const Deadline readDeadline = std::chrono::steady_clock::now() + m_options.timeout;
    if (!RunTls(session, fd, readDeadline, stop, [&] { return SSL_accept(session); })) {
        return;
    }

    std::string received;
    std::size_t headEnd = std::string::npos;
    while ((headEnd = FindHeadEnd(received)) == std::string::npos) {
        if (received.size() >= m_options.maxRequestBytes) {
            return;
        }
        std::array<char, 2048> chunk{};
        const std::size_t wanted =
            std::min(chunk.size(), m_options.maxRequestBytes - received.size());
        std::size_t got = 0;
        if (!RunTls(session, fd, readDeadline, stop,
                    [&] { return SSL_read_ex(session, chunk.data(), wanted, &got); })) {
            return;
        }
        received.append(chunk.data(), got);
    }

    const std::string response =
        m_handler(std::string_view(received).substr(0, headEnd), peerAddress);
    const Deadline writeDeadline = std::chrono::steady_clock::now() + m_options.timeout;
    std::size_t written = 0;
    if (response.empty() || !RunTls(session, fd, writeDeadline, stop, [&] {
            return SSL_write_ex(session, response.data(), response.size(), &written);
        })) {
        return;
    }
    // Sends close_notify; the peer's own close_notify is not waited for.
    RunTls(session, fd, writeDeadline, stop, [&] { return SSL_shutdown(session) >= 0 ? 1 : -1; });
}

} // namespace gatewayd
