#pragma once

#include "cli/Options.h"
#include "config/UserInfo.h"
#include "gateway/GatewayServer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

class CSavedAccounts;

inline constexpr int kExitUsage = 64;
inline constexpr int kExitDisconnectFailed = 4;
inline constexpr int kExitSettingsFailed = 1;

// The command-line front end: runs one command over the gateway client and the saved
// accounts of the working directory, and turns its outcome into output and an exit
// status. Output is UTF-8.
class CVornctl {
public:
    CVornctl(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    // Runs the command line (without the program name) and answers the exit status.
    int Run(const std::vector<std::string>& arguments);

private:
    // The account of a gateway command: typed, or the default account. Answers 0 or the
    // exit status that ends the command.
    int ChooseAccount(const Options& options, CSavedAccounts& saved, config::UserInfo& account,
                      Range& range);
    int RunGatewayCommand(const Options& options, CSavedAccounts& saved);
    int RunAccountCommand(const Options& options, CSavedAccounts& saved);
    void RememberAccount(const Options& options, CSavedAccounts& saved,
                         const config::UserInfo& account, Range range);
    gateway::GatewayServer ChooseServer(const Options& options, CSavedAccounts& saved) const;
    bool EnterWorkdir(const std::string& workdir);
    bool ReadPassword(const Options& options, std::string& password);
    bool ToGbk(const std::string& what, const std::string& utf8, std::size_t maxLength,
               std::string& gbk);
    int Fail(int status, const std::string& utf8Message);
    int FailGbk(int status, std::string_view gbkMessage);

    std::FILE* m_out;
    std::FILE* m_err;
};

} // namespace cli
