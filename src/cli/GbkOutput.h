#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

// Prints GBK text as one UTF-8 line; line ends already at its end are not doubled.
void PrintGbkLine(std::FILE* stream, std::string_view gbk);

// Text that came from outside (the server, the settings) made safe for one line of a
// terminal: line ends at its end are dropped, and every other control character (line
// feed, tab, ESC and the like) is written as "\xHH", so that a value cannot start a line
// of its own or reach the terminal as a command.
std::string Visible(std::string_view gbk);

} // namespace cli
