#pragma once

#include <cstdint>

namespace platform {

// The one place where Linux's codes become the numbers of the network state report's four
// tables (and its ARP entry types, see NeighbourType). The report's numbers are those of
// the interface MIB (RFC 2863 ifType, RFC 1354 route type and protocol, RFC 4022 TCP
// state). Each function answers 0 for a Linux code that has no counterpart there; the
// report writes nothing for 0.

// Interface type from the ARPHRD_* type of an interface; wireless says whether the
// interface is 802.11 (Linux gives Wi-Fi devices the Ethernet type).
//   ARPHRD_ETHER, _EETHER, _IEEE802       6 Ethernet (71 802.11 when wireless)
//   ARPHRD_IEEE802_TR                     9 token ring
//   ARPHRD_PPP                            23 PPP
//   ARPHRD_LOOPBACK                       24 loopback
//   ARPHRD_ATM                            37 ATM
//   ARPHRD_TUNNEL, _TUNNEL6, _SIT, _IPGRE, _IP6GRE, _NONE (tun, WireGuard)   131 tunnel
//   ARPHRD_IEEE1394                       144 IEEE 1394
//   ARPHRD_VOID                           1 unknown
int ReportInterfaceType(std::uint16_t arphrd, bool wireless);

// Route type from the RTN_* type and whether the route has a gateway:
//   RTN_UNICAST with a gateway            4 indirect
//   RTN_UNICAST without, RTN_LOCAL, _BROADCAST, _ANYCAST, _MULTICAST   3 direct
//   RTN_BLACKHOLE, _UNREACHABLE, _PROHIBIT, _THROW                     2 invalid
//   RTN_UNSPEC, _NAT, _XRESOLVE           1 other
int ReportRouteType(std::uint8_t rtn, bool hasGateway);

// Route protocol from the RTPROT_* of a route:
//   RTPROT_KERNEL                         2 local interface
//   RTPROT_BOOT (ip route's default), RTPROT_DHCP   3 static set by network management
//   RTPROT_STATIC                         10006 static route
//   RTPROT_REDIRECT, RTPROT_RA (ICMP router discovery)   4 ICMP
//   RTPROT_RIP 8, RTPROT_ISIS 9, RTPROT_EIGRP 11, RTPROT_OSPF 13, RTPROT_BGP 14
//   every other protocol that <linux/rtnetlink.h> names (routing daemons such as
//   zebra, bird, babel; RTPROT_UNSPEC)    1 unknown protocol
int ReportRouteProtocol(std::uint8_t rtprot);

// TCP state from the kernel's TCP_* state (include/net/tcp_states.h, as /proc/net/tcp and
// sock_diag give it): ESTABLISHED 5, SYN_SENT 3, SYN_RECV and NEW_SYN_RECV 4, FIN_WAIT1
// 6, FIN_WAIT2 7, TIME_WAIT 11, CLOSE and BOUND_INACTIVE 1, CLOSE_WAIT 8, LAST_ACK 10,
// LISTEN 2, CLOSING 9. Linux has no DELETE_TCB (12).
int ReportTcpState(int linuxState);

} // namespace platform
