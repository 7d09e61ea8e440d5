#include "platform/Launch.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace platform {

CArgumentVector::CArgumentVector(const std::filesystem::path& program,
                                 const std::vector<std::string>& arguments)
    : m_words{program.string()} {
    m_words.insert(m_words.end(), arguments.begin(), arguments.end());
    m_argv.reserve(m_words.size() + 1);
    for (std::string& word : m_words) {
        m_argv.push_back(word.data());
    }
    m_argv.push_back(nullptr);
}

bool StartDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   std::string& error) {
    const CArgumentVector argv(program, arguments);
    pid_t pid = -1;
    const int failure = posix_spawn(&pid, argv.Program(), nullptr, nullptr, argv.Argv(), environ);
    if (failure != 0) {
        error =
            "cannot start " + program.string() + ": " + std::generic_category().message(failure);
        return false;
    }
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

std::filesystem::path FindOnPath(std::string_view name) {
    // The program never changes its environment, so reading it races with nothing.
    const char* path = std::getenv("PATH"); // NOLINT(concurrency-mt-unsafe)
    std::string_view folders = path == nullptr ? "/usr/local/bin:/usr/bin:/bin" : path;
    while (!folders.empty()) {
        const std::size_t colon = std::min(folders.find(':'), folders.size());
        const std::string_view folder = folders.substr(0, colon);
        folders.remove_prefix(std::min(colon + 1, folders.size()));
        // An empty entry is the working directory, which a program is not looked up in here.
        if (folder.empty()) {
            continue;
        }
        std::filesystem::path candidate = std::filesystem::path(folder) / name;
        std::error_code ignored;
        if (std::filesystem::is_regular_file(candidate, ignored) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

bool OpenInDesktopApplication(const std::filesystem::path& file, std::string& error) {
    const std::filesystem::path opener = FindOnPath("xdg-open");
    if (opener.empty()) {
        error = "xdg-open is not installed";
        return false;
    }
    // An absolute path cannot be taken for an option or a URL.
    return StartDetached(opener, {std::filesystem::absolute(file).string()}, error);
}

} // namespace platform
