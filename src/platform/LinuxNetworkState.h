#pragma once

#include "platform/NetworkState.h"

namespace platform {

// The network state of the running Linux system, in the calling thread's network namespace:
// host name (gethostname) and the resolver configuration (/etc/resolv.conf; its domain,
// else the host name's part after the first dot, as the resolver itself decides);
// interfaces and IPv4 addresses, routes and neighbours over rtnetlink; interface records
// and descriptions from sysfs; sockets from /proc/net/tcp and /proc/net/udp; the proxy from
// the process's environment.
//
// An adapter counts as assigned dynamically when its first IPv4 address is not
// IFA_F_PERMANENT, that is it carries the lifetime of a lease (systemd-networkd,
// NetworkManager and dhclient all set one); its DHCP server comes from the lease files of
// those clients (DhcpLeases.h) where they are readable, and is empty otherwise.
class CLinuxNetworkState final : public CNetworkState {
public:
    bool ReadCommonConfig(CommonConfig& config, std::string& error) const override;
    bool ReadAdapters(std::vector<AdapterInfo>& adapters, std::string& error) const override;
    bool ReadInterface(int index, InterfaceRecord& record, std::string& error) const override;
    bool ReadArpTable(std::vector<ArpRow>& rows, std::string& error) const override;
    bool ReadInterfaceList(std::vector<InterfaceRow>& rows, std::string& error) const override;
    bool ReadRouteTable(std::vector<RouteRow>& rows, std::string& error) const override;
    bool ReadProxySetting(ProxySetting& setting, std::string& error) const override;
    bool ReadTcpTable(std::vector<TcpRow>& rows, std::string& error) const override;
    bool ReadUdpTable(std::vector<Endpoint>& rows, std::string& error) const override;
};

} // namespace platform
