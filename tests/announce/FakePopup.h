#pragma once

#include "announce/NotificationPopup.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace announce_test {

// The popup as the feed sees it, without a window: four lines, filled while hidden, shown
// by Popup until the test hides it again. It remembers what it showed, and fails the test
// when it is called once it has been told that the feed stopped. Thread-safe.
class CFakePopup : public announce::CNotificationPopup {
public:
    static constexpr std::size_t kLines = 4;

    bool AddMessage(const announce::CVORNNotificationMessage& message) override;
    bool Popup() override;

    // What the auto-hide does: hides the popup and frees its lines.
    void Hide();
    // The titles on the lines (GBK), "" for a free line.
    std::array<std::string, kLines> Lines() const;
    bool IsShowing() const;
    // The lines of each popup shown so far, in order; free lines left out.
    std::vector<std::vector<std::string>> Shown() const;

    // Waits, bounded, until count popups have been shown; false when the bound passes.
    bool WaitForShown(std::size_t count) const;

    // From now on every call is an error of the test.
    void ForbidCalls();
    // The calls that came when they were forbidden.
    int ForbiddenCalls() const;

private:
    bool Called(); // answers false when calls are forbidden; called with m_mutex held

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::array<std::optional<std::string>, kLines> m_lines;
    bool m_showing = false;
    std::vector<std::vector<std::string>> m_shown;
    bool m_forbidden = false;
    int m_forbiddenCalls = 0;
};

} // namespace announce_test
