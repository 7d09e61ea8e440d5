#include "tests/ui/DialogDriver.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace uitest {

int ExecThen(QDialog& dialog, const std::function<void()>& action) {
    QTimer::singleShot(0, &dialog, action);
    return dialog.exec();
}

QWidget* Control(const QWidget& window, int id) {
    return window.findChild<QWidget*>(QStringLiteral("id%1").arg(id));
}

QStringList ShownTexts(const QWidget& window) {
    QStringList texts;
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        if (const auto* label = qobject_cast<const QLabel*>(child)) {
            texts.append(label->text());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(child)) {
            texts.append(button->text());
        } else if (const auto* group = qobject_cast<const QGroupBox*>(child)) {
            texts.append(group->title());
        }
    }
    texts.removeAll(QString());
    return texts;
}

QStringList UnnamedControls(const QWidget& window) {
    QStringList unnamed;
    for (QWidget* child : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLabel*>(child) != nullptr ||
                             qobject_cast<QAbstractButton*>(child) != nullptr ||
                             qobject_cast<QLineEdit*>(child) != nullptr ||
                             qobject_cast<QGroupBox*>(child) != nullptr;
        if (!control || !child->isVisibleTo(&window)) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(child);
        if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed.append(QStringLiteral("%1 %2").arg(
                QLatin1String(child->metaObject()->className()), child->objectName()));
        }
    }
    return unnamed;
}

} // namespace uitest
