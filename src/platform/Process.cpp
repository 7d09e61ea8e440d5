#include "platform/Process.h"

#include <csignal>
#include <system_error>

namespace platform {

void IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

std::filesystem::path ProgramDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

} // namespace platform
