#pragma once

#include "tools/gatewayd/Account.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace gatewayd {

// The accounts file, UTF-8 text. One section per account, named by the account name in
// square brackets, then "key = value" lines:
//
//     # a comment; blank lines are ignored
//     [student01]
//     password = secret word      (required; may hold spaces)
//     balance = 12.50             (text, default 0.00)
//     package = 包月20元           (the monthly package, or none; default none)
//     time-used = 31h             (time used under the package, or none; default none)
//     paid-addresses = yes        (yes or no, default no)
//     connection-limit = 2        (0 to 9999, default 1)
//     arrears-mode = no           (yes or no, default no)
//
// Lines starting with '#' or ';' are comments; there are no comments after a value. Keys
// and values are trimmed of spaces and tabs around them. Every value is converted to GBK.
// The answer format ends a value at a space, so the name, balance, package and time-used
// may not hold one; the name may not hold '&' either, since the client sends it unencoded.
// No text may hold control characters.

// The outcome of reading an accounts file.
struct AccountsFileResult {
    std::vector<Account> accounts; // in file order; empty on failure
    std::string error;             // "line N: why", or "FILE:N: why" from LoadAccountsFile

    bool Ok() const { return error.empty(); }
};

// Parses the text of an accounts file. Fails on the first malformed line, naming it.
AccountsFileResult ParseAccounts(std::string_view text);

// Reads and parses the file at path. Fails when it cannot be read or is malformed; the
// error then starts with the path.
AccountsFileResult LoadAccountsFile(const std::filesystem::path& path);

} // namespace gatewayd
