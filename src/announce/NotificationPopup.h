#pragma once

#include "announce/VORNNotificationMessage.h"

namespace announce {

// What the announcement feed needs of the popup that shows new announcements. The desktop
// program implements it with its window, tests with a fake. The feed calls it from its
// own thread only.
class CNotificationPopup {
public:
    virtual ~CNotificationPopup() = default;

    // Puts message's title on a free line of the popup, the line opening message's url,
    // and answers true; answers false when the popup is showing or has no free line.
    virtual bool AddMessage(const CVORNNotificationMessage& message) = 0;

    // Shows the popup when it is hidden and has at least one line in use; answers whether
    // it was shown.
    virtual bool Popup() = 0;
};

} // namespace announce
