#include "render/RedactionBars.h"

#include "render/ContinuousCorners.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kBarCornerRadius = 3;

// The pixels of an image of `size` that the bars cover, grown by what one device pixel spans
// and two more for smooth sampling.
QRect censoredArea(const QList<QRectF>& rects, QSize size, double pixelsPerDevicePixel)
{
    const int grow = int(std::ceil(2 + 2 * std::clamp(pixelsPerDevicePixel, 0.0, 1e4)));
    QRectF covered;
    for (const QRectF& r : rects) {
        const QRectF f = r.normalized();
        covered |= QRectF(f.x() * size.width(), f.y() * size.height(), f.width() * size.width(), f.height() * size.height());
    }
    return covered.toAlignedRect().adjusted(-grow, -grow, grow, grow) & QRect(QPoint(0, 0), size);
}
}

QPainterPath redactionBarsPath(const QRectF& layerRect, const QList<QRectF>& rects)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const double w = layerRect.width(), h = layerRect.height();
    for (const QRectF& r : rects) {
        // A rectangle with a negative size still names an area to hide.
        const QRectF f = r.normalized();
        const QRectF bar(layerRect.x() + f.x() * w, layerRect.y() + f.y() * h, f.width() * w, f.height() * h);
        path.addPath(continuousRoundedRect(bar, kBarCornerRadius));
    }
    return path;
}

void paintRedactions(QPainter& painter, const QRectF& layerRect, const QImage& image, const QList<QRectF>& rects,
    RedactStyle style, double intensity, CensorCache& cache, const QColor& underShot)
{
    // The censored copy is made (and kept) even with no bars, so the first bar drawn is instant.
    const std::optional<QImage> censored = style == RedactStyle::block ? std::nullopt : cache.censored(image, style, intensity);
    if (rects.isEmpty() || layerRect.isEmpty())
        return;
    const QPainterPath bars = redactionBarsPath(layerRect, rects);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (censored && !censored->isNull()) {
        // The copy stretched over the layer, exactly as the screenshot below it.
        QImage copy = *censored;
        QPointF origin(0, 0);
        const bool seeThrough = copy.hasAlphaChannel();
        if (seeThrough && underShot.alpha() != 0) {
            // What shows through the copy is what lies under the shot, not the shot: only the
            // part under the bars (and a pixel or two for smooth sampling) is composed.
            const QRectF onDevice = painter.deviceTransform().mapRect(layerRect);
            const double perDevicePixel = onDevice.width() > 0 && onDevice.height() > 0
                ? std::max(copy.width() / onDevice.width(), copy.height() / onDevice.height())
                : 1.0;
            const QRect area = censoredArea(rects, copy.size(), perDevicePixel);
            if (area.isEmpty()) {
                painter.restore();
                return;
            }
            copy = copy.copy(area).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QPainter under(&copy);
            under.setCompositionMode(QPainter::CompositionMode_DestinationOver);
            under.fillRect(copy.rect(), underShot);
            under.end();
            origin = area.topLeft();
        }
        QBrush brush(copy);
        const double sx = layerRect.width() / censored->width(), sy = layerRect.height() / censored->height();
        QTransform toLayer;
        toLayer.translate(layerRect.x() + origin.x() * sx, layerRect.y() + origin.y() * sy);
        toLayer.scale(sx, sy);
        brush.setTransform(toLayer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setBrush(brush);
        // Where the copy is not opaque the sharp shot would show through it: the copy replaces
        // what is there (blended only at the bars' anti-aliased rims) instead of lying over it.
        if (seeThrough)
            painter.setCompositionMode(QPainter::CompositionMode_Source);
    } else {
        painter.setBrush(Qt::black);
    }
    painter.drawPath(bars);
    painter.restore();
}
