#include "ui/VORNNotificationBox.h"

#include "announce/VORNNotificationMessage.h"
#include "ui/Icons.h"
#include "ui/LinkStatic.h"
#include "ui/QtGbk.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QToolButton>
#include <algorithm>
#include <ctime>

namespace ui {
namespace {

constexpr int kWidth = 160; // template 168, dialog units
constexpr int kHeight = 86;
constexpr int kCloseId = 1047;
constexpr int kMoreId = 1046;
constexpr int kEdgeGap = 2;            // pixels between the popup and the work area's edges
constexpr std::int64_t kHideAfter = 6; // seconds
constexpr std::int64_t kRecheckAfter = 7;
constexpr std::chrono::milliseconds kCursorRecheck{6000};

} // namespace

CVORNNotificationBox::CVORNNotificationBox(const std::string& gatewayHost,
                                           platform::CMessageBox& messages, Clock clock,
                                           QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      m_clock(std::move(clock)), m_units(DialogFont()) {
    // Announcements must not take the keyboard from what the user is typing.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(DialogFont());
    setFixedSize(m_units.Size(kWidth, kHeight));
    setAccessibleName(QStringLiteral("校园网公告"));
    CreateControls(gatewayHost, messages);

    m_autoHideTimer.setSingleShot(true);
    connect(&m_autoHideTimer, &QTimer::timeout, this, &CVORNNotificationBox::CheckAutoHide);
    m_slide = new QPropertyAnimation(this, "pos", this);
    m_slide->setDuration(static_cast<int>(kSlideTime.count()));
    m_slide->setEasingCurve(QEasingCurve::OutCubic);
    m_fade = new QPropertyAnimation(this, "windowOpacity", this);
    m_fade->setDuration(static_cast<int>(kFadeTime.count()));
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    connect(m_fade, &QPropertyAnimation::finished, this, &CVORNNotificationBox::ClearLines);
}

CVORNNotificationBox::~CVORNNotificationBox() = default;

std::int64_t CVORNNotificationBox::SystemClock() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

void CVORNNotificationBox::CreateControls(const std::string& gatewayHost,
                                          platform::CMessageBox& messages) {
    m_closeButton = new QToolButton(this);
    m_closeButton->setAutoRaise(true);
    m_closeButton->setIcon(ResourceIcon(IDI_CLOSE));
    m_closeButton->setAccessibleName(QStringLiteral("关闭"));
    m_closeButton->setToolTip(QStringLiteral("关闭"));
    m_closeButton->setCursor(Qt::PointingHandCursor);
    m_units.Place(*m_closeButton, kCloseId, 148, 2, 21, 20);
    // The template's icon reaches past the right edge; keep it inside the window.
    m_closeButton->setGeometry(m_closeButton->geometry().intersected(rect()));
    const int iconSide = std::min({m_closeButton->width(), m_closeButton->height(), m_units.Y(10)});
    m_closeButton->setIconSize(QSize(iconSide, iconSide));
    connect(m_closeButton, &QToolButton::clicked, this, &CVORNNotificationBox::OnClose);

    for (int line = 0; line < kLineCount; ++line) {
        auto* link = new CLinkStatic(messages, this);
        link->setTextFormat(Qt::PlainText);
        m_units.Place(*link, kLineIds.at(line), 5, 20 + 13 * line, 144, 11);
        link->setEnabled(false);
        link->hide();
        m_lines.at(line) = link;
    }
    m_moreLink = new CLinkStatic(messages, this);
    m_moreLink->setText(QStringLiteral("更多"));
    m_moreLink->SetCommand(QStringLiteral("https://") + QString::fromStdString(gatewayHost));
    m_units.Place(*m_moreLink, kMoreId, 138, 73, 17, 8);
}

bool CVORNNotificationBox::AddMessage(const announce::CVORNNotificationMessage& message) {
    int line = 0;
    {
        const std::lock_guard lock(m_lock);
        if (!m_hidden) {
            return false;
        }
        const auto free = std::find(m_lineFree.begin(), m_lineFree.end(), true);
        if (free == m_lineFree.end()) {
            return false;
        }
        line = static_cast<int>(free - m_lineFree.begin());
        *free = false;
    }
    const QString text = QStringLiteral("%1. ").arg(line + 1) + FromGbk(message.Title());
    const QString url = FromGbk(message.Url());
    QMetaObject::invokeMethod(
        this, [this, line, text, url] { ShowLine(line, text, url); }, Qt::QueuedConnection);
    return true;
}

bool CVORNNotificationBox::Popup() {
    {
        const std::lock_guard lock(m_lock);
        if (!m_hidden ||
            std::all_of(m_lineFree.begin(), m_lineFree.end(), [](bool f) { return f; })) {
            return false;
        }
        m_hidden = false;
        m_lastActive = m_clock();
    }
    QMetaObject::invokeMethod(
        this, [this] { SlideIn(); }, Qt::QueuedConnection);
    return true;
}

bool CVORNNotificationBox::IsShowing() const {
    const std::lock_guard lock(m_lock);
    return !m_hidden;
}

void CVORNNotificationBox::ShowLine(int line, const QString& text, const QString& url) {
    CLinkStatic* link = m_lines.at(line);
    link->setText(link->fontMetrics().elidedText(text, Qt::ElideRight, link->width()));
    link->setAccessibleName(text);
    link->setToolTip(text);
    link->SetCommand(url);
    link->setEnabled(true);
    link->show();
}

void CVORNNotificationBox::SlideIn() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const QPoint target(area.x() + area.width() - width() - kEdgeGap,
                        area.y() + area.height() - height() - kEdgeGap);
    m_fade->stop();
    setWindowOpacity(1.0);
    m_slide->setStartValue(QPoint(target.x(), area.y() + area.height()));
    m_slide->setEndValue(target);
    move(m_slide->startValue().toPoint());
    show();
    raise();
    setEnabled(true);
    m_slide->start();
    ArmCheck(std::chrono::seconds(kRecheckAfter));
}

void CVORNNotificationBox::CheckAutoHide() {
    m_autoHideTimer.stop();
    std::int64_t elapsed = 0;
    {
        const std::lock_guard lock(m_lock);
        if (m_hidden || m_fade->state() == QAbstractAnimation::Running) {
            return;
        }
        elapsed = m_clock() - m_lastActive;
    }
    if (m_cursorInside) {
        ArmCheck(kCursorRecheck);
    } else if (elapsed >= kHideAfter) {
        FadeOut();
    } else {
        ArmCheck(std::chrono::seconds(kRecheckAfter - std::max<std::int64_t>(elapsed, 0)));
    }
}

std::chrono::milliseconds CVORNNotificationBox::PendingCheck() const {
    return std::chrono::milliseconds(m_autoHideTimer.isActive() ? m_autoHideTimer.interval() : -1);
}

void CVORNNotificationBox::SetAnimationTimes(std::chrono::milliseconds slide,
                                             std::chrono::milliseconds fade) {
    m_slide->setDuration(static_cast<int>(slide.count()));
    m_fade->setDuration(static_cast<int>(fade.count()));
}

void CVORNNotificationBox::ArmCheck(std::chrono::milliseconds delay) {
    m_autoHideTimer.start(delay);
}

void CVORNNotificationBox::FadeOut() {
    setEnabled(false);
    m_fade->start();
}

void CVORNNotificationBox::OnClose() {
    m_autoHideTimer.stop();
    m_slide->stop();
    m_fade->stop();
    ClearLines();
}

void CVORNNotificationBox::ClearLines() {
    hide();
    setWindowOpacity(1.0);
    for (CLinkStatic* line : m_lines) {
        line->clear();
        line->setAccessibleName(QString());
        line->setToolTip(QString());
        line->setEnabled(false);
        line->hide();
    }
    m_cursorInside = false;
    {
        const std::lock_guard lock(m_lock);
        m_hidden = true;
        m_lineFree.fill(true);
    }
    emit hidden();
}

void CVORNNotificationBox::paintEvent(QPaintEvent* /*event*/) {
    const qreal scale = devicePixelRatioF();
    if (m_background.size() != size() * scale) {
        m_background = ResourcePixmap(IDB_POPUP_BACKGROUND, size(), scale);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void CVORNNotificationBox::enterEvent(QEnterEvent* event) {
    m_cursorInside = true;
    QWidget::enterEvent(event);
}

void CVORNNotificationBox::leaveEvent(QEvent* event) {
    m_cursorInside = false;
    {
        const std::lock_guard lock(m_lock);
        if (!m_hidden) {
            m_lastActive = m_clock();
        }
    }
    QWidget::leaveEvent(event);
}

} // namespace ui
