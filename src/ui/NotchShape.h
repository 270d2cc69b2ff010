#pragma once

#include <QLinearGradient>
#include <QPainterPath>
#include <QRectF>

// The outline of the card that hangs from the top edge of the screen: the full width along the
// top, flaring in over `topRadius` at both top corners, straight sides, and rounded bottom
// corners of `bottomRadius`. Both radii shrink to what the frame allows, so tiny frames stay
// well-formed (never folding over themselves).
struct NotchShape {
    qreal topRadius = 16.0;
    qreal bottomRadius = 34.0;

    // The radii actually drawn in a frame of this size: (top, bottom).
    std::pair<qreal, qreal> effectiveRadii(const QSizeF& size) const;
    // The outline within `rect`.
    QPainterPath path(const QRectF& rect) const;

    // Animation between two shapes: the radii move linearly.
    static NotchShape interpolated(const NotchShape& from, const NotchShape& to, qreal progress);

    bool operator==(const NotchShape&) const = default;
};

// The card's dark shade (also the share circles' fill) and its light rim: top-to-bottom
// gradients in object coordinates, so they stretch over whatever they fill.
QLinearGradient notchCardShade();
QLinearGradient notchCardRim();
