#include "platform/ReportCodes.h"

#include <linux/if_arp.h>
#include <linux/rtnetlink.h>

namespace platform {
namespace {

// The kernel's TCP_* states (include/net/tcp_states.h is not exported to user space).
enum LinuxTcpState {
    kEstablished = 1,
    kSynSent,
    kSynRecv,
    kFinWait1,
    kFinWait2,
    kTimeWait,
    kClose,
    kCloseWait,
    kLastAck,
    kListen,
    kClosing,
    kNewSynRecv,
    kBoundInactive,
};

} // namespace

int ReportInterfaceType(std::uint16_t arphrd, bool wireless) {
    switch (arphrd) {
    case ARPHRD_ETHER:
    case ARPHRD_EETHER:
    case ARPHRD_IEEE802:
        return wireless ? 71 : 6;
    case ARPHRD_IEEE802_TR:
        return 9;
    case ARPHRD_PPP:
        return 23;
    case ARPHRD_LOOPBACK:
        return 24;
    case ARPHRD_ATM:
        return 37;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
    case ARPHRD_NONE:
        return 131;
    case ARPHRD_IEEE1394:
        return 144;
    case ARPHRD_VOID:
        return 1;
    default:
        return 0;
    }
}

int ReportRouteType(std::uint8_t rtn, bool hasGateway) {
    switch (rtn) {
    case RTN_UNICAST:
        return hasGateway ? 4 : 3;
    case RTN_LOCAL:
    case RTN_BROADCAST:
    case RTN_ANYCAST:
    case RTN_MULTICAST:
        return 3;
    case RTN_BLACKHOLE:
    case RTN_UNREACHABLE:
    case RTN_PROHIBIT:
    case RTN_THROW:
        return 2;
    case RTN_UNSPEC:
    case RTN_NAT:
    case RTN_XRESOLVE:
        return 1;
    default:
        return 0;
    }
}

int ReportRouteProtocol(std::uint8_t rtprot) {
    switch (rtprot) {
    case RTPROT_KERNEL:
        return 2;
    case RTPROT_BOOT:
    case RTPROT_DHCP:
        return 3;
    case RTPROT_STATIC:
        return 10006;
    case RTPROT_REDIRECT:
    case RTPROT_RA:
        return 4;
    case RTPROT_RIP:
        return 8;
    case RTPROT_ISIS:
        return 9;
    case RTPROT_EIGRP:
        return 11;
    case RTPROT_OSPF:
        return 13;
    case RTPROT_BGP:
        return 14;
    case RTPROT_UNSPEC:
    case RTPROT_GATED:
    case RTPROT_MRT:
    case RTPROT_ZEBRA:
    case RTPROT_BIRD:
    case RTPROT_DNROUTED:
    case RTPROT_XORP:
    case RTPROT_NTK:
    case RTPROT_MROUTED:
    case RTPROT_KEEPALIVED:
    case RTPROT_BABEL:
    case RTPROT_OPENR:
        return 1;
    default:
        return 0;
    }
}

int ReportTcpState(int linuxState) {
    switch (linuxState) {
    case kClose:
    case kBoundInactive:
        return 1;
    case kListen:
        return 2;
    case kSynSent:
        return 3;
    case kSynRecv:
    case kNewSynRecv:
        return 4;
    case kEstablished:
        return 5;
    case kFinWait1:
        return 6;
    case kFinWait2:
        return 7;
    case kCloseWait:
        return 8;
    case kClosing:
        return 9;
    case kLastAck:
        return 10;
    case kTimeWait:
        return 11;
    default:
        return 0;
    }
}

} // namespace platform
