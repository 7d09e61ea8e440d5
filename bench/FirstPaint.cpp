// Prints the wall-clock time (CLOCK_REALTIME, nanoseconds) at which a window first paints,
// then ends: either vornclient's main window, made and initialised as the program makes it,
// in the current directory, or a bare QWidget started the same way.
#include "app/MessageBoxDialogs.h"
#include "app/VORNClientDlg.h"
#include "platform/ScriptedMessageBox.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

class CPaintWatch final : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    CPaintWatch watch;
    platform::CScriptedMessageBox messageBox;
    app::CMessageBoxDialogs dialogs(messageBox);
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
    } else {
        app::WindowOptions options;
        options.arpGuard = false;
        options.announcements = false;
        auto client = std::make_unique<app::CVORNClientDlg>(options, messageBox, dialogs);
        client->Initialise();
        window = std::move(client);
    }
    window->installEventFilter(&watch);
    window->show();
    return QApplication::exec();
}
