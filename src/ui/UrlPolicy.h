#pragma once

#include <QString>

namespace platform {
class CMessageBox;
}

namespace ui {

// Whether a link or an announcement's url may be handed to the desktop: an absolute http or
// https address with a host, or a mailto address with a recipient, in strict URL syntax,
// with no blanks or control characters. Anything else (file, javascript, a local program,
// a bare word) could make a click run something on this machine.
bool IsOpenableUrl(const QString& url);

// Opens url with the desktop's default handler when IsOpenableUrl; otherwise shows
// "No Command" with messages. Answers true when the url was handed to the desktop (the
// handler's own success is not known).
bool OpenLink(const QString& url, platform::CMessageBox& messages);

} // namespace ui
