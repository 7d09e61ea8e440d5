#include "tools/gatewayd/StateFolder.h"

#include "tools/gatewayd/AtomicFile.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <optional>

namespace gatewayd {
namespace {

constexpr mode_t kPublicMode = 0644;
constexpr mode_t kPrivateMode = 0600;

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string content{std::istreambuf_iterator<char>(file), {}};
    if (file.bad()) {
        return std::nullopt;
    }
    return content;
}

} // namespace

bool LoadOrIssueCredentials(const std::filesystem::path& dir, const std::string& host,
                            Credentials& credentials, std::string& error) {
    std::error_code failure;
    std::filesystem::create_directories(dir, failure);
    if (failure) {
        error = dir.string() + ": cannot create the folder: " + failure.message();
        return false;
    }
    const std::filesystem::path caPath = dir / kCaCertificateFile;
    const std::filesystem::path certificatePath = dir / kServerCertificateFile;
    const std::filesystem::path keyPath = dir / kServerKeyFile;

    std::optional<std::string> ca = ReadWholeFile(caPath);
    std::optional<std::string> certificate = ReadWholeFile(certificatePath);
    std::optional<std::string> key = ReadWholeFile(keyPath);
    if (ca && certificate && key) {
        credentials = {std::move(*ca), std::move(*certificate), std::move(*key)};
        return true;
    }

    Credentials issued = IssueCredentials(host);
    if (issued.caCertificatePem.empty() || issued.serverCertificatePem.empty() ||
        issued.serverKeyPem.empty()) {
        error = "cannot issue the certificates for " + host;
        return false;
    }
    // The CA certificate goes first and comes back last: while it is missing, the next
    // start issues afresh instead of pairing an old authority with a new certificate.
    std::filesystem::remove(caPath, failure);
    if (failure) {
        error = caPath.string() + ": cannot replace: " + failure.message();
        return false;
    }
    if (!WriteFileAtomically(keyPath, issued.serverKeyPem, kPrivateMode, error) ||
        !WriteFileAtomically(certificatePath, issued.serverCertificatePem, kPublicMode, error) ||
        !WriteFileAtomically(caPath, issued.caCertificatePem, kPublicMode, error)) {
        return false;
    }
    credentials = std::move(issued);
    return true;
}

} // namespace gatewayd
