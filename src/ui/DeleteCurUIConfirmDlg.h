#pragma once

#include "ui/TemplateDialog.h"

namespace ui {

// Asks before the current account's saved information is deleted (template 160): exec()
// answers Accepted for "确定".
class CDeleteCurUIConfirmDlg : public CTemplateDialog {
    Q_OBJECT

public:
    explicit CDeleteCurUIConfirmDlg(QWidget* parent = nullptr);
};

} // namespace ui
