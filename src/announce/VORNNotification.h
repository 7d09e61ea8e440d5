#pragma once

#include "announce/NotificationPopup.h"
#include "announce/VORNNotificationMessage.h"
#include "gateway/GatewayServer.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace announce {

// The announcement feed: a thread of its own fetches the operator's announcement document
// from the gateway server at once and then every period, remembers which announcements
// the user has been shown (at most ten), and hands the new ones to the popup.
class CVORNNotification {
public:
    static constexpr std::string_view kDocumentPath = "/announce/vornmsg.xml";
    // Only this much of the document is used; a longer one is cut there.
    static constexpr std::size_t kMaxDocumentBytes = 4096;
    static constexpr std::chrono::milliseconds kPeriod = std::chrono::minutes(30);
    static constexpr std::chrono::milliseconds kDownloadTimeout = std::chrono::seconds(15);

    // The document comes from server's host on its HTTP port. popup must outlive the feed.
    // period is the wait between fetches and timeout bounds one download.
    CVORNNotification(gateway::GatewayServer server, CNotificationPopup& popup,
                      std::chrono::milliseconds period = kPeriod,
                      std::chrono::milliseconds timeout = kDownloadTimeout);
    // Stops the feed.
    virtual ~CVORNNotification();
    CVORNNotification(const CVORNNotification&) = delete;
    CVORNNotification& operator=(const CVORNNotification&) = delete;

    // Starts the feed's thread, which runs Cycle at once and then after every period. False
    // when the thread cannot start, runs already, or the feed was stopped: a stopped feed
    // stays stopped.
    virtual bool Start();

    // Ends the feed's wait and any download at once and waits for its thread to end; once
    // Stop has returned, the feed calls the popup no more. Safe more than once and before
    // Start, from any thread but the feed's own (not from the popup's calls).
    virtual void Stop();

    // One round of the thread: Fetch; when that yields a list, Add each new announcement
    // to the kept ones as not shown, put the kept ones not yet shown on the popup, in
    // order, until it takes no more (they become shown), and call Popup. Nothing reaches
    // the popup once a stop has been asked for. Called by the thread; others may call it
    // while the thread does not run.
    void Cycle();

    // Download, then Parse: the parse result when the download succeeded, else nullptr.
    // The result stays good until the next Fetch or Parse.
    CVORNNotificationMessage* Fetch();

    // One GET of the document, of which only the first kMaxDocumentBytes are kept, whatever
    // the HTTP status. False when no response came; LastError then says why.
    bool Download();

    // The announcements of the last downloaded document (see ParseAnnouncementDocument).
    CVORNNotificationMessage& Parse();

    // Why the last Download failed, in English.
    const std::string& LastError() const { return m_lastError; }

    // The announcements kept across fetches, oldest first; read while the thread does not
    // run.
    const CVORNNotificationMessage& Messages() const { return m_messages; }

private:
    void FeedThreadProc();

    const gateway::GatewayServer m_server;
    CNotificationPopup& m_popup;
    const std::chrono::milliseconds m_period;
    const std::chrono::milliseconds m_timeout;

    // Used by the feed's thread only, or by a caller while it does not run.
    CVORNNotificationMessage m_messages; // at most ten
    CVORNNotificationMessage m_parsed;   // the last parse result
    std::string m_buffer;                // the kept bytes of the last response
    std::string m_lastError;

    std::mutex m_control; // serialises Start and Stop
    std::stop_source m_stop;
    std::mutex m_waitMutex;
    std::condition_variable_any m_wait; // the wait between rounds, ended by a stop
    std::thread m_thread;
};

} // namespace announce
