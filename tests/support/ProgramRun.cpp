#include "tests/support/ProgramRun.h"

#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

// Only a hung program takes this long; a slow machine stays far below it.
constexpr std::chrono::seconds kBound{60};
constexpr std::chrono::milliseconds kPollInterval{5};

int WaitBounded(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, const std::string& input,
                      const std::filesystem::path& scratchDir) {
    const std::filesystem::path inPath = scratchDir / "run.stdin";
    const std::filesystem::path outPath = scratchDir / "run.stdout";
    const std::filesystem::path errPath = scratchDir / "run.stderr";
    std::ofstream(inPath, std::ios::binary) << input;

    std::vector<std::string> words = {program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // A session of its own: the program has no controlling terminal to ask on.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, words[0].c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);

    ProgramRun run;
    if (spawned == 0) {
        run.exitCode = WaitBounded(pid);
    }
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
}

} // namespace testsupport
