#pragma once

#include "announce/VORNNotificationMessage.h"

#include <string_view>

namespace announce {

// Reads the operator's announcement document into list, which is emptied first.
//
// The document: root "message-list", one "message" element per announcement in document
// order. Of a message's child elements those whose local name (any namespace prefix
// left aside) is exactly "title", "body" or "url" give its fields, the last one of a name
// winning; others are ignored, and a missing field stays empty. A field is the element's
// text, that of its descendants included, without white space at either end.
//
// The bytes are GBK whatever the document declares, and end at the first NUL; a byte that
// is no GBK character, or a character that GBK cannot hold (from a character reference),
// becomes '?'. Each message is Add-ed to list, so a later duplicate title is dropped and
// beyond ten the oldest go. A document that is not well-formed gives no record.
void ParseAnnouncementDocument(std::string_view gbk, CVORNNotificationMessage& list);

} // namespace announce
