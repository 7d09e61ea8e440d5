#pragma once

#include "ui/TemplateDialog.h"

class QCheckBox;

namespace ui {

// The arrears prompt (template 138), shown after a successful connect while the ConPrompt
// switch is on. There is no cancel button; Escape and the close box cancel.
class CConPromptDlg : public CTemplateDialog {
    Q_OBJECT

public:
    explicit CConPromptDlg(QWidget* parent = nullptr);

    // Whether "不用再提示" was ticked when the prompt closed with "确定"; false after any
    // other close, whatever the box showed.
    bool NoPrompt() const { return m_bNoPrompt; }

    void accept() override;

private:
    QCheckBox* m_noPromptCheck;
    bool m_bNoPrompt = false;
};

} // namespace ui
