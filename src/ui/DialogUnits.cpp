#include "ui/DialogUnits.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

namespace ui {
namespace {

// Rounds value * numerator / denominator to the nearest integer, halves away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

int AverageCharWidth(const QFontMetrics& metrics) {
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int latin = (metrics.horizontalAdvance(kLetters) / 26 + 1) / 2;
    const int ideograph = (metrics.horizontalAdvance(QChar(0x4E2D)) + 1) / 2;
    return std::max({latin, ideograph, 1});
}

} // namespace

QFont DialogFont() {
    QFont font = QApplication::font();
    QStringList families{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                         QStringLiteral("WenQuanYi Micro Hei"),
                         QStringLiteral("Source Han Sans SC")};
    families.append(font.families().isEmpty() ? QStringList{font.family()} : font.families());
    font.setFamilies(families);
    return font;
}

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    m_baseX = AverageCharWidth(metrics);
    m_baseY = std::max(metrics.height(), 1);
}

int CDialogUnits::X(int dialogUnitsX) const {
    return MulDiv(dialogUnitsX, m_baseX, 4);
}

int CDialogUnits::Y(int dialogUnitsY) const {
    return MulDiv(dialogUnitsY, m_baseY, 8);
}

QSize CDialogUnits::Size(int width, int height) const {
    return {X(width), Y(height)};
}

QRect CDialogUnits::Rect(int x, int y, int width, int height) const {
    const int left = X(x);
    const int top = Y(y);
    return {left, top, X(x + width) - left, Y(y + height) - top};
}

void CDialogUnits::Place(QWidget& widget, int id, int x, int y, int width, int height) const {
    widget.setGeometry(Rect(x, y, width, height));
    if (id > 0) {
        widget.setObjectName(QStringLiteral("id%1").arg(id));
    }
}

} // namespace ui
