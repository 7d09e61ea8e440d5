#include "platform/NeighbourControl.h"

#include <linux/neighbour.h>
#include <net/if.h>
#include <netlink/addr.h>
#include <netlink/cache.h>
#include <netlink/errno.h>
#include <netlink/netlink.h>
#include <netlink/route/neighbour.h>
#include <netlink/socket.h>
#include <sys/capability.h>
#include <sys/socket.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace platform {
namespace {

// How often the table is looked at while a request is under way.
constexpr std::chrono::milliseconds kPollPeriod{20};

// The states in which the kernel sends to the entry's hardware address (its NUD_VALID),
// split by whether it has been confirmed lately or is fixed.
// A permanent entry counts as unconfirmed: it says what someone wrote, not what the
// network answers.
constexpr std::uint16_t kConfirmedStates = NUD_NOARP | NUD_REACHABLE;
constexpr std::uint16_t kUnconfirmedStates = NUD_PERMANENT | NUD_PROBE | NUD_STALE | NUD_DELAY;

struct SocketFree {
    void operator()(nl_sock* socket) const { nl_socket_free(socket); }
};
struct AddressPut {
    void operator()(nl_addr* address) const { nl_addr_put(address); }
};
struct NeighbourPut {
    void operator()(rtnl_neigh* neighbour) const { rtnl_neigh_put(neighbour); }
};
struct CacheFree {
    void operator()(nl_cache* cache) const { nl_cache_free(cache); }
};
using Socket = std::unique_ptr<nl_sock, SocketFree>;
using Address = std::unique_ptr<nl_addr, AddressPut>;
using Neighbour = std::unique_ptr<rtnl_neigh, NeighbourPut>;
using Cache = std::unique_ptr<nl_cache, CacheFree>;

std::string Reason(const char* what, int code) {
    return std::string(what) + ": " + nl_geterror(code);
}

bool Connect(Socket& socket, std::string& error) {
    socket.reset(nl_socket_alloc());
    if (!socket) {
        error = "cannot open a netlink socket: out of memory";
        return false;
    }
    if (const int code = nl_connect(socket.get(), NETLINK_ROUTE); code < 0) {
        error = Reason("cannot open a netlink socket", code);
        return false;
    }
    return true;
}

// A neighbour object naming the entry of address on the interface.
bool Describe(std::uint32_t address, int interfaceIndex, Neighbour& neighbour, std::string& error) {
    neighbour.reset(rtnl_neigh_alloc());
    const Address destination(nl_addr_build(AF_INET, &address, sizeof address));
    if (!neighbour || !destination) {
        error = "cannot describe a neighbour entry: out of memory";
        return false;
    }
    rtnl_neigh_set_family(neighbour.get(), AF_INET);
    rtnl_neigh_set_ifindex(neighbour.get(), interfaceIndex);
    if (const int code = rtnl_neigh_set_dst(neighbour.get(), destination.get()); code < 0) {
        error = Reason("cannot describe a neighbour entry", code);
        return false;
    }
    return true;
}

// A socket, and an object naming the entry of entry's address on its interface.
bool Prepare(const NeighbourEntry& entry, Socket& socket, Neighbour& neighbour,
             std::string& error) {
    return Connect(socket, error) &&
           Describe(entry.address, entry.interfaceIndex, neighbour, error);
}

// Fills entry from the kernel's object for it.
void Fill(rtnl_neigh* neighbour, std::uint32_t address, int interfaceIndex, NeighbourEntry& entry) {
    entry = NeighbourEntry{};
    entry.interfaceIndex = interfaceIndex;
    entry.address = address;
    entry.state = static_cast<std::uint16_t>(rtnl_neigh_get_state(neighbour));
    nl_addr* hardware = rtnl_neigh_get_lladdr(neighbour);
    if (hardware != nullptr) {
        const std::size_t length =
            std::min<std::size_t>(nl_addr_get_len(hardware), entry.hardwareAddress.size());
        const auto* bytes = static_cast<const std::uint8_t*>(nl_addr_get_binary_addr(hardware));
        std::copy_n(bytes, length, entry.hardwareAddress.begin());
        entry.hardwareLength = length;
    }
}

enum class Lookup {
    Confirmed,   // the network confirmed the entry's hardware address lately
    Unconfirmed, // the kernel sends to the entry's hardware address, unconfirmed
    Pending,     // no entry, or one waiting for an answer
    Failed,      // the requests went unanswered
    NoHardware,  // the entry is usable but holds no hardware address
    Unreadable,  // the table could not be read
};

// What the table holds now for the entry of wanted; entry receives it when there is one.
Lookup LookAt(nl_sock* socket, nl_cache* cache, const NeighbourEntry& wanted, NeighbourEntry& entry,
              std::string& error) {
    if (const int code = nl_cache_refill(socket, cache); code < 0) {
        error = Reason("cannot read the neighbour table", code);
        return Lookup::Unreadable;
    }
    const Address destination(nl_addr_build(AF_INET, &wanted.address, sizeof wanted.address));
    const Neighbour found(
        destination ? rtnl_neigh_get(cache, wanted.interfaceIndex, destination.get()) : nullptr);
    if (!found) {
        return Lookup::Pending;
    }
    Fill(found.get(), wanted.address, wanted.interfaceIndex, entry);
    if ((entry.state & NUD_FAILED) != 0) {
        error = "no answer to the address request";
        return Lookup::Failed;
    }
    if ((entry.state & (kConfirmedStates | kUnconfirmedStates)) == 0) {
        return Lookup::Pending;
    }
    if (entry.hardwareLength == 0) {
        error = "the address has no hardware address on its interface";
        return Lookup::NoHardware;
    }
    return (entry.state & kConfirmedStates) != 0 ? Lookup::Confirmed : Lookup::Unconfirmed;
}

// NTF_USE makes the kernel act as if traffic were waiting for the address: it sends its
// requests for it. (Since Linux 5.16 the entry is first set to the request's state, here
// none, so that a stale or permanent address is asked for afresh; before, a permanent one
// stays and is the answer.)
bool AskKernel(nl_sock* socket, std::uint32_t address, int interfaceIndex, std::string& error) {
    Neighbour request;
    if (!Describe(address, interfaceIndex, request, error)) {
        return false;
    }
    rtnl_neigh_set_state(request.get(), NUD_NONE);
    rtnl_neigh_set_flags(request.get(), NTF_USE);
    if (const int code = rtnl_neigh_add(socket, request.get(), NLM_F_CREATE); code < 0) {
        error = Reason("cannot ask for the hardware address", code);
        return false;
    }
    return true;
}

} // namespace

