#include "ui/ConPromptDlg.h"

#include <QCheckBox>

namespace ui {

CConPromptDlg::CConPromptDlg(QWidget* parent)
    : CTemplateDialog(parent, QStringLiteral("Dialog"), 135, 62) {
    AddText(QStringLiteral("您已经成功连接！目前的使用方式是欠费断网，请注意及时交费。"
                           "建议使用校园卡交费，可以不受限制，随时随地进行。"),
            0, QRect(7, 6, 121, 34), true);
    m_noPromptCheck = AddCheck(QStringLiteral("不用再提示"), 1023, QRect(7, 44, 66, 10));
    AddButton(QStringLiteral("确定"), kIdOk, QRect(78, 42, 50, 14));
}

void CConPromptDlg::accept() {
    m_bNoPrompt = m_noPromptCheck->isChecked();
    CTemplateDialog::accept();
}

} // namespace ui
