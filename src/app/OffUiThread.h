#pragma once

#include <QEventLoop>
#include <QMetaObject>
#include <optional>
#include <thread>
#include <utility>

namespace app {

// Runs work on a worker thread while the calling UI thread keeps handling events in a local
// loop, so windows paint and boxes that the work asks for can be shown. Answers what work
// answered, once it has ended. The caller keeps its own commands from re-entering.
template <typename Work>
auto RunOffUiThread(Work work) -> decltype(work()) {
    QEventLoop loop;
    std::optional<decltype(work())> result;
    {
        std::jthread worker([&] {
            result.emplace(work());
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
    }
    return std::move(*result);
}

} // namespace app
