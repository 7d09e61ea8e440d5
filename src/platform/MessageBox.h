#pragma once

#include <string_view>

namespace platform {

// The questions and notices that core code puts to the user. Texts are GBK byte text.
// The desktop application answers them with modal boxes on its UI thread, the command
// line on the terminal, tests from a script. Every call waits for the user's answer.
class CMessageBox {
public:
    virtual ~CMessageBox() = default;

    // Shows text with only an OK button.
    virtual void Inform(std::string_view text) = 0;

    // Asks with OK and Cancel buttons; answers true for OK.
    virtual bool AskOkCancel(std::string_view text) = 0;

    // Asks with Yes and No buttons; answers true for Yes.
    virtual bool AskYesNo(std::string_view text) = 0;
};

} // namespace platform
