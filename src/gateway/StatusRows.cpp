#include "gateway/StatusRows.h"

#include "resources/StringTable.h"

namespace gateway {
namespace {

StatusRow Row(int labelId, std::string_view value) {
    return {std::string(resources::LoadResString(labelId)), std::string(value)};
}

StatusRow Row(int labelId, int valueId) {
    return Row(labelId, resources::LoadResString(valueId));
}

} // namespace

std::vector<StatusRow> ConnectedStatusRows(const GatewayResult& result) {
    using namespace resources;
    return {
        Row(IDS_STATUS, IDS_CONNECTED),
        Row(IDS_USER_NAME, result.m_szResUserName.View()),
        Row(IDS_CURRENT_ADDRESS, result.m_szResIP.View()),
        result.m_bFixRate ? Row(IDS_PACKAGE_STATE, result.m_szFixRateDesc.View())
                          : Row(IDS_PACKAGE_STATE, IDS_NO_PACKAGE),
        Row(IDS_TIME_USED, result.m_szFixRateTime.View()),
        Row(IDS_ACCESS_RANGE,
            result.m_bInternational ? IDS_FREE_AND_PAID_ADDRESSES : IDS_FREE_ADDRESSES),
        Row(IDS_CURRENT_CONNECTIONS, result.m_szConnections.View()),
        Row(IDS_BALANCE, result.m_szBalance.View()),
        Row(IDS_MIND_PAYMENTS, IDS_USE_CAMPUS_CARD),
    };
}

std::vector<StatusRow> DisconnectedStatusRows() {
    return {Row(resources::IDS_STATUS, resources::IDS_NOT_CONNECTED)};
}

} // namespace gateway
