// Converts a dialog template's units into pixels for a given font, the way
// Windows lays out a dialog, so that a form keeps its designed proportions
// whatever font or DPI it is shown with.
#pragma once

#include <QFontMetrics>
#include <QRect>

/// Dialog units of one font. Windows takes the horizontal base unit from
/// the average width of the 52 Latin letters, halved with rounding
/// ((width / 26 + 1) / 2), and the vertical one from the font's height; a
/// dialog unit is a quarter of the first and an eighth of the second.
/// Positions are rounded to the nearest pixel, and a rectangle's width and
/// height follow from its converted corners, as MapDialogRect does.
class DialogUnits {
public:
    explicit DialogUnits(const QFontMetrics& metrics)
        : m_baseX(
              (metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 +
               1) /
              2),
          m_baseY(metrics.height()) {}

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }
    int x(int units) const { return roundedScale(units, m_baseX, 4); }
    int y(int units) const { return roundedScale(units, m_baseY, 8); }
    QRect rect(int left, int top, int width, int height) const {
        return QRect(QPoint(x(left), y(top)), QPoint(x(left + width) - 1, y(top + height) - 1));
    }

private:
    static int roundedScale(int value, int numerator, int denominator) {
        const long long product = static_cast<long long>(value) * numerator;
        const long long half = denominator / 2;
        return static_cast<int>(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
    }

    int m_baseX;
    int m_baseY;
};
