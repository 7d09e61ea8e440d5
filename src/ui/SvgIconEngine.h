#pragma once

#include <QIconEngine>
#include <QString>

namespace ui {

// An icon engine that draws an SVG file afresh for every size, mode and screen scale, so
// the program needs no image plugin and its icons never look scaled.
class CSvgIconEngine final : public QIconEngine {
public:
    explicit CSvgIconEngine(QString path);

    // The SVG file at path rendered to devicePixels for a screen of the given scale, covering
    // them with its proportions kept and centred, at opacity (0 to 1). A null pixmap when the
    // file cannot be read.
    static QPixmap Render(const QString& path, QSize devicePixels, qreal scale,
                          qreal opacity = 1.0);

    // The sizes Qt hands to these are in device pixels.

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override;
    QIconEngine* clone() const override;
    QString key() const override;
    bool isNull() override;

private:
    QString m_path;
};

} // namespace ui
