#include "ui/TargetDialog.h"

#include <QLabel>
#include <QLineEdit>

namespace ui {

CTargetDialog::CTargetDialog(QWidget* parent, const Template& dialogTemplate)
    : CTemplateDialog(parent, dialogTemplate.caption, 141, 75) {
    AddGroup(dialogTemplate.group, QRect(7, 7, 127, 61));
    QLabel* label = AddText(dialogTemplate.label, 0, QRect(16, 20, dialogTemplate.labelWidth, 8));
    m_hostEdit = AddEdit(dialogTemplate.editId, *label, QRect(18, 36, 108, 12));
    AddButton(QStringLiteral("确定"), kIdOk, QRect(9, 52, 62, 14));
    AddButton(QStringLiteral("取消"), kIdCancel, QRect(72, 52, 62, 14));
    m_hostEdit->setFocus();
}

void CTargetDialog::accept() {
    m_host = m_hostEdit->text();
    CTemplateDialog::accept();
}

} // namespace ui
