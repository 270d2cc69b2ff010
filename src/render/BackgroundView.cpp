#include "render/BackgroundView.h"

#include "render/BackgroundMesh.h"
#include "render/CheckerboardPattern.h"
#include "render/DevicePixels.h"
#include "render/MeshGradient.h"

#include <QPaintDevice>

#include <cmath>

QImage renderBackgroundImage(BackgroundPreset preset, QSize pixelSize)
{
    if (preset == BackgroundPreset::none || pixelSize.isEmpty())
        return {};
    if (const auto linear = linearGradientColors(preset))
        return renderLinearGradient(MeshColor::fromHex(linear->from), MeshColor::fromHex(linear->to), pixelSize);
    if (const auto mesh = gradient(preset))
        return renderMeshGradient(*mesh, pixelSize);
    // Every other preset has a mesh; keep the plain grey of a preset without one all the same.
    QImage grey(pixelSize, QImage::Format_RGB32);
    grey.fill(QColor(Qt::gray));
    return grey;
}

BackgroundImageCache::BackgroundImageCache(int maxCount, qint64 maxBytes)
    : m_images(maxCount, maxBytes)
{
}

BackgroundImageCache& BackgroundImageCache::shared()
{
    static BackgroundImageCache cache;
    return cache;
}

QImage BackgroundImageCache::image(BackgroundPreset preset, QSize pixelSize)
{
    return m_images.obtain(Key { preset, pixelSize }, [&] { return renderBackgroundImage(preset, pixelSize); });
}

void paintBackground(QPainter& painter, const QRectF& rect, BackgroundPreset preset, ColorScheme scheme)
{
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return;
    if (preset == BackgroundPreset::none) {
        CheckerboardPattern { scheme }.paint(painter, rect);
        return;
    }

    const QTransform toDevice = painter.deviceTransform();
    if (toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m22() > 0) {
        // Axis-aligned: render at the exact device pixels the rectangle covers and blit 1:1.
        const QRectF mapped = toDevice.mapRect(rect);
        const QPoint topLeft(int(std::lround(mapped.left())), int(std::lround(mapped.top())));
        const QSize size(int(std::lround(mapped.right())) - topLeft.x(), int(std::lround(mapped.bottom())) - topLeft.y());
        if (size.isEmpty())
            return;
        const QImage image = BackgroundImageCache::shared().image(preset, size);
        if (image.isNull())
            return;
        drawImageAtDevicePixel(painter, topLeft, image);
        return;
    }

    // Rotated or sheared: render at the covered size and let the painter map it.
    const QRectF bounds = toDevice.mapRect(rect);
    const QSize size(std::max(1, int(std::ceil(bounds.width()))), std::max(1, int(std::ceil(bounds.height()))));
    const QImage image = BackgroundImageCache::shared().image(preset, size);
    if (image.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, image);
    painter.restore();
}
