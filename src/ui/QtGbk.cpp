#include "ui/QtGbk.h"

namespace ui {

QString FromGbk(std::string_view gbk) {
    return QString::fromStdString(platform::GbkToUtf8ForDisplay(gbk));
}

platform::ConvertedText ToGbk(const QString& text) {
    return platform::Utf8ToGbk(text.toStdString());
}

} // namespace ui
