#include "platform/DhcpLeases.h"

#include "platform/BinaryFile.h"

#include <algorithm>
#include <system_error>

namespace platform {
namespace {

constexpr std::size_t kMaxLeaseBytes = std::size_t{1} << 20;
constexpr std::string_view kBlanks = " \t\r";

std::string_view NextLine(std::string_view& text) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t start = std::min(line.find_first_not_of(kBlanks), line.size());
    line.remove_prefix(start);
    const std::size_t last = line.find_last_not_of(kBlanks);
    return last == std::string_view::npos ? std::string_view() : line.substr(0, last + 1);
}

// The value of a dhclient statement "<keyword> <value>;", or empty when line is another.
std::string_view StatementValue(std::string_view line, std::string_view keyword) {
    if (line.substr(0, keyword.size()) != keyword || line.size() <= keyword.size() + 1 ||
        line.back() != ';') {
        return {};
    }
    std::string_view value = line.substr(keyword.size(), line.size() - keyword.size() - 1);
    const std::size_t start = value.find_first_not_of(kBlanks);
    return start == 0 || start == std::string_view::npos ? std::string_view() : value.substr(start);
}

// Lease files of NetworkManager name the interface at their end:
// "<client>-<connection uuid>-<interface>.lease".
void AddManagerLeases(const std::string& interfaceName, std::vector<LeaseFile>& files) {
    const std::filesystem::path folder = "/var/lib/NetworkManager";
    const std::string ending = "-" + interfaceName + ".lease";
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return;
    }
    std::vector<LeaseFile> found;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= ending.size() ||
            name.compare(name.size() - ending.size(), ending.size(), ending) != 0) {
            continue;
        }
        if (name.starts_with("internal-")) {
            found.push_back({entry.path(), false});
        } else if (name.starts_with("dhclient-")) {
            found.push_back({entry.path(), true});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const LeaseFile& left, const LeaseFile& right) { return left.path < right.path; });
    files.insert(files.end(), found.begin(), found.end());
}

} // namespace

std::string ServerFromKeyValueLease(std::string_view text, std::string_view address) {
    std::string_view leased;
    std::string_view server;
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        if (line.starts_with("ADDRESS=")) {
            leased = line.substr(8);
        } else if (line.starts_with("SERVER_ADDRESS=")) {
            server = line.substr(15);
        }
    }
    return leased == address ? std::string(server) : std::string();
}

std::string ServerFromDhclientLeases(std::string_view text, std::string_view address) {
    std::string found;
    std::string_view leased;
    std::string_view server;
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        if (line == "lease {") {
            leased = {};
            server = {};
        } else if (line == "}") {
            if (leased == address && !server.empty()) {
                found = server;
            }
        } else if (const std::string_view value = StatementValue(line, "fixed-address");
                   !value.empty()) {
            leased = value;
        } else if (const std::string_view id =
                       StatementValue(line, "option dhcp-server-identifier");
                   !id.empty()) {
            server = id;
        }
    }
    return found;
}

std::vector<LeaseFile> LeaseFilesOf(int interfaceIndex, const std::string& interfaceName) {
    std::vector<LeaseFile> files = {
        {"/run/systemd/netif/leases/" + std::to_string(interfaceIndex), false},
    };
    AddManagerLeases(interfaceName, files);
    files.push_back({"/var/lib/dhcp/dhclient." + interfaceName + ".leases", true});
    files.push_back({"/var/lib/dhcp/dhclient.leases", true});
    files.push_back({"/var/lib/dhclient/dhclient-" + interfaceName + ".leases", true});
    return files;
}

std::string FindDhcpServer(int interfaceIndex, const std::string& interfaceName,
                           const std::string& address) {
    for (const LeaseFile& file : LeaseFilesOf(interfaceIndex, interfaceName)) {
        std::string text;
        if (ReadFileUpTo(file.path, kMaxLeaseBytes, text) != ReadFileStatus::Ok) {
            continue;
        }
        std::string server = file.dhclient ? ServerFromDhclientLeases(text, address)
                                           : ServerFromKeyValueLease(text, address);
        if (!server.empty()) {
            return server;
        }
    }
    return {};
}

} // namespace platform
