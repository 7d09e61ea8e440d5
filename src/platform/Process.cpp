#include "platform/Process.h"

#include <csignal>
#include <system_error>

namespace platform {

void IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

std::filesystem::path ProgramDirectory() {
    return ProgramPath().parent_path();
}

std::filesystem::path ProgramPath() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program;
}

} // namespace platform
