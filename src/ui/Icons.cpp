#include "ui/Icons.h"

#include "ui/SvgIconEngine.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ui {
namespace {

constexpr std::array kResourceIds{IDI_APPLICATION_ICON, IDI_WARNING,         IDI_NET_NONE,
                                  IDI_NET_CAMPUS,       IDI_NET_DOMESTIC,    IDI_GUARD_CAMPUS,
                                  IDI_GUARD_DOMESTIC,   IDI_GUARD_NONE,      IDI_CLOSE,
                                  IDB_BANNER,           IDB_POPUP_BACKGROUND};

} // namespace

bool HasResource(int id) {
    return std::find(kResourceIds.begin(), kResourceIds.end(), id) != kResourceIds.end();
}

QString ResourcePath(int id) {
    return HasResource(id) ? QStringLiteral(":/icons/%1.svg").arg(id) : QString();
}

QIcon ResourceIcon(int id) {
    if (!HasResource(id)) {
        return {};
    }
    return QIcon(new CSvgIconEngine(ResourcePath(id)));
}

QPixmap ResourcePixmap(int id, QSize size, qreal devicePixelRatio) {
    if (!HasResource(id) || size.isEmpty() || devicePixelRatio <= 0) {
        return {};
    }
    const QSize devicePixels(static_cast<int>(std::lround(size.width() * devicePixelRatio)),
                             static_cast<int>(std::lround(size.height() * devicePixelRatio)));
    return CSvgIconEngine::Render(ResourcePath(id), devicePixels, devicePixelRatio);
}

} // namespace ui
