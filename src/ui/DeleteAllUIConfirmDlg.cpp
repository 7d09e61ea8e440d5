#include "ui/DeleteAllUIConfirmDlg.h"

namespace ui {

CDeleteAllUIConfirmDlg::CDeleteAllUIConfirmDlg(QWidget* parent)
    : CTemplateDialog(parent, QStringLiteral("Dialog"), 115, 38) {
    AddText(QStringLiteral("确实要删除所有账户信息？"), 0, QRect(9, 7, 100, 10));
    AddButton(QStringLiteral("确定"), kIdOk, QRect(9, 20, 46, 14));
    AddButton(QStringLiteral("取消"), kIdCancel, QRect(60, 20, 46, 14));
}

} // namespace ui
