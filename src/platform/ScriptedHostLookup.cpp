#include "platform/ScriptedHostLookup.h"

namespace platform {

ResolvedHost CScriptedHostLookup::ResolveIPv4(const std::string& /*host*/,
                                              const CStopWaker& waker) {
    if (waker.StopRequested()) {
        return {ResolvedHost::Status::Stopped, 0};
    }
    if (m_lookups++ < m_failures) {
        return {};
    }
    return {ResolvedHost::Status::Resolved, m_address};
}

} // namespace platform
