#pragma once

#include <QPainterPath>
#include <QRectF>

// Rounded rectangles and capsules with continuous ("squircle") corners: the curvature eases
// into the straight edges instead of jumping as a circular arc does. Every rounded shape the
// application draws uses this one path so on-screen views and rendered images match.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius);

// A capsule: corners of half the shorter side.
QPainterPath continuousCapsule(const QRectF& rect);
