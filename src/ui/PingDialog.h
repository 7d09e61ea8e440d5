#pragma once

#include "ui/TemplateDialog.h"

class QCheckBox;
class QLineEdit;

namespace ui {

// Asks for the ping tool's target (template 163). The target and "持续" (continuous) are
// taken from the controls when the dialog closes with "确定", as typed: no check of any
// kind. They stay empty and false after any other close.
class CPingDialog : public CTemplateDialog {
    Q_OBJECT

public:
    explicit CPingDialog(QWidget* parent = nullptr);

    const QString& Host() const { return m_host; }
    bool Continuous() const { return m_continuous; }

    void accept() override;

private:
    QLineEdit* m_hostEdit;
    QCheckBox* m_continuousCheck;
    bool m_continuous = false;
    QString m_host;
};

} // namespace ui
