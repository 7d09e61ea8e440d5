#include "ui/FontStatic.h"

#include "ui/LinkAccessible.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace ui {

CFontStatic::CFontStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    // Reachable from the keyboard, so that the command does not need a mouse.
    setFocusPolicy(Qt::TabFocus);
    InstallLinkAccessibility();
}

void CFontStatic::Activate() {
    emit clicked();
}

void CFontStatic::mousePressEvent(QMouseEvent* event) {
    event->setAccepted(event->button() == Qt::LeftButton);
}

void CFontStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        Activate();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CFontStatic::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();
        Activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace ui
