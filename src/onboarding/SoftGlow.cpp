#include "onboarding/SoftGlow.h"

#include "render/ImageFilters.h"

#include <QBuffer>
#include <QCache>
#include <QDataStream>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace {
struct CachedGlow {
    QImage image;
    QPointF origin;
};

QByteArray cacheKey(const QPainterPath& shape, const QBrush& brush, qreal radius, qreal dpr)
{
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << shape << brush << radius << dpr;
    return key;
}
}

QImage softGlow(const QPainterPath& shape, const QBrush& brush, qreal blurRadius, qreal dpr, QPointF* origin)
{
    static QCache<QByteArray, CachedGlow> cache(32);
    const QByteArray key = cacheKey(shape, brush, blurRadius, dpr);
    if (const CachedGlow* hit = cache.object(key)) {
        if (origin)
            *origin = hit->origin;
        return hit->image;
    }
    // Three standard deviations hold all but a trace of the blur.
    const qreal margin = std::ceil(1.5 * blurRadius) + 2;
    const QRectF bounds = shape.boundingRect().adjusted(-margin, -margin, margin, margin);
    QImage image(QSize(int(std::ceil(bounds.width() * dpr)), int(std::ceil(bounds.height() * dpr))),
        QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(dpr, dpr);
        p.translate(-bounds.topLeft());
        p.fillPath(shape, brush);
    }
    QImage blurred = blurImage(image, blurRadius / 2 * dpr);
    if (blurred.isNull())
        blurred = image;
    blurred.setDevicePixelRatio(dpr);
    auto* entry = new CachedGlow { blurred, bounds.topLeft() };
    cache.insert(key, entry);
    if (origin)
        *origin = bounds.topLeft();
    return blurred;
}

void paintSoftGlow(QPainter& painter, const QPainterPath& shape, const QBrush& brush, qreal blurRadius, qreal opacity)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPointF origin;
    const QImage glow = softGlow(shape, brush, blurRadius, dpr, &origin);
    const qreal before = painter.opacity();
    painter.setOpacity(before * opacity);
    painter.drawImage(origin, glow);
    painter.setOpacity(before);
}
