#include "ui/SvgIconEngine.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <cmath>
#include <utility>

namespace ui {
namespace {

// A disabled icon is drawn faded, as the desktop shows disabled pictures.
constexpr qreal kDisabledOpacity = 0.4;

// The rectangle, within target, that the picture of natural size covers target with,
// centred and with its proportions kept.
QRectF CoverRect(QSizeF natural, const QRectF& target) {
    if (natural.isEmpty()) {
        return target;
    }
    const qreal scale =
        std::max(target.width() / natural.width(), target.height() / natural.height());
    const QSizeF covered = natural * scale;
    return {target.center().x() - covered.width() / 2, target.center().y() - covered.height() / 2,
            covered.width(), covered.height()};
}

} // namespace

CSvgIconEngine::CSvgIconEngine(QString path) : m_path(std::move(path)) {}

QPixmap CSvgIconEngine::Render(const QString& path, QSize devicePixels, qreal scale,
                               qreal opacity) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || devicePixels.isEmpty()) {
        return {};
    }
    QPixmap pixmap(devicePixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setClipRect(QRect(QPoint(0, 0), devicePixels));
        painter.setOpacity(opacity);
        renderer.render(&painter,
                        CoverRect(renderer.viewBoxF().size(), QRectF(QPoint(0, 0), devicePixels)));
    }
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

void CSvgIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                           QIcon::State state) {
    const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(rect, scaledPixmap(rect.size() * scale, mode, state, scale));
}

QPixmap CSvgIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap CSvgIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/,
                                     qreal scale) {
    // Qt hands over the size in device pixels already.
    return Render(m_path, size, scale, mode == QIcon::Disabled ? kDisabledOpacity : 1.0);
}

QIconEngine* CSvgIconEngine::clone() const {
    return new CSvgIconEngine(m_path);
}

QString CSvgIconEngine::key() const {
    return QStringLiteral("vorn-svg");
}

bool CSvgIconEngine::isNull() {
    return !QSvgRenderer(m_path).isValid();
}

} // namespace ui
