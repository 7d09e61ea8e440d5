#pragma once

#include "platform/NetworkState.h"

#include <map>
#include <set>

namespace platform {

// A machine of the test's choosing: every query answers what the test put into the public
// tables, in the order it put them, except the queries it has set to fail.
class CFixedNetworkState final : public CNetworkState {
public:
    enum class Query {
        CommonConfig,
        Adapters,
        Interface,
        ArpTable,
        InterfaceList,
        RouteTable,
        ProxySetting,
        TcpTable,
        UdpTable,
    };

    CommonConfig common;
    std::vector<AdapterInfo> adapters;
    std::map<int, InterfaceRecord> interfaces; // by index; a missing index fails its query
    std::vector<ArpRow> arp;
    std::vector<InterfaceRow> interfaceList;
    std::vector<RouteRow> routes;
    ProxySetting proxy;
    std::vector<TcpRow> tcp;
    std::vector<Endpoint> udp;
    std::set<Query> failing;

    bool ReadCommonConfig(CommonConfig& config, std::string& error) const override;
    bool ReadAdapters(std::vector<AdapterInfo>& rows, std::string& error) const override;
    bool ReadInterface(int index, InterfaceRecord& record, std::string& error) const override;
    bool ReadArpTable(std::vector<ArpRow>& rows, std::string& error) const override;
    bool ReadInterfaceList(std::vector<InterfaceRow>& rows, std::string& error) const override;
    bool ReadRouteTable(std::vector<RouteRow>& rows, std::string& error) const override;
    bool ReadProxySetting(ProxySetting& setting, std::string& error) const override;
    bool ReadTcpTable(std::vector<TcpRow>& rows, std::string& error) const override;
    bool ReadUdpTable(std::vector<Endpoint>& rows, std::string& error) const override;

private:
    // Hands value over unless query is set to fail.
    template <typename Value>
    bool Answer(Query query, const Value& value, Value& out, std::string& error) const {
        if (failing.count(query) != 0) {
            error = "the fixture machine fails this query";
            return false;
        }
        out = value;
        return true;
    }
};

} // namespace platform
