#include "platform/NetlinkDump.h"

#include <netlink/addr.h>
#include <netlink/errno.h>
#include <netlink/handlers.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>
#include <netlink/object.h>
#include <netlink/route/rtnl.h>
#include <netlink/socket.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// A table that changes this often while it is read is not going to settle.
constexpr int kDumpAttempts = 3;
constexpr std::size_t kIpv4Length = 4;

struct SocketFree {
    void operator()(nl_sock* socket) const { nl_socket_free(socket); }
};
using NetlinkSocket = std::unique_ptr<nl_sock, SocketFree>;

// What the message callback gathers from one dump.
struct DumpState {
    std::vector<NetlinkObject> objects;
    int parseError = 0;
};

void KeepObject(nl_object* object, void* argument) {
    nl_object_get(object);
    static_cast<DumpState*>(argument)->objects.emplace_back(object);
}

int OnMessage(nl_msg* message, void* argument) {
    auto* state = static_cast<DumpState*>(argument);
    const int parsed = nl_msg_parse(message, &KeepObject, state);
    if (parsed < 0) {
        state->parseError = parsed;
        return NL_STOP;
    }
    return NL_OK;
}

std::string Reason(const char* step, int code) {
    return std::string(step) + ": " + nl_geterror(code);
}

// One attempt; answers the libnl error code (0 on success) with the step that failed.
int DumpOnce(int messageType, int family, DumpState& state, std::string& error) {
    const NetlinkSocket socket(nl_socket_alloc());
    if (!socket) {
        error = "cannot allocate a netlink socket";
        return -NLE_NOMEM;
    }
    int code = nl_connect(socket.get(), NETLINK_ROUTE);
    if (code < 0) {
        error = Reason("cannot open a routing netlink socket", code);
        return code;
    }
    code = nl_socket_modify_cb(socket.get(), NL_CB_VALID, NL_CB_CUSTOM, &OnMessage, &state);
    if (code < 0) {
        error = Reason("cannot install the netlink message handler", code);
        return code;
    }
    code = nl_rtgen_request(socket.get(), messageType, family, NLM_F_DUMP);
    if (code < 0) {
        error = Reason("cannot send the netlink dump request", code);
        return code;
    }
    code = nl_recvmsgs_default(socket.get());
    if (code < 0) {
        error = Reason("cannot read the netlink dump", code);
        return code;
    }
    if (state.parseError < 0) {
        error = Reason("cannot parse a netlink message of the dump", state.parseError);
        return state.parseError;
    }
    return 0;
}

} // namespace

void NetlinkObjectRelease::operator()(nl_object* object) const {
    nl_object_put(object);
}

bool DumpRouteObjects(int messageType, int family, std::vector<NetlinkObject>& objects,
                      std::string& error) {
    for (int attempt = 1;; ++attempt) {
        DumpState state;
        const int code = DumpOnce(messageType, family, state, error);
        if (code == 0) {
            objects = std::move(state.objects);
            return true;
        }
        if (code != -NLE_DUMP_INTR || attempt == kDumpAttempts) {
            return false;
        }
    }
}

bool Ipv4Of(const nl_addr* address, std::uint32_t& value) {
    value = 0;
    if (address == nullptr || nl_addr_get_len(address) == 0) {
        return true;
    }
    if (nl_addr_get_family(address) != AF_INET || nl_addr_get_len(address) != kIpv4Length) {
        return false;
    }
    std::memcpy(&value, nl_addr_get_binary_addr(address), kIpv4Length);
    return true;
}

bool HardwareOf(const nl_addr* address, std::array<std::uint8_t, 8>& bytes, std::size_t& length) {
    length = 0;
    if (address == nullptr) {
        return true;
    }
    const std::size_t size = nl_addr_get_len(address);
    if (size > bytes.size()) {
        return false;
    }
    const auto* data = static_cast<const std::uint8_t*>(nl_addr_get_binary_addr(address));
    std::copy_n(data, size, bytes.begin());
    length = size;
    return true;
}

} // namespace platform
