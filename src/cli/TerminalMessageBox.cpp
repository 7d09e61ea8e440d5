#include "cli/TerminalMessageBox.h"

#include "platform/GbkCodec.h"

namespace cli {

void CTerminalMessageBox::Inform(std::string_view text) {
    Print("warning", text);
}

bool CTerminalMessageBox::AskOkCancel(std::string_view text) {
    Print("question answered Cancel", text);
    return false;
}

bool CTerminalMessageBox::AskYesNo(std::string_view text) {
    Print("question answered No", text);
    return false;
}

void CTerminalMessageBox::Print(std::string_view kind, std::string_view text) {
    const std::string shown = platform::GbkToUtf8ForDisplay(text);
    std::fprintf(m_stream, "vornctl: %.*s: %s\n", static_cast<int>(kind.size()), kind.data(),
                 shown.c_str());
}

} // namespace cli
