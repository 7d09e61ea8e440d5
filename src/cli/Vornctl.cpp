#include "cli/Vornctl.h"

#include "cli/CommandContext.h"
#include "cli/CommandLine.h"

namespace cli {

int CVornctl::Run(const std::vector<std::string>& arguments) {
    CCommandLine commandLine;
    const ParsedCommandLine parsed = commandLine.Parse(arguments);
    if (!parsed.help.empty()) {
        std::fputs(parsed.help.c_str(), m_out);
        return 0;
    }
    CCommandContext context(m_out, m_err, commandLine.Global());
    if (parsed.command == nullptr) {
        return context.Fail(kExitUsage, parsed.error + "\n" + parsed.hint);
    }
    if (const int status = context.EnterWorkdir(); status != 0) {
        return status;
    }
    return parsed.command->Run(context);
}

} // namespace cli
