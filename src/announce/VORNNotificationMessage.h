#pragma once

#include <cstddef>
#include <list>
#include <string>

namespace announce {

// One announcement of the operator and, at the same time, the head of a list of them. A
// head's own texts stay empty; the records it holds are its own copies, never shared with
// another list, and go with it. A list holds at most kMaxCount records: adding to a full
// list first drops the oldest. Texts are GBK. Not thread-safe: one thread uses a list.
class CVORNNotificationMessage {
public:
    static constexpr std::size_t kMaxCount = 10;

    CVORNNotificationMessage() = default;
    CVORNNotificationMessage(std::string title, std::string body, std::string url);
    virtual ~CVORNNotificationMessage() = default;
    CVORNNotificationMessage(const CVORNNotificationMessage&) = default;
    CVORNNotificationMessage& operator=(const CVORNNotificationMessage&) = default;
    CVORNNotificationMessage(CVORNNotificationMessage&&) = default;
    CVORNNotificationMessage& operator=(CVORNNotificationMessage&&) = default;

    // The record.
    const std::string& Title() const { return m_title; }
    const std::string& Body() const { return m_body; }
    const std::string& Url() const { return m_url; } // the page a click on it opens
    // False when the record is made; true once it has been taken or put on the popup.
    bool IsShown() const { return m_shown; }
    void MarkShown() { m_shown = true; }

    // Valid: both the title and the url are non-empty.
    bool IsValid() const;

    // The same announcement: both valid and their titles equal byte for byte. A record
    // that is not valid is the same as none, itself included.
    bool IsSame(const CVORNNotificationMessage& other) const;

    // The list. Pointers to records stay good until the record is removed.
    std::size_t Count() const { return m_records.size(); }
    void Clear() { m_records.clear(); }
    // Removes the first min(count, Count()) records.
    void RemoveFirst(std::size_t count);
    // True when some record of the list IsSame(message).
    bool Contains(const CVORNNotificationMessage& message) const;
    // Appends a copy of message's title, body and url, not shown; on a full list the first
    // record goes first. False only when memory runs out, the list then unchanged.
    bool AddCopy(const CVORNNotificationMessage& message);
    // As AddCopy, unless the list Contains(message): then false and nothing is added.
    bool Add(const CVORNNotificationMessage& message);
    // The first record from the front that is not shown; nullptr when there is none.
    CVORNNotificationMessage* FirstUnshown();
    // As FirstUnshown, and marks the record shown.
    CVORNNotificationMessage* TakeFirstUnshown();
    // The records, oldest first.
    const std::list<CVORNNotificationMessage>& Records() const { return m_records; }

private:
    std::string m_body;
    std::string m_title;
    std::string m_url;
    bool m_shown = false;
    std::list<CVORNNotificationMessage> m_records;
};

} // namespace announce
