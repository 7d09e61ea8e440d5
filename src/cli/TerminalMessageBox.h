#pragma once

#include "platform/MessageBox.h"

#include <cstdio>

namespace cli {

// The message box of a tool that runs unattended: notices are printed to standard error
// as warnings, and questions are printed and answered Cancel or No, so nothing waits.
class CTerminalMessageBox final : public platform::CMessageBox {
public:
    explicit CTerminalMessageBox(std::FILE* stream) : m_stream(stream) {}

    void Inform(std::string_view text) override;
    bool AskOkCancel(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;

private:
    void Print(std::string_view kind, std::string_view text);

    std::FILE* m_stream;
};

} // namespace cli
