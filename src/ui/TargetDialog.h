#pragma once

#include "ui/TemplateDialog.h"

class QLineEdit;

namespace ui {

// The shape of the tracert and name-lookup templates (141 x 75): a group box, a label, one
// edit box and "确定"/"取消". The target is taken from the box when the dialog closes with
// "确定", as typed; it stays empty after any other close.
class CTargetDialog : public CTemplateDialog {
    Q_OBJECT

public:
    struct Template {
        QString caption;
        QString group;
        QString label;
        int labelWidth;
        int editId;
    };

    CTargetDialog(QWidget* parent, const Template& dialogTemplate);

    const QString& Host() const { return m_host; }

    void accept() override;

private:
    QLineEdit* m_hostEdit;
    QString m_host;
};

} // namespace ui
