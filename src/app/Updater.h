#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The updater program "vornupdate", beside this program or on PATH; empty when there is none.
QString FindUpdater();

// Starts the updater with arguments, detached; false when there is none or it cannot start.
bool StartUpdater(const QStringList& arguments);

} // namespace app
