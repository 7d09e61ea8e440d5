// Feeds arbitrary blocks to the settings' load from a sealed file: unsealing, then the XML
// load and the reads of the document. The first byte chooses what the rest is: odd, a
// settings text that is sealed here first, so that the XML load sees it; even, a block as
// the file would hold it, which the unsealing must refuse or take without harm.
#include "config/ProtectData.h"
#include "config/VORNXMLConfig.h"
#include "platform/FixedMachineIdentity.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

const platform::CFixedMachineIdentity kMachine("3d1219c7c4c5404aaa1f6d2a48adfda4");

void ReadEverything(config::CVORNXMLConfig& store) {
    std::array<config::UserInfo, 8> users{};
    std::size_t count = 0;
    store.GetUserList(users, count);
    config::UserText name;
    store.GetDefaultUser(name);
    config::HBSText server;
    store.GetHBSCam(server);
    store.GetHBSDom(server);
    store.GetHBSInt(server);
    store.GetConPrompt();
    store.GetAutoLogon();
    store.GetServerSettings();
    std::string text;
    store.GetXml(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string sealed(rest);
    if ((data[0] & 1) != 0 && !config::ProtectData(kMachine, rest, sealed)) {
        return 0;
    }
    std::string text;
    std::string error;
    if (!config::UnprotectData(kMachine, sealed, text, error)) {
        return 0;
    }
    if (text.size() >= config::kUnprotectedDataLimit) {
        __builtin_trap();
    }
    config::CVORNXMLConfig store;
    if (store.LoadXml(text)) {
        ReadEverything(store);
    }
    return 0;
}
