#include "announce/VORNNotification.h"

#include "announce/AnnouncementDocument.h"
#include "platform/HttpGet.h"

#include <exception>
#include <system_error>

namespace announce {

CVORNNotification::CVORNNotification(gateway::GatewayServer server, CNotificationPopup& popup,
                                     std::chrono::milliseconds period,
                                     std::chrono::milliseconds timeout)
    : m_server(std::move(server)), m_popup(popup), m_period(period), m_timeout(timeout) {}

CVORNNotification::~CVORNNotification() {
    // A derived class is gone by now; its thread must end all the same.
    CVORNNotification::Stop();
}

bool CVORNNotification::Start() {
    const std::lock_guard lock(m_control);
    if (m_thread.joinable() || m_stop.stop_requested()) {
        return false;
    }
    try {
        m_thread = std::thread([this] { FeedThreadProc(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CVORNNotification::Stop() {
    const std::lock_guard lock(m_control);
    m_stop.request_stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CVORNNotification::FeedThreadProc() {
    const std::stop_token stop = m_stop.get_token();
    while (!stop.stop_requested()) {
        try {
            Cycle();
        } catch (const std::exception&) {
            // Out of memory: this round is lost, the next one may do better.
        }
        std::unique_lock lock(m_waitMutex);
        m_wait.wait_for(lock, stop, m_period, [] { return false; });
    }
}

void CVORNNotification::Cycle() {
    const std::stop_token stop = m_stop.get_token();
    CVORNNotificationMessage* parsed = Fetch();
    if (parsed == nullptr) {
        return;
    }
    while (const CVORNNotificationMessage* fresh = parsed->TakeFirstUnshown()) {
        m_messages.Add(*fresh);
    }
    while (CVORNNotificationMessage* waiting = m_messages.FirstUnshown()) {
        if (stop.stop_requested() || !m_popup.AddMessage(*waiting)) {
            break;
        }
        waiting->MarkShown();
    }
    if (!stop.stop_requested()) {
        m_popup.Popup();
    }
}

CVORNNotificationMessage* CVORNNotification::Fetch() {
    return Download() ? &Parse() : nullptr;
}

bool CVORNNotification::Download() {
    platform::HttpResponse response;
    if (!platform::HttpGet(m_server.host, m_server.httpPort, std::string(kDocumentPath),
                           kMaxDocumentBytes, response, m_lastError, m_timeout,
                           m_stop.get_token())) {
        return false;
    }
    m_buffer = std::move(response.body);
    return true;
}

CVORNNotificationMessage& CVORNNotification::Parse() {
    ParseAnnouncementDocument(m_buffer, m_parsed);
    return m_parsed;
}

} // namespace announce
