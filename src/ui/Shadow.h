#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>

class QPainter;

// A soft drop shadow of `shape`: the shape filled with `color`, blurred with a Gaussian of
// standard deviation radius / 2 and moved by `offset`. Blurred masks are cached by shape, radius
// and scale, so repainting a view costs one image draw.
void paintShadow(QPainter& painter, const QPainterPath& shape, const QColor& color, qreal radius, QPointF offset);

// How far a shadow of this radius and offset reaches beyond its shape on each side.
qreal shadowReach(qreal radius, QPointF offset);
