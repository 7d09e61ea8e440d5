#pragma once

#include "ui/TemplateDialog.h"

namespace ui {

// The exit confirmation (template 133), shown by the exit routine while a connection is
// open: exec() answers Accepted for "确定" (disconnect and quit), Rejected otherwise.
class CExitDlg : public CTemplateDialog {
    Q_OBJECT

public:
    explicit CExitDlg(QWidget* parent = nullptr);
};

} // namespace ui
