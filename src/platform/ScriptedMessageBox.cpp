#include "platform/ScriptedMessageBox.h"

namespace platform {

void CScriptedMessageBox::Inform(std::string_view text) {
    m_shown.push_back({Kind::Inform, std::string(text)});
}

bool CScriptedMessageBox::AskOkCancel(std::string_view text) {
    return Answer(Kind::OkCancel, text);
}

bool CScriptedMessageBox::AskYesNo(std::string_view text) {
    return Answer(Kind::YesNo, text);
}

bool CScriptedMessageBox::Answer(Kind kind, std::string_view text) {
    m_shown.push_back({kind, std::string(text)});
    if (m_answers.empty()) {
        ++m_unscripted;
        return false;
    }
    const bool answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

} // namespace platform
