// Feeds arbitrary answers to the gateway answer parser and key search.
#include "gateway/QELVORNClient.h"
#include "platform/ScriptedMessageBox.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

class CAnswerOnlyClient final : public gateway::CQELVORNClient {
public:
    explicit CAnswerOnlyClient(platform::CMessageBox& messageBox)
        : CQELVORNClient(gateway::GatewayServer{"fuzz.test"}, messageBox) {}
    bool DoOperation(int) override { return false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the operation kind and the size of the value buffer.
    const bool isConnect = (data[0] & 1) != 0;
    const std::size_t valueSize = data[0] >> 1;
    const std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);

    static platform::CScriptedMessageBox messageBox;
    CAnswerOnlyClient client(messageBox);
    client.ParseResponse(answer, isConnect);

    // Use the answer's own first word as a key, so the search also meets odd keys.
    const std::string_view key = answer.substr(0, answer.find(' '));
    std::string value;
    if (client.GetValue(answer, key, value, valueSize) && value.size() + 1 > valueSize) {
        __builtin_trap();
    }
    return 0;
}
