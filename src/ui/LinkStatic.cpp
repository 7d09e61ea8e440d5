#include "ui/LinkStatic.h"

#include "ui/LinkAccessible.h"
#include "ui/UrlPolicy.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace ui {

CLinkStatic::CLinkStatic(platform::CMessageBox& messages, QWidget* parent, Colouring colouring)
    : QLabel(parent), m_messages(messages), m_colouring(colouring) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ApplyColour();
    InstallLinkAccessibility();
}

bool CLinkStatic::SetCommand(const QString& command) {
    if (command.size() > kMaxCommandLength) {
        m_command.clear();
        return false;
    }
    m_command = command;
    return true;
}

QColor CLinkStatic::GetLinkColor() const {
    return m_bHover ? QColor(0, 0, 255) : QColor(0, 0, 0);
}

void CLinkStatic::enterEvent(QEnterEvent* event) {
    SetHover(true);
    QLabel::enterEvent(event);
}

void CLinkStatic::leaveEvent(QEvent* event) {
    // Whatever font the owner gave it, a link the mouse has left is not underlined.
    QFont plain = font();
    plain.setUnderline(false);
    setFont(plain);
    SetHover(false);
    QLabel::leaveEvent(event);
}

void CLinkStatic::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CLinkStatic::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Activate();
    }
}

void CLinkStatic::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();
        Activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CLinkStatic::SetHover(bool hover) {
    // Only a change repaints, not every move over the link.
    if (m_bHover == hover) {
        return;
    }
    m_bHover = hover;
    ApplyColour();
    update();
}

void CLinkStatic::ApplyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     m_colouring == Colouring::AlwaysBlue ? QColor(0, 0, 255) : GetLinkColor());
    setPalette(colours);
}

void CLinkStatic::Activate() {
    if (OpenLink(m_command, m_messages)) {
        emit opened(m_command);
    }
}

} // namespace ui
