#pragma once

#include "announce/NotificationPopup.h"
#include "ui/DialogUnits.h"

#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

class QPropertyAnimation;
class QToolButton;

namespace platform {
class CMessageBox;
}

namespace ui {

class CLinkStatic;

// The announcement popup (template 168): a borderless window on the popup's background
// with four numbered announcement lines and "更多", which slides in at the bottom right of
// the primary screen's work area, stays while the cursor is on it, and fades out 6 to 7
// seconds after it slid in or the cursor left it. Its close icon hides it at once.
//
// The feed calls AddMessage and Popup from its own thread. They answer from the popup's
// state, kept under a lock of its own, and hand the window work to the UI thread without
// waiting for it, so the feed never waits on a busy window. Everything else runs on the UI
// thread. The feed must be stopped before the popup is destroyed.
class CVORNNotificationBox : public QWidget, public announce::CNotificationPopup {
    Q_OBJECT

public:
    static constexpr int kLineCount = 4;
    static constexpr std::array<int, kLineCount> kLineIds{1048, 1049, 1050, 1051};
    static constexpr std::chrono::milliseconds kSlideTime{600};
    static constexpr std::chrono::milliseconds kFadeTime{1000};

    // Seconds since 1970; the auto-hide delay is measured with it.
    using Clock = std::function<std::int64_t()>;

    // "更多" opens https://gatewayHost/. messages shows a link's "No Command" and must
    // outlive the popup.
    CVORNNotificationBox(const std::string& gatewayHost, platform::CMessageBox& messages,
                         Clock clock = SystemClock, QWidget* parent = nullptr);
    ~CVORNNotificationBox() override;
    CVORNNotificationBox(const CVORNNotificationBox&) = delete;
    CVORNNotificationBox& operator=(const CVORNNotificationBox&) = delete;

    static std::int64_t SystemClock();

    // Any thread. Puts "n. title" on the first free line n (the title as far as the line
    // holds it, then an ellipsis), the line opening message's url, and answers true; false
    // while the popup shows or fades, or when all four lines are in use.
    bool AddMessage(const announce::CVORNNotificationMessage& message) override;

    // Any thread. Slides the popup in when it is hidden and has a line in use, and answers
    // true; false, changing nothing, otherwise.
    bool Popup() override;

    // Whether the popup is showing (from Popup until it has faded out or was closed).
    bool IsShowing() const;

    // The auto-hide check, run by the popup's timer: fades the popup out once 6 seconds
    // have passed since it slid in or the cursor left it, unless the cursor is on it, and
    // otherwise arms the timer for the next check. Public so that tests run it at a clock
    // of their choosing.
    void CheckAutoHide();
    // The delay the next auto-hide check is armed for; negative when none is armed.
    std::chrono::milliseconds PendingCheck() const;

    // The lengths of the slide and the fade (tests make them short).
    void SetAnimationTimes(std::chrono::milliseconds slide, std::chrono::milliseconds fade);

signals:
    // The popup faded out or was closed, its lines emptied.
    void hidden();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void CreateControls(const std::string& gatewayHost, platform::CMessageBox& messages);
    // UI thread: what AddMessage and Popup ask of the window.
    void ShowLine(int line, const QString& text, const QString& url);
    void SlideIn();
    void FadeOut();
    void OnClose();
    // Hides the window at once and empties the lines; the popup is hidden afterwards.
    void ClearLines();
    void ArmCheck(std::chrono::milliseconds delay);

    const Clock m_clock;
    const CDialogUnits m_units;

    mutable std::mutex m_lock; // guards the three fields below
    bool m_hidden = true;
    std::array<bool, kLineCount> m_lineFree{true, true, true, true};
    std::int64_t m_lastActive = 0;

    // UI thread only.
    std::array<CLinkStatic*, kLineCount> m_lines{};
    CLinkStatic* m_moreLink = nullptr;
    QToolButton* m_closeButton = nullptr;
    QTimer m_autoHideTimer;
    QPropertyAnimation* m_slide = nullptr;
    QPropertyAnimation* m_fade = nullptr;
    bool m_cursorInside = false;
    QPixmap m_background;
};

} // namespace ui
