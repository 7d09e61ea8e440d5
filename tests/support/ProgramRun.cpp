#include "tests/support/ProgramRun.h"

#include "platform/Launch.h"
#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace testsupport {
namespace {

// Only a hung program takes this long; a slow machine stays far below it.
constexpr std::chrono::seconds kBound{60};
constexpr std::chrono::milliseconds kPollInterval{5};

} // namespace

pid_t SpawnProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const StandardStreams& streams) {
    const platform::CArgumentVector argv(program, arguments);

    const std::string in = streams.in.empty() ? "/dev/null" : streams.in.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, streams.out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, streams.err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, argv.Program(), &actions, &attributes, argv.Argv(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

std::optional<int> WaitForProgram(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    int status = 0;
    for (;;) {
        const pid_t reaped = waitpid(pid, &status, WNOHANG);
        if (reaped == pid) {
            return status;
        }
        if (reaped < 0) {
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, const std::string& input,
                      const std::filesystem::path& scratchDir) {
    const StandardStreams streams{scratchDir / "run.stdin", scratchDir / "run.stdout",
                                  scratchDir / "run.stderr"};
    WriteBytes(streams.in, input);
    ProgramRun run;
    if (const pid_t pid = SpawnProgram(program, arguments, streams); pid > 0) {
        const std::optional<int> status = WaitForProgram(pid);
        if (status && WIFEXITED(*status)) {
            run.exitCode = WEXITSTATUS(*status);
        }
    }
    run.out = ReadFile(streams.out);
    run.err = ReadFile(streams.err);
    return run;
}

} // namespace testsupport
