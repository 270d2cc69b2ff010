#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;

// A drop shadow: colour (with its opacity), blur radius in points (the Gaussian's sigma is half
// of it) and offset.
struct DropShadow {
    QColor color;
    double radius = 0;
    QPointF offset;

    bool operator==(const DropShadow& other) const = default;
};

// The shadow of a rounded rectangle, computed in closed form (the Gaussian of a rounded rectangle
// is exact along rows; only the rounded corner rows are integrated numerically) on a grid a few
// cells per sigma, and only in the band around the edge; the painter scales it up smoothly. So a
// large blur costs no more than a small one and no full-resolution layer is ever blurred.
// `rect` and `cornerRadius` are in the painter's coordinates. With `coveredByOpaqueShape` the
// caller promises to paint the opaque shape itself over the shadow, so the shadow's solid middle
// hidden under it is not drawn.
void paintRoundedRectShadow(QPainter& painter, const QRectF& rect, double cornerRadius, const DropShadow& shadow,
    bool coveredByOpaqueShape = false);

// The coverage (0 to 1) of the shadow of `rect` at `point`, before colour and offset: the value
// paintRoundedRectShadow draws, exposed for tests and for callers that sample it.
double roundedRectShadowCoverage(const QRectF& rect, double cornerRadius, double sigma, const QPointF& point);
