#include "render/CheckerboardPattern.h"

#include <algorithm>

QColor CheckerboardPattern::colorA() const
{
    return scheme == ColorScheme::dark ? QColor(0x2A, 0x2A, 0x2C) : QColor(0xE2, 0xE4, 0xEA);
}

QColor CheckerboardPattern::colorB() const
{
    return scheme == ColorScheme::dark ? QColor(0x3A, 0x3A, 0x3C) : QColor(255, 255, 255);
}

void CheckerboardPattern::paint(QPainter& painter, const QRectF& rect) const
{
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return;
    // One fill of colour B, then the A cells, each cut to the rectangle instead of clipping.
    painter.fillRect(rect, colorB());
    const QColor a = colorA();
    int row = 0;
    for (double y = 0; y < rect.height(); y += cellSize, ++row) {
        const double h = std::min(cellSize, rect.height() - y);
        int column = 0;
        for (double x = 0; x < rect.width(); x += cellSize, ++column) {
            if ((row + column) % 2 == 0)
                painter.fillRect(QRectF(rect.x() + x, rect.y() + y, std::min(cellSize, rect.width() - x), h), a);
        }
    }
}
