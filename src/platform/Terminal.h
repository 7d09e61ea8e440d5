#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Writes prompt to the controlling terminal and reads one line from it with echo off.
// Answers nothing when there is no terminal or reading fails. The text is UTF-8.
std::optional<std::string> ReadSecretFromTerminal(std::string_view prompt);

// Reads one line from standard input, without its line end. Answers nothing at end of
// input before any byte.
std::optional<std::string> ReadLineFromStdin();

} // namespace platform
