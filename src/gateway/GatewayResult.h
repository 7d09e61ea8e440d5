#pragma once

#include "platform/FixedText.h"

namespace gateway {

// What a connect answer reports about the connection. Each field keeps its content until
// a later answer writes it again.
struct GatewayResult {
    platform::CFixedText<21> m_szResUserName;    // USERNAME: the account as the server knows it
    platform::CFixedText<30> m_szResIP;          // IP: the address the connection runs from
    platform::CFixedText<10> m_szConnections;    // CONNECTIONS: the account's open connections
    platform::CFixedText<20> m_szBalance;        // BALANCE
    platform::CFixedText<128> m_szServerMessage; // MESSAGE: stored, not shown
    bool m_bSuccess = false;                     // SUCCESS is exactly "YES"
    bool m_bFixRate = false;                     // FIXRATE is exactly "YES": a monthly package
    platform::CFixedText<16> m_szFixRateDesc;    // FR_DESC_CN: the package, when m_bFixRate
    platform::CFixedText<16> m_szFixRateTime;    // FR_TIME: time used, "N/A" when missing
    bool m_bInternational = false;               // SCOPE is not exactly "domestic": paid range
    bool m_bDeficit = false;                     // DEFICIT is exactly "YES": arrears mode
};

} // namespace gateway
