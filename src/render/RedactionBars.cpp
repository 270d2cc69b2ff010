#include "render/RedactionBars.h"

#include "render/ContinuousCorners.h"

namespace {
constexpr double kBarCornerRadius = 3;
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
    RedactStyle style, double intensity, CensorCache& cache)
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
        QBrush brush(*censored);
        QTransform toLayer;
        toLayer.translate(layerRect.x(), layerRect.y());
        toLayer.scale(layerRect.width() / censored->width(), layerRect.height() / censored->height());
        brush.setTransform(toLayer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setBrush(brush);
    } else {
        painter.setBrush(Qt::black);
    }
    painter.drawPath(bars);
    painter.restore();
}
