#pragma once

#include "tools/gatewayd/Certificates.h"

#include <filesystem>
#include <string>

namespace gatewayd {

// The files of the state folder.
inline constexpr const char* kCaCertificateFile = "ca.cer"; // what clients trust
inline constexpr const char* kServerCertificateFile = "server.cer";
inline constexpr const char* kServerKeyFile = "server.key";  // readable by the owner only
inline constexpr const char* kControlSocketFile = "control"; // the running server's controls

// The server's credentials, kept in the folder dir (created when missing). When the three
// files are all there they are read back as they are, whatever host they were issued
// for; otherwise new credentials for host are issued and all three written, each
// atomically. On failure error says why and credentials is unchanged.
bool LoadOrIssueCredentials(const std::filesystem::path& dir, const std::string& host,
                            Credentials& credentials, std::string& error);

} // namespace gatewayd
