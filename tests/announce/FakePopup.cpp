#include "FakePopup.h"

#include <algorithm>
#include <chrono>

namespace announce_test {

bool CFakePopup::AddMessage(const announce::CVORNNotificationMessage& message) {
    const std::lock_guard lock(m_mutex);
    if (!Called() || m_showing) {
        return false;
    }
    const auto line = std::find(m_lines.begin(), m_lines.end(), std::nullopt);
    if (line == m_lines.end()) {
        return false;
    }
    *line = message.Title();
    return true;
}

bool CFakePopup::Popup() {
    const std::lock_guard lock(m_mutex);
    if (!Called() || m_showing ||
        std::all_of(m_lines.begin(), m_lines.end(), [](const auto& line) { return !line; })) {
        return false;
    }
    m_showing = true;
    std::vector<std::string>& shown = m_shown.emplace_back();
    for (const auto& line : m_lines) {
        if (line) {
            shown.push_back(*line);
        }
    }
    m_changed.notify_all();
    return true;
}

void CFakePopup::Hide() {
    const std::lock_guard lock(m_mutex);
    m_showing = false;
    m_lines.fill(std::nullopt);
}

std::array<std::string, CFakePopup::kLines> CFakePopup::Lines() const {
    const std::lock_guard lock(m_mutex);
    std::array<std::string, kLines> lines;
    for (std::size_t i = 0; i < kLines; ++i) {
        lines[i] = m_lines[i].value_or("");
    }
    return lines;
}

bool CFakePopup::IsShowing() const {
    const std::lock_guard lock(m_mutex);
    return m_showing;
}

std::vector<std::vector<std::string>> CFakePopup::Shown() const {
    const std::lock_guard lock(m_mutex);
    return m_shown;
}

bool CFakePopup::WaitForShown(std::size_t count) const {
    std::unique_lock lock(m_mutex);
    // Only a broken feed takes this long.
    return m_changed.wait_for(lock, std::chrono::seconds(30),
                              [&] { return m_shown.size() >= count; });
}

void CFakePopup::ForbidCalls() {
    const std::lock_guard lock(m_mutex);
    m_forbidden = true;
}

int CFakePopup::ForbiddenCalls() const {
    const std::lock_guard lock(m_mutex);
    return m_forbiddenCalls;
}

bool CFakePopup::Called() {
    if (m_forbidden) {
        ++m_forbiddenCalls;
        return false;
    }
    return true;
}

} // namespace announce_test
