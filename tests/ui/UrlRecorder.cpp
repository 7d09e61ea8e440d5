#include "tests/ui/UrlRecorder.h"

#include <QDesktopServices>

namespace uitest {
namespace {

const char* const kSchemes[] = {"http", "https", "mailto", "file"};

} // namespace

CUrlRecorder::CUrlRecorder() {
    for (const char* scheme : kSchemes) {
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
}

CUrlRecorder::~CUrlRecorder() {
    for (const char* scheme : kSchemes) {
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
}

void CUrlRecorder::Open(const QUrl& url) {
    m_opened.append(url.toString());
}

} // namespace uitest
