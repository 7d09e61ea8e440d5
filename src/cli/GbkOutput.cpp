#include "cli/GbkOutput.h"

#include "platform/GbkCodec.h"

#include <string>

namespace cli {

void PrintGbkLine(std::FILE* stream, std::string_view gbk) {
    std::string shown = platform::GbkToUtf8ForDisplay(gbk);
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) {
        shown.pop_back();
    }
    std::fprintf(stream, "%s\n", shown.c_str());
}

} // namespace cli
