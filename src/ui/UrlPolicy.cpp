#include "ui/UrlPolicy.h"

#include "platform/MessageBox.h"

#include <QDesktopServices>
#include <QUrl>
#include <algorithm>

namespace ui {
namespace {

bool HasBlankOrControl(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control ||
               c.category() == QChar::Other_Format;
    });
}

} // namespace

bool IsOpenableUrl(const QString& url) {
    if (url.isEmpty() || HasBlankOrControl(url)) {
        return false;
    }
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.isRelative()) {
        return false;
    }
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        return !parsed.host().isEmpty();
    }
    if (scheme == QLatin1String("mailto")) {
        return parsed.host().isEmpty() && !parsed.path().isEmpty();
    }
    return false;
}

bool OpenLink(const QString& url, platform::CMessageBox& messages) {
    if (!IsOpenableUrl(url)) {
        messages.Inform("No Command");
        return false;
    }
    QDesktopServices::openUrl(QUrl(url, QUrl::StrictMode));
    return true;
}

} // namespace ui
