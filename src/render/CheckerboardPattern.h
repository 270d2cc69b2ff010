#pragma once

#include "platform/ColorScheme.h"

#include <QColor>
#include <QPainter>
#include <QRectF>

// The transparency checkerboard shown for the background `none`: 12-point cells from the top left,
// colour A where row + column is even.
struct CheckerboardPattern {
    static constexpr double cellSize = 12;

    ColorScheme scheme = ColorScheme::light;

    QColor colorA() const;
    QColor colorB() const;
    // Fills `rect`; cells past its right and bottom edges are cut at the edge.
    void paint(QPainter& painter, const QRectF& rect) const;
};
