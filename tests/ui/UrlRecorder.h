#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

namespace uitest {

// Takes the place of the desktop's browser and mail program while it lives: every url
// handed to QDesktopServices::openUrl for http, https, mailto and file lands here.
class CUrlRecorder : public QObject {
    Q_OBJECT

public:
    CUrlRecorder();
    ~CUrlRecorder() override;
    CUrlRecorder(const CUrlRecorder&) = delete;
    CUrlRecorder& operator=(const CUrlRecorder&) = delete;

    const QStringList& Opened() const { return m_opened; }

public slots:
    void Open(const QUrl& url);

private:
    QStringList m_opened;
};

} // namespace uitest
