#include "platform/SysfsInterface.h"

#include "platform/BinaryFile.h"
#include "platform/ReportCodes.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace platform {
namespace {

constexpr std::size_t kMaxAttributeBytes = 4096;
constexpr std::uint64_t kBitsPerMegabit = 1000000;

// One line of an attribute file, without its line end; nothing when it cannot be read (an
// attribute that the device does not have answers EINVAL on reading).
std::optional<std::string> Attribute(const std::filesystem::path& file) {
    std::string text;
    if (ReadFileUpTo(file, kMaxAttributeBytes, text) != ReadFileStatus::Ok) {
        return std::nullopt;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

template <typename Number>
std::optional<Number> NumberAttribute(const std::filesystem::path& file) {
    const std::optional<std::string> text = Attribute(file);
    Number value{};
    if (!text || text->empty()) {
        return std::nullopt;
    }
    const char* end = text->data() + text->size();
    const auto [stop, failure] = std::from_chars(text->data(), end, value);
    if (failure != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void ReadCounters(const std::filesystem::path& statistics, InterfaceRecord& record) {
    const auto counter = [&](const char* name) {
        return NumberAttribute<std::uint64_t>(statistics / name);
    };
    const std::optional<std::uint64_t> packets = counter("rx_packets");
    const std::optional<std::uint64_t> multicast = counter("multicast");
    record.received.octets = counter("rx_bytes");
    if (packets && multicast && *multicast <= *packets) {
        record.received.unicastPackets = *packets - *multicast;
        record.received.nonUnicastPackets = multicast;
    }
    record.received.discards = counter("rx_dropped");
    record.received.errors = counter("rx_errors");
    record.sent.octets = counter("tx_bytes");
    record.sent.unicastPackets = counter("tx_packets");
    record.sent.discards = counter("tx_dropped");
    record.sent.errors = counter("tx_errors");
    record.unknownProtocols = counter("rx_nohandler");
}

} // namespace

bool ReadSysfsInterface(const std::filesystem::path& classNet, const std::string& name,
                        int expectedIndex, InterfaceRecord& record, std::string& error) {
    const std::filesystem::path folder = classNet / name;
    const std::optional<int> index = NumberAttribute<int>(folder / "ifindex");
    const std::optional<std::uint16_t> arphrd = NumberAttribute<std::uint16_t>(folder / "type");
    const std::optional<std::uint32_t> mtu = NumberAttribute<std::uint32_t>(folder / "mtu");
    if (!index || !arphrd || !mtu) {
        error =
            "cannot read the index, type and MTU of interface " + name + " in " + folder.string();
        return false;
    }
    if (*index != expectedIndex) {
        error = "interface " + name + " is no longer interface " + std::to_string(expectedIndex);
        return false;
    }
    InterfaceRecord read;
    read.index = *index;
    read.type =
        ReportInterfaceType(*arphrd, Exists(folder / "wireless") || Exists(folder / "phy80211"));
    read.mtu = *mtu;
    // Links without a carrier or a known speed answer EINVAL or -1.
    if (const std::optional<std::int64_t> speed = NumberAttribute<std::int64_t>(folder / "speed");
        speed && *speed > 0) {
        read.speed = static_cast<std::uint64_t>(*speed) * kBitsPerMegabit;
    }
    ReadCounters(folder / "statistics", read);
    record = read;
    return true;
}

std::string InterfaceDescription(const std::filesystem::path& classNet, const std::string& name,
                                 const std::string& kind) {
    const std::filesystem::path folder = classNet / name;
    if (std::optional<std::string> alias = Attribute(folder / "ifalias");
        alias && !alias->empty()) {
        return *alias;
    }
    std::error_code error;
    const std::filesystem::path driver =
        std::filesystem::read_symlink(folder / "device" / "driver", error);
    if (!error && !driver.filename().empty()) {
        return driver.filename().string();
    }
    return kind.empty() ? name : kind;
}

} // namespace platform
