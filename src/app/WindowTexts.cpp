#include "app/WindowTexts.h"

#include "platform/GbkCodec.h"

namespace app {

std::string Gbk(std::string_view utf8) {
    return platform::GbkFromLiteral(utf8);
}

QString FromGbk(std::string_view gbk) {
    return QString::fromStdString(platform::GbkToUtf8ForDisplay(gbk));
}

} // namespace app
