#pragma once

#include <string>

namespace gatewayd {

// A certificate authority and a server certificate that it signed, all in PEM.
struct Credentials {
    std::string caCertificatePem;
    std::string serverCertificatePem;
    std::string serverKeyPem;
};

// Makes a new certificate authority and a server certificate for serverName signed by it
// (P-256 keys, valid for ten years). Answers empty texts when the TLS library fails.
Credentials IssueCredentials(const std::string& serverName);

} // namespace gatewayd
