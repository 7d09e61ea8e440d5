#pragma once

#include "ui/TemplateDialog.h"

namespace ui {

// Asks before every saved account's information is deleted (template 161): exec() answers
// Accepted for "确定".
class CDeleteAllUIConfirmDlg : public CTemplateDialog {
    Q_OBJECT

public:
    explicit CDeleteAllUIConfirmDlg(QWidget* parent = nullptr);
};

} // namespace ui
