#include "ui/LinkAccessible.h"

#include "ui/FontStatic.h"
#include "ui/LinkStatic.h"

#include <QAccessibleWidget>

namespace ui {
namespace {

class CLinkAccessible final : public QAccessibleWidget {
public:
    explicit CLinkAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name) {
            return QAccessibleWidget::text(kind);
        }
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? static_cast<const QLabel*>(widget())->text() : name;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& action) override {
        if (action != pressAction() || !widget()->isEnabled()) {
            return;
        }
        if (auto* link = qobject_cast<CLinkStatic*>(widget())) {
            link->Activate();
        } else if (auto* label = qobject_cast<CFontStatic*>(widget())) {
            label->Activate();
        }
    }
};

QAccessibleInterface* LinkFactory(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    if (className == QLatin1String(CLinkStatic::staticMetaObject.className()) ||
        className == QLatin1String(CFontStatic::staticMetaObject.className())) {
        return new CLinkAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

void InstallLinkAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(LinkFactory);
        return true;
    }();
    static_cast<void>(installed);
}

} // namespace ui
