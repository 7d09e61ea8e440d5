#include "ui/TracertDlg.h"

namespace ui {

CTracertDlg::CTracertDlg(QWidget* parent)
    : CTargetDialog(parent, {QStringLiteral("Tracert"), QStringLiteral("Tracert工具"),
                             QStringLiteral("请输入目标主机名或IP地址:"), 98, 1037}) {}

} // namespace ui
