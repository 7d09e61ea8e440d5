#pragma once

#include "platform/FixedText.h"

#include <cstddef>
#include <cstdint>

namespace config {

inline constexpr std::int32_t ACCESS_DOMESTIC = 0; // free addresses only
inline constexpr std::int32_t ACCESS_OVERALL = 1;  // free and paid addresses

// The fields of a saved account hold at most 63 bytes of GBK text.
inline constexpr std::size_t kUserFieldSize = 64;
using UserText = platform::CFixedText<kUserFieldSize>;

// One saved account, as it passes between the store and its callers. Texts are GBK. A
// name or password that does not fit is refused by Assign, so a record never holds one.
struct UserInfo {
    UserText username;
    UserText password;         // meaningful only when savePassword is set
    bool savePassword = false; // a password is remembered for the account
    std::int32_t access = ACCESS_DOMESTIC;
};

} // namespace config
