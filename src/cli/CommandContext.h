#pragma once

#include "cli/SavedAccounts.h"
#include "gateway/GatewayServer.h"
#include "gateway/StatusRows.h"
#include "platform/WorkingDirectory.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

inline constexpr int kExitUsage = 64;
inline constexpr int kExitSettingsFailed = 1;

// The options that come before (or anywhere around) the subcommand. Texts are UTF-8.
struct GlobalOptions {
    std::string workdir;                    // empty: the installation's per-user folder, or
                                            // the current directory in a build tree
    std::optional<std::string> gatewayHost; // from --gateway
    std::optional<std::uint16_t> gatewayPort;
};

// What every subcommand runs with: the output streams, the working directory and its saved
// settings, the gateway server choice, and the helpers that report a failure.
class CCommandContext {
public:
    CCommandContext(std::FILE* out, std::FILE* err, GlobalOptions global)
        : m_out(out), m_err(err), m_global(std::move(global)) {}

    // Makes the working directory the current one: --workdir, else the per-user folder of an
    // installation (made and filled on first use), else the current directory stays. Answers
    // 0, or says why not and answers the exit status.
    int EnterWorkdir();

    std::FILE* Out() const { return m_out; }
    std::FILE* Err() const { return m_err; }

    // The saved settings of the working directory, opened on first use.
    CSavedAccounts& Saved();

    // The gateway server: --gateway over the settings' Server element over the default.
    gateway::GatewayServer ChooseServer();

    // Converts UTF-8 text typed by the user for the server; says why not and answers false.
    bool ToGbk(const std::string& what, const std::string& utf8, std::size_t maxLength,
               std::string& gbk) const;

    // Prints one GBK line on standard output.
    void PrintGbk(std::string_view gbk) const;

    // Prints status rows as "label<TAB>value" lines, the server's values made visible.
    void PrintRows(const std::vector<gateway::StatusRow>& rows) const;

    // Print "vornctl: MESSAGE" on standard error and answer status. A GBK message may be
    // the server's text: its control characters are shown escaped.
    int Fail(int status, const std::string& utf8Message) const;
    int FailGbk(int status, std::string_view gbkMessage) const;

private:
    std::FILE* m_out;
    std::FILE* m_err;
    GlobalOptions m_global;
    platform::CWorkingDirectory m_places;
    std::optional<CSavedAccounts> m_saved;
};

} // namespace cli