bool ResolveNeighbour(std::uint32_t address, int interfaceIndex, NeighbourEntry& entry,
                      std::string& error, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Socket socket;
    nl_cache* allocated = nullptr;
    if (!Connect(socket, error)) {
        return false;
    }
    if (const int code = rtnl_neigh_alloc_cache(socket.get(), &allocated); code < 0) {
        error = Reason("cannot read the neighbour table", code);
        return false;
    }
    const Cache cache(allocated);
    NeighbourEntry wanted;
    wanted.address = address;
    wanted.interfaceIndex = interfaceIndex;
    // A confirmed entry is the answer the network gave a moment ago; anything else is asked.
    switch (LookAt(socket.get(), cache.get(), wanted, entry, error)) {
    case Lookup::Confirmed:
        return true;
    case Lookup::NoHardware:
    case Lookup::Unreadable:
        return false;
    default:
        break;
    }
    if (!AskKernel(socket.get(), address, interfaceIndex, error)) {
        return false;
    }
    for (;;) {
        switch (LookAt(socket.get(), cache.get(), wanted, entry, error)) {
        case Lookup::Confirmed:
        case Lookup::Unconfirmed:
            return true;
        case Lookup::Pending:
            break;
        default:
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error = "no answer to the address request in time";
            return false;
        }
        std::this_thread::sleep_for(kPollPeriod);
    }
}

bool DeleteNeighbour(const NeighbourEntry& entry, std::string& error) {
    Socket socket;
    Neighbour neighbour;
    if (!Prepare(entry, socket, neighbour, error)) {
        return false;
    }
    const int code = rtnl_neigh_delete(socket.get(), neighbour.get(), 0);
    // An entry that is already gone is what the deletion wanted.
    if (code < 0 && code != -NLE_OBJ_NOTFOUND) {
        error = Reason("cannot delete the neighbour entry", code);
        return false;
    }
    return true;
}

bool AddPermanentNeighbour(const NeighbourEntry& entry, std::string& error) {
    Socket socket;
    Neighbour neighbour;
    if (!Prepare(entry, socket, neighbour, error)) {
        return false;
    }
    const Address hardware(
        nl_addr_build(AF_UNSPEC, entry.hardwareAddress.data(),
                      std::min(entry.hardwareLength, entry.hardwareAddress.size())));
    if (!hardware) {
        error = "cannot describe a neighbour entry: out of memory";
        return false;
    }
    rtnl_neigh_set_lladdr(neighbour.get(), hardware.get());
    rtnl_neigh_set_state(neighbour.get(), NUD_PERMANENT);
    // Replacing: an entry learned again between a deletion and this call must not stop it.
    if (const int code =
            rtnl_neigh_add(socket.get(), neighbour.get(), NLM_F_CREATE | NLM_F_REPLACE);
        code < 0) {
        error = Reason("cannot create the permanent neighbour entry", code);
        return false;
    }
    return true;
}

bool MayChangeNeighbourTable() {
    cap_t capabilities = cap_get_proc();
    if (capabilities == nullptr) {
        return false;
    }
    cap_flag_value_t value = CAP_CLEAR;
    const bool held =
        cap_get_flag(capabilities, CAP_NET_ADMIN, CAP_EFFECTIVE, &value) == 0 && value == CAP_SET;
    cap_free(capabilities);
    return held;
}

std::string InterfaceName(int interfaceIndex) {
    char name[IF_NAMESIZE] = {};
    if (interfaceIndex > 0 &&
        if_indextoname(static_cast<unsigned int>(interfaceIndex), name) != nullptr) {
        return name;
    }
    return std::to_string(interfaceIndex);
}

} // namespace platform
