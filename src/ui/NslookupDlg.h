#pragma once

#include "ui/TargetDialog.h"

namespace ui {

// Asks for the domain name that the name-lookup tool looks up (template 165).
class CNslookupDlg : public CTargetDialog {
    Q_OBJECT

public:
    explicit CNslookupDlg(QWidget* parent = nullptr);
};

} // namespace ui
