#include "app/GbkLengthValidator.h"

#include "platform/GbkCodec.h"

namespace app {

CGbkLengthValidator::CGbkLengthValidator(std::size_t maxBytes, QObject* parent)
    : QValidator(parent), m_maxBytes(maxBytes) {}

QValidator::State CGbkLengthValidator::validate(QString& input, int& /*position*/) const {
    const platform::ConvertedText converted = platform::Utf8ToGbk(input.toStdString());
    if (!converted.Ok()) {
        return Acceptable;
    }
    return converted.text.size() <= m_maxBytes ? Acceptable : Invalid;
}

} // namespace app
