#include "ui/DeleteCurUIConfirmDlg.h"

namespace ui {

CDeleteCurUIConfirmDlg::CDeleteCurUIConfirmDlg(QWidget* parent)
    : CTemplateDialog(parent, QStringLiteral("Dialog"), 114, 39) {
    AddText(QStringLiteral("确实要删除当前账户信息？"), 0, QRect(9, 7, 100, 10));
    AddButton(QStringLiteral("确定"), kIdOk, QRect(9, 20, 46, 14));
    AddButton(QStringLiteral("取消"), kIdCancel, QRect(59, 20, 46, 14));
}

} // namespace ui
