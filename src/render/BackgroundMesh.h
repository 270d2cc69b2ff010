#pragma once

#include "model/BackgroundPreset.h"

#include <QColor>
#include <QList>
#include <QPointF>

#include <optional>
#include <span>

// An opaque sRGB colour with channels 0 to 1. Blends keep their fractional values, which QColor
// would round to 16-bit steps.
struct MeshColor {
    double red = 0;
    double green = 0;
    double blue = 0;

    static MeshColor fromHex(int rgb);
    QColor toQColor() const;
    bool operator==(const MeshColor& other) const = default;
};

// A smooth patch mesh: width x height control points in the unit square (origin top left, y
// down), row-major, each with a colour.
struct BackgroundMesh {
    int width = 0;
    int height = 0;
    QList<QPointF> points;
    QList<MeshColor> colors;

    bool operator==(const BackgroundMesh& other) const = default;
};

// The eight shared point sets, built once on first use (thread-safe) and kept for the run.
const QList<QPointF>& meshPoints3Regular();
const QList<QPointF>& meshPoints3A();
const QList<QPointF>& meshPoints3B();
const QList<QPointF>& meshPoints4A();
const QList<QPointF>& meshPoints4B();
const QList<QPointF>& meshPoints4C();
const QList<QPointF>& meshPoints4D();
const QList<QPointF>& meshPoints4E();

// Channel by channel a + t * (b - a), of two 0xRRGGBB colours.
MeshColor blendColor(int a, int b, double t);
// The colour a fraction t (clamped to 0..1) along the list; black for an empty list.
MeshColor interpolatedColor(std::span<const int> colors, double t);

// 3 x 3 mesh on the regular points from four corner colours.
BackgroundMesh meshColors(int topLeft, int topRight, int bottomLeft, int bottomRight);
// 3 x 3 mesh whose colours run diagonally from colors[0] (top left) to colors[3] (bottom right).
BackgroundMesh fixedPointMesh(std::span<const int> colors, const QList<QPointF>& points);
// Square mesh of side round(sqrt(colour count)), colours in row-major order.
BackgroundMesh gridMesh(const QList<QPointF>& points, std::span<const int> colors);

// The preset's mesh, built anew on every call; none for none, noir and snow.
std::optional<BackgroundMesh> gradient(BackgroundPreset preset);

// The two colours (first at the top-left corner) of the presets painted as linear gradients.
struct LinearColors {
    int from;
    int to;
};
std::optional<LinearColors> linearGradientColors(BackgroundPreset preset);
