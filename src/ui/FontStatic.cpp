#include "ui/FontStatic.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace ui {

CFontStatic::CFontStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    // Reachable from the keyboard, so that the command does not need a mouse.
    setFocusPolicy(Qt::TabFocus);
}

void CFontStatic::mousePressEvent(QMouseEvent* event) {
    event->setAccepted(event->button() == Qt::LeftButton);
}

void CFontStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CFontStatic::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace ui
