#include "platform/FixedNetworkState.h"

namespace platform {

bool CFixedNetworkState::ReadCommonConfig(CommonConfig& config, std::string& error) const {
    return Answer(Query::CommonConfig, common, config, error);
}

bool CFixedNetworkState::ReadAdapters(std::vector<AdapterInfo>& rows, std::string& error) const {
    return Answer(Query::Adapters, adapters, rows, error);
}

bool CFixedNetworkState::ReadInterface(int index, InterfaceRecord& record,
                                       std::string& error) const {
    const auto found = interfaces.find(index);
    if (found == interfaces.end()) {
        error = "the fixture machine has no interface " + std::to_string(index);
        return false;
    }
    return Answer(Query::Interface, found->second, record, error);
}

bool CFixedNetworkState::ReadArpTable(std::vector<ArpRow>& rows, std::string& error) const {
    return Answer(Query::ArpTable, arp, rows, error);
}

bool CFixedNetworkState::ReadInterfaceList(std::vector<InterfaceRow>& rows,
                                           std::string& error) const {
    return Answer(Query::InterfaceList, interfaceList, rows, error);
}

bool CFixedNetworkState::ReadRouteTable(std::vector<RouteRow>& rows, std::string& error) const {
    return Answer(Query::RouteTable, routes, rows, error);
}

bool CFixedNetworkState::ReadProxySetting(ProxySetting& setting, std::string& error) const {
    return Answer(Query::ProxySetting, proxy, setting, error);
}

bool CFixedNetworkState::ReadTcpTable(std::vector<TcpRow>& rows, std::string& error) const {
    return Answer(Query::TcpTable, tcp, rows, error);
}

bool CFixedNetworkState::ReadUdpTable(std::vector<Endpoint>& rows, std::string& error) const {
    return Answer(Query::UdpTable, udp, rows, error);
}

} // namespace platform
