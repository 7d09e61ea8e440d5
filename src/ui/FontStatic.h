#pragma once

#include <QLabel>

namespace ui {

// A label that acts as a command: the pointing-hand cursor over it, and clicked() when the
// left button is released over it or Space is pressed while it has the focus. Its owner
// decides its look (the main window gives it blue underlined text) and what a click does;
// the label itself never opens anything.
class CFontStatic : public QLabel {
    Q_OBJECT

public:
    explicit CFontStatic(const QString& text = QString(), QWidget* parent = nullptr);

    // What a click does: emits clicked().
    void Activate();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace ui
