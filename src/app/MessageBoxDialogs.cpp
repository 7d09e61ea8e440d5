#include "app/MessageBoxDialogs.h"

#include "app/WindowTexts.h"

namespace app {

bool CMessageBoxDialogs::ConfirmExit() {
    return m_messageBox.AskOkCancel(Gbk(texts::kExitConfirm));
}

bool CMessageBoxDialogs::ShowConPrompt() {
    m_messageBox.Inform(Gbk(texts::kConPrompt));
    return !m_messageBox.AskYesNo(Gbk(texts::kRemindAgain));
}

bool CMessageBoxDialogs::ConfirmDeleteCurrent() {
    return m_messageBox.AskOkCancel(Gbk(texts::kDeleteCurrentConfirm));
}

bool CMessageBoxDialogs::ConfirmDeleteAll() {
    return m_messageBox.AskOkCancel(Gbk(texts::kDeleteAllConfirm));
}

void CMessageBoxDialogs::ShowAbout(const ui::AboutSites& /*sites*/, CToolCommands& /*tools*/) {
    m_messageBox.Inform(Gbk(texts::kAboutTitle));
}

} // namespace app
