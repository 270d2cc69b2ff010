#include "ui/NotchShape.h"

#include <algorithm>
#include <cmath>

namespace {
qreal nonNegative(qreal v)
{
    return std::isfinite(v) && v > 0.0 ? v : 0.0;
}

QLinearGradient verticalGradient(std::initializer_list<std::pair<qreal, QColor>> stops)
{
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    for (const auto& [at, color] : stops)
        gradient.setColorAt(at, color);
    return gradient;
}

QColor withAlpha(Qt::GlobalColor base, qreal alpha)
{
    QColor c(base);
    c.setAlphaF(float(alpha));
    return c;
}
}

std::pair<qreal, qreal> NotchShape::effectiveRadii(const QSizeF& size) const
{
    const qreal w = nonNegative(size.width());
    const qreal h = nonNegative(size.height());
    // The flare needs its own height as well as half the width.
    const qreal t = std::min({ nonNegative(topRadius), w / 2.0, h });
    const qreal b = std::min({ nonNegative(bottomRadius), (w - 2.0 * t) / 2.0, h - t });
    return { t, std::max<qreal>(0.0, b) };
}

QPainterPath NotchShape::path(const QRectF& rect) const
{
    QPainterPath path;
    const qreal w = rect.width(), h = rect.height();
    if (!(w > 0.0) || !(h > 0.0))
        return path;
    const auto [t, b] = effectiveRadii(rect.size());
    path.moveTo(0, 0);
    path.quadTo(t, 0, t, t);
    path.lineTo(t, h - b);
    path.quadTo(t, h, t + b, h);
    path.lineTo(w - t - b, h);
    path.quadTo(w - t, h, w - t, h - b);
    path.lineTo(w - t, t);
    path.quadTo(w - t, 0, w, 0);
    path.closeSubpath();
    path.translate(rect.topLeft());
    return path;
}

NotchShape NotchShape::interpolated(const NotchShape& from, const NotchShape& to, qreal progress)
{
    return { from.topRadius + (to.topRadius - from.topRadius) * progress,
        from.bottomRadius + (to.bottomRadius - from.bottomRadius) * progress };
}

QLinearGradient notchCardShade()
{
    return verticalGradient({ { 0.0, withAlpha(Qt::black, 1.0) }, { 0.22, withAlpha(Qt::black, 1.0) },
        { 0.48, withAlpha(Qt::black, 0.82) }, { 0.78, withAlpha(Qt::black, 0.54) }, { 1.0, withAlpha(Qt::black, 0.36) } });
}

QLinearGradient notchCardRim()
{
    return verticalGradient({ { 0.0, withAlpha(Qt::white, 0.025) }, { 0.55, withAlpha(Qt::white, 0.0) },
        { 0.82, withAlpha(Qt::white, 0.045) }, { 1.0, withAlpha(Qt::white, 0.11) } });
}
