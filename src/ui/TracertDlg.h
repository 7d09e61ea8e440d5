#pragma once

#include "ui/TargetDialog.h"

namespace ui {

// Asks for the tracert tool's target (template 164).
class CTracertDlg : public CTargetDialog {
    Q_OBJECT

public:
    explicit CTracertDlg(QWidget* parent = nullptr);
};

} // namespace ui
