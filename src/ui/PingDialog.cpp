#include "ui/PingDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace ui {

CPingDialog::CPingDialog(QWidget* parent)
    : CTemplateDialog(parent, QStringLiteral("Ping"), 143, 78) {
    AddGroup(QStringLiteral("Ping工具"), QRect(7, 7, 129, 64));
    QLabel* label = AddText(QStringLiteral("请输入主机名或IP地址:"), 0, QRect(13, 20, 81, 8));
    m_hostEdit = AddEdit(1038, *label, QRect(13, 31, 116, 12));
    m_continuousCheck = AddCheck(QStringLiteral("持续"), 1036, QRect(13, 45, 33, 10));
    AddButton(QStringLiteral("确定"), kIdOk, QRect(9, 56, 62, 14));
    AddButton(QStringLiteral("取消"), kIdCancel, QRect(73, 56, 61, 14));
    m_hostEdit->setFocus();
}

void CPingDialog::accept() {
    m_host = m_hostEdit->text();
    m_continuous = m_continuousCheck->isChecked();
    CTemplateDialog::accept();
}

} // namespace ui
