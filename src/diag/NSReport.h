#pragma once

#include "platform/LocalTime.h"
#include "platform/MessageBox.h"
#include "platform/NetworkState.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

namespace diag {

// Writes the network state report "nsr.txt": a title banner, the report time and seven
// numbered sections (common configuration, interface configuration, ARP table, interface
// list, route table, proxy settings, network port state), in UTF-8 with LF line ends. Every
// fact comes from one query of the network state; a writer whose query fails writes nothing
// of its own and is reported through the message box, and the report goes on with the
// next. Values the system does not know are left out, their labels stay.
class CNSReport {
public:
    static constexpr const char* kFileName = "nsr.txt";

    // Hands the written report to a viewer (the desktop's text editor).
    using OpenReport = std::function<void(const std::filesystem::path& report)>;
    using Clock = std::function<platform::LocalTime()>;

    // The report goes into folder; openReport, when given, is called with the report's path
    // after each report that was written.
    CNSReport(const platform::CNetworkState& state, platform::CMessageBox& messageBox,
              std::filesystem::path folder, OpenReport openReport,
              Clock clock = platform::CurrentLocalTime);
    virtual ~CNSReport() = default;
    CNSReport(const CNSReport&) = delete;
    CNSReport& operator=(const CNSReport&) = delete;

    // Writes the whole report over any earlier one, then opens it. Answers 0, or -1 when the
    // file cannot be opened or written (said through the message box). Reports on one
    // object are serialised; safe to call from any thread.
    int Report();

    // The desktop's opener: hands the report to the text editor through xdg-open and does
    // not wait for it; when no editor can be started, messageBox says so.
    static OpenReport TextEditor(platform::CMessageBox& messageBox);

    // Where Report writes.
    std::filesystem::path ReportPath() const { return m_folder / kFileName; }

private:
    // Each writer appends its part to file and answers 0 or -1.
    int WriteTitle(std::string& file);
    int WriteTime(std::string& file);
    int WriteCommonConfig(std::string& file);
    int WriteInterfaces(std::string& file);
    int WriteArpTable(std::string& file);
    int WriteInterfaceList(std::string& file);
    int WriteRouteTable(std::string& file);
    int WriteProxyConfig(std::string& file);
    int WritePortState(std::string& file);

    // The record lines of one adapter's interface; nothing when it cannot be read.
    void WriteInterfaceRecord(int index, std::string& file);

    const platform::CNetworkState& m_state;
    platform::CMessageBox& m_messageBox;
    std::filesystem::path m_folder;
    OpenReport m_openReport;
    Clock m_clock;
    std::mutex m_lock;
};

} // namespace diag
