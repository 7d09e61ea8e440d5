#include "platform/WorkingDirectory.h"

#include "platform/BinaryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace platform {
namespace {

// What an installation hands each user: the settings document, the tools' scripts, and the
// certificates the gateway's chain verifies against when the deployment ships them.
constexpr std::array<const char*, 5> kInstalledFiles = {
    "config.xml", "ping-script.sh", "tracert-script.sh", "nslookup-script.sh", "ca.cer"};

// Larger than any file the installation ships.
constexpr std::size_t kInstalledFileLimit = std::size_t{1} << 20;

std::string Why(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// Makes folder (its parents as the umask has them, itself for its owner only).
bool MakeFolder(const std::filesystem::path& folder, std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(folder.parent_path(), code);
    if (code) {
        error = "cannot make " + folder.parent_path().string() + ": " + code.message();
        return false;
    }
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make " + folder.string() + ": " + Why(errno);
        return false;
    }
    if (!std::filesystem::is_directory(folder, code)) {
        error = folder.string() + " is not a folder";
        return false;
    }
    return true;
}

// Copies source to target unless target exists: the copy is written whole under another
// name and then linked, so a program starting at the same moment never reads half a file
// and a file the user has is never replaced.
bool CopyIfMissing(const std::filesystem::path& source, const std::filesystem::path& target,
                   std::string& error) {
    struct stat sourceStatus {};
    struct stat targetStatus {};
    if (stat(source.c_str(), &sourceStatus) != 0 || lstat(target.c_str(), &targetStatus) == 0) {
        return true;
    }
    std::string contents;
    if (ReadFileUpTo(source, kInstalledFileLimit, contents) != ReadFileStatus::Ok) {
        error = "cannot read " + source.string() + ": " + Why(errno);
        return false;
    }
    const mode_t mode = (sourceStatus.st_mode & S_IXUSR) != 0 ? 0700 : 0600;
    const std::filesystem::path temporary =
        target.parent_path() /
        ("." + target.filename().string() + ".new-" + std::to_string(getpid()));
    if (!WriteFileAtomically(temporary, contents, mode)) {
        error = "cannot write " + temporary.string() + ": " + Why(errno);
        return false;
    }
    const bool linked = link(temporary.c_str(), target.c_str()) == 0 || errno == EEXIST;
    const int linkError = errno;
    unlink(temporary.c_str());
    if (!linked) {
        error = "cannot write " + target.string() + ": " + Why(linkError);
    }
    return linked;
}

} // namespace

std::optional<std::string> SystemEnvironment(const char* name) {
    // Nothing in the programs changes the environment.
    const char* value = std::getenv(name); // NOLINT(concurrency-mt-unsafe)
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

std::filesystem::path XdgBaseFolder(const Environment& environment, const char* variable,
                                    const char* homeRelative) {
    const std::optional<std::string> value = environment(variable);
    if (value && std::filesystem::path(*value).is_absolute()) {
        return *value;
    }
    const std::optional<std::string> home = environment("HOME");
    if (home && std::filesystem::path(*home).is_absolute()) {
        return std::filesystem::path(*home) / homeRelative;
    }
    return {};
}

CWorkingDirectory::CWorkingDirectory(const std::filesystem::path& programDirectory,
                                     Environment environment)
    : m_programDirectory(programDirectory), m_environment(std::move(environment)) {
    if (programDirectory.empty()) {
        return;
    }
    const std::filesystem::path installation =
        (programDirectory / ".." / "share" / "vornclient").lexically_normal();
    std::error_code code;
    if (std::filesystem::is_directory(installation, code)) {
        m_installation = installation;
    }
}

std::filesystem::path CWorkingDirectory::InstalledConfig() const {
    return (m_installation.empty() ? m_programDirectory : m_installation) / "config.xml";
}

std::filesystem::path CWorkingDirectory::UserFolder() const {
    const std::filesystem::path dataHome =
        XdgBaseFolder(m_environment, "XDG_DATA_HOME", ".local/share");
    return dataHome.empty() ? dataHome : dataHome / "vornclient";
}

bool CWorkingDirectory::Choose(const std::filesystem::path& requested,
                               std::filesystem::path& chosen, std::string& error) const {
    if (!requested.empty() || m_installation.empty()) {
        chosen = requested;
        return true;
    }
    const std::filesystem::path folder = UserFolder();
    if (folder.empty()) {
        error = "there is no home folder for the settings: set HOME or XDG_DATA_HOME";
        return false;
    }
    if (!Prepare(folder, error)) {
        return false;
    }
    chosen = folder;
    return true;
}

bool CWorkingDirectory::Prepare(const std::filesystem::path& folder, std::string& error) const {
    if (!MakeFolder(folder, error)) {
        return false;
    }
    for (const char* name : kInstalledFiles) {
        if (!CopyIfMissing(m_installation / name, folder / name, error)) {
            return false;
        }
    }
    return true;
}

} // namespace platform
