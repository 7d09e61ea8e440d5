#include "ui/NslookupDlg.h"

namespace ui {

CNslookupDlg::CNslookupDlg(QWidget* parent)
    : CTargetDialog(parent, {QStringLiteral("域名解析"), QStringLiteral("域名解析工具"),
                             QStringLiteral("请输入需要解析的域名:"), 84, 1039}) {}

} // namespace ui
