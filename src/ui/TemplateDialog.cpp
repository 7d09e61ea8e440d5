#include "ui/TemplateDialog.h"

#include "ui/Icons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace ui {

CTemplateDialog::CTemplateDialog(QWidget* parent, const QString& caption, int width, int height)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_units(DialogFont()) {
    setFont(DialogFont());
    setWindowTitle(caption);
    setFixedSize(m_units.Size(width, height));
    setModal(true);
}

void CTemplateDialog::Place(QWidget& control, int id, QRect dialogUnits) const {
    m_units.Place(control, id, dialogUnits.x(), dialogUnits.y(), dialogUnits.width(),
                  dialogUnits.height());
}

QLabel* CTemplateDialog::AddText(const QString& text, int id, QRect dialogUnits, bool wrap) {
    auto* label = new QLabel(text, this);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    Place(*label, id, dialogUnits);
    return label;
}

QLabel* CTemplateDialog::AddIcon(int resourceId, const QString& name, QRect dialogUnits) {
    auto* label = new QLabel(this);
    Place(*label, 0, dialogUnits);
    const int side = std::min(label->width(), label->height());
    label->setPixmap(ResourceIcon(resourceId).pixmap(QSize(side, side), devicePixelRatioF()));
    label->setAlignment(Qt::AlignCenter);
    label->setAccessibleName(name);
    return label;
}

QGroupBox* CTemplateDialog::AddGroup(const QString& title, QRect dialogUnits) {
    auto* group = new QGroupBox(title, this);
    Place(*group, 0, dialogUnits);
    return group;
}

QPushButton* CTemplateDialog::AddButton(const QString& text, int id, QRect dialogUnits) {
    auto* button = new QPushButton(text, this);
    Place(*button, id, dialogUnits);
    if (id == kIdOk) {
        button->setDefault(true);
        connect(button, &QPushButton::clicked, this, &QDialog::accept);
    } else if (id == kIdCancel) {
        connect(button, &QPushButton::clicked, this, &QDialog::reject);
    } else {
        button->setAutoDefault(false);
    }
    return button;
}

QCheckBox* CTemplateDialog::AddCheck(const QString& text, int id, QRect dialogUnits) {
    auto* check = new QCheckBox(text, this);
    Place(*check, id, dialogUnits);
    return check;
}

QLineEdit* CTemplateDialog::AddEdit(int id, QLabel& label, QRect dialogUnits) {
    auto* edit = new QLineEdit(this);
    Place(*edit, id, dialogUnits);
    QString name = label.text();
    while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A))) {
        name.chop(1);
    }
    edit->setAccessibleName(name);
    label.setBuddy(edit);
    return edit;
}

} // namespace ui
