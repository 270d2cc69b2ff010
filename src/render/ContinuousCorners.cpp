#include "render/ContinuousCorners.h"

#include <algorithm>

namespace {
// Each corner spans 1.528 radii along each edge and is built from cubic segments whose control
// points approximate the smooth-corner curve used by modern desktop toolkits.
constexpr double kSpan = 1.528665;

void addCorner(QPainterPath& path, const QPointF& corner, const QPointF& alongIn, const QPointF& alongOut, double r)
{
    // `alongIn` points from the corner back along the incoming edge, `alongOut` along the outgoing
    // edge (both unit vectors). The curve starts kSpan*r from the corner on the incoming edge.
    auto p = [&](double a, double b) { return corner + alongIn * (a * r) + alongOut * (b * r); };
    path.cubicTo(p(1.08849, 0.0), p(0.86840, 0.0), p(0.63149, 0.07491));
    path.cubicTo(p(0.37282, 0.16906), p(0.16906, 0.37282), p(0.07491, 0.63149));
    path.cubicTo(p(0.0, 0.86840), p(0.0, 1.08849), p(0.0, kSpan));
}
}

QPainterPath continuousRoundedRect(const QRectF& rect, double radius)
{
    QPainterPath path;
    const QRectF r = rect.normalized();
    if (r.isEmpty())
        return path;
    const double maxRadius = std::min(r.width(), r.height()) / 2.0;
    double rad = std::clamp(radius, 0.0, maxRadius);
    if (rad <= 0.0) {
        path.addRect(r);
        return path;
    }
    // Near capsule shapes the smooth corner would run past the edge's midpoint into its
    // neighbour; there the circular corner is the right shape (a capsule at half the side).
    if (rad * kSpan > maxRadius) {
        path.addRoundedRect(r, rad, rad);
        return path;
    }
    const double s = rad * kSpan;

    const QPointF tl = r.topLeft(), tr = r.topRight(), br = r.bottomRight(), bl = r.bottomLeft();
    const QPointF right(1, 0), left(-1, 0), down(0, 1), up(0, -1);

    path.moveTo(tl.x() + s, tl.y());
    path.lineTo(tr.x() - s, tr.y());
    addCorner(path, tr, left, down, rad);
    path.lineTo(br.x(), br.y() - s);
    addCorner(path, br, up, left, rad);
    path.lineTo(bl.x() + s, bl.y());
    addCorner(path, bl, right, up, rad);
    path.lineTo(tl.x(), tl.y() + s);
    addCorner(path, tl, down, right, rad);
    path.closeSubpath();
    return path;
}

QPainterPath continuousCapsule(const QRectF& rect)
{
    QPainterPath path;
    const QRectF r = rect.normalized();
    if (r.isEmpty())
        return path;
    const double rad = std::min(r.width(), r.height()) / 2.0;
    path.addRoundedRect(r, rad, rad);
    return path;
}
