#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// The font every dialog template is laid out with, in place of "MS Shell Dlg": the
// application's font at its size, preferring a family that holds the Chinese texts so that
// Latin and CJK glyphs come from one design.
QFont DialogFont();

// Dialog units of a template to pixels, from the font's metrics, so that a window keeps
// the proportions of its template whatever the font and the screen.
class CDialogUnits {
public:
    // The horizontal base is the average width of the Latin letters, raised to half the
    // width of an ideograph when that is more (the templates give a Chinese character two
    // base widths); the vertical base is the font's line height.
    explicit CDialogUnits(const QFont& font);

    int X(int dialogUnitsX) const; // horizontal: average char width / 4
    int Y(int dialogUnitsY) const; // vertical: char height / 8
    QSize Size(int width, int height) const;
    // A template rectangle; its edges are mapped one by one, so that rectangles that touch
    // in the template touch on the screen.
    QRect Rect(int x, int y, int width, int height) const;
    // Places widget at the template rectangle and gives it the object name "id<id>"; an id
    // of 0 or less leaves the name alone (the template's unnamed statics).
    void Place(QWidget& widget, int id, int x, int y, int width, int height) const;

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

private:
    int m_baseX;
    int m_baseY;
};

} // namespace ui
