#pragma once

#include "gateway/GatewayResult.h"

#include <string>
#include <vector>

namespace gateway {

// One row of the status list: a label and its value, GBK byte text.
struct StatusRow {
    std::string label;
    std::string value;
};

// The nine rows that show an open connection, filled from the result of its connect.
std::vector<StatusRow> ConnectedStatusRows(const GatewayResult& result);

// The single row that shows no connection.
std::vector<StatusRow> DisconnectedStatusRows();

} // namespace gateway
