#pragma once

#include "platform/Process.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// Answers an environment variable's value, nothing when it is not set.
using Environment = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment.
std::optional<std::string> SystemEnvironment(const char* name);

// An XDG base folder: the absolute value of variable, else homeRelative under $HOME; empty
// when neither gives an absolute path (a relative value counts as unset).
std::filesystem::path XdgBaseFolder(const Environment& environment, const char* variable,
                                    const char* homeRelative);

// Where vornctl and vornclient work. Run from an installation (a "share/vornclient" folder
// beside the program's "bin" folder), each user works in $XDG_DATA_HOME/vornclient, made on
// first use from the installation's files; run from a build tree, they work in the current
// directory. Nothing is ever written into the installation.
class CWorkingDirectory {
public:
    explicit CWorkingDirectory(const std::filesystem::path& programDirectory = ProgramDirectory(),
                               Environment environment = SystemEnvironment);

    // The installation's shared files; empty when the program runs from a build tree.
    const std::filesystem::path& Installation() const { return m_installation; }

    // The settings document the installation ships: in the installation, or beside the
    // program in a build tree.
    std::filesystem::path InstalledConfig() const;

    // $XDG_DATA_HOME/vornclient; empty when there is no absolute home folder.
    std::filesystem::path UserFolder() const;

    // The folder to work in: requested when not empty; in an installation the per-user
    // folder, made (mode 0700) and given every installed file it lacks; in a build tree
    // an empty path, the current directory. A file the user already has is never
    // replaced. False, with why in error, when the per-user folder cannot be made or
    // filled.
    bool Choose(const std::filesystem::path& requested, std::filesystem::path& chosen,
                std::string& error) const;

private:
    bool Prepare(const std::filesystem::path& folder, std::string& error) const;

    std::filesystem::path m_programDirectory;
    std::filesystem::path m_installation;
    Environment m_environment;
};

} // namespace platform
