#pragma once

#include <QBrush>
#include <QImage>
#include <QPainterPath>

// A shape filled with a brush and blurred (a Gaussian of standard deviation radius / 2, as the
// shadows use), for the soft coloured glows behind the onboarding's hero elements. The result is
// cached by shape, brush, radius and pixel density, so repainting costs one image draw.
// `origin` receives where the image's top-left corner sits in the shape's coordinates.
QImage softGlow(
    const QPainterPath& shape, const QBrush& brush, qreal blurRadius, qreal devicePixelRatio, QPointF* origin);

// Paints that glow so it lines up with `shape` in the painter's coordinates.
void paintSoftGlow(
    QPainter& painter, const QPainterPath& shape, const QBrush& brush, qreal blurRadius, qreal opacity = 1);
