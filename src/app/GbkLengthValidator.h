#pragma once

#include <QValidator>
#include <cstddef>

namespace app {

// Keeps a box's text within a limit in GBK bytes, as the gateway client counts it: an edit
// that would make it longer is refused. Characters that GBK cannot hold pass here and are
// refused with a message when the box is read.
class CGbkLengthValidator final : public QValidator {
    Q_OBJECT

public:
    CGbkLengthValidator(std::size_t maxBytes, QObject* parent);

    State validate(QString& input, int& position) const override;

private:
    std::size_t m_maxBytes;
};

} // namespace app
