#include "ui/ExitDlg.h"

#include "ui/Icons.h"

namespace ui {

CExitDlg::CExitDlg(QWidget* parent) : CTemplateDialog(parent, QStringLiteral("Dialog"), 122, 50) {
    AddIcon(IDI_WARNING, QStringLiteral("警告"), QRect(7, 7, 21, 20));
    AddText(QStringLiteral("退出将自动断开连接，确认退出？"), 0, QRect(34, 8, 82, 20), true);
    AddButton(QStringLiteral("确定"), kIdOk, QRect(7, 31, 50, 14));
    AddButton(QStringLiteral("取消"), kIdCancel, QRect(65, 31, 50, 14));
}

} // namespace ui
