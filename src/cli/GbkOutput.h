#pragma once

#include <cstdio>
#include <string_view>

namespace cli {

// Prints GBK text as one UTF-8 line; line ends already at its end are not doubled.
void PrintGbkLine(std::FILE* stream, std::string_view gbk);

} // namespace cli
