#pragma once

#include "platform/GbkCodec.h"

#include <QString>
#include <string_view>

// Text crosses between the core's GBK and Qt's UTF-16 only here.
namespace ui {

// GBK text for display: bytes that do not start a GBK character show as U+FFFD.
QString FromGbk(std::string_view gbk);

// The GBK form of text typed or shown in a window. Fails, naming the character, when GBK
// cannot hold some character of text; nothing is substituted.
platform::ConvertedText ToGbk(const QString& text);

} // namespace ui
