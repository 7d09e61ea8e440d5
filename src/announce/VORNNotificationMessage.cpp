#include "announce/VORNNotificationMessage.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace announce {

CVORNNotificationMessage::CVORNNotificationMessage(std::string title, std::string body,
                                                   std::string url)
    : m_body(std::move(body)), m_title(std::move(title)), m_url(std::move(url)) {}

bool CVORNNotificationMessage::IsValid() const {
    return !m_title.empty() && !m_url.empty();
}

bool CVORNNotificationMessage::IsSame(const CVORNNotificationMessage& other) const {
    return IsValid() && other.IsValid() && m_title == other.m_title;
}

void CVORNNotificationMessage::RemoveFirst(std::size_t count) {
    auto end = m_records.begin();
    std::advance(end, std::min(count, m_records.size()));
    m_records.erase(m_records.begin(), end);
}

bool CVORNNotificationMessage::Contains(const CVORNNotificationMessage& message) const {
    return std::any_of(
        m_records.begin(), m_records.end(),
        [&message](const CVORNNotificationMessage& record) { return record.IsSame(message); });
}

bool CVORNNotificationMessage::AddCopy(const CVORNNotificationMessage& message) {
    // Built aside first, so that running out of memory changes nothing.
    std::list<CVORNNotificationMessage> added;
    try {
        added.emplace_back(message.m_title, message.m_body, message.m_url);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (m_records.size() >= kMaxCount) {
        RemoveFirst(1);
    }
    m_records.splice(m_records.end(), added);
    return true;
}

bool CVORNNotificationMessage::Add(const CVORNNotificationMessage& message) {
    return !Contains(message) && AddCopy(message);
}

CVORNNotificationMessage* CVORNNotificationMessage::FirstUnshown() {
    const auto found =
        std::find_if(m_records.begin(), m_records.end(),
                     [](const CVORNNotificationMessage& record) { return !record.m_shown; });
    return found == m_records.end() ? nullptr : &*found;
}

CVORNNotificationMessage* CVORNNotificationMessage::TakeFirstUnshown() {
    CVORNNotificationMessage* record = FirstUnshown();
    if (record != nullptr) {
        record->MarkShown();
    }
    return record;
}

} // namespace announce
