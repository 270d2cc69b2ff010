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

    // Backgrounds are smooth: when only a small part of a large one can be seen (a canvas zoomed
    // far in on screen), a render of a few megapixels drawn scaled looks the same and keeps
    // memory bounded. Renders that show the whole background keep every pixel.
    constexpr double kMaxPixels = 4'000'000;
    const QTransform toDevice = painter.deviceTransform();
    const QRectF mapped = toDevice.mapRect(rect);
    const QRect reachable = reachableDeviceRect(painter);
    const double area = mapped.width() * mapped.height();
    const double cap = area > kMaxPixels && area > 2.0 * reachable.width() * reachable.height() ? kMaxPixels : area;
    if (toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m22() > 0 && area <= cap) {
        // Axis-aligned: render at the exact device pixels the rectangle covers and blit 1:1.
        const QPoint topLeft(int(std::lround(mapped.left())), int(std::lround(mapped.top())));
        const QSize size(int(std::lround(mapped.right())) - topLeft.x(), int(std::lround(mapped.bottom())) - topLeft.y());
        if (size.isEmpty())
            return;
        const QImage image = BackgroundImageCache::shared().image(preset, size);
        if (!image.isNull())
            drawDeviceImage(painter, image, topLeft);
        return;
    }

    // Rotated, sheared or very large: render at the covered size, capped, and let the painter map it.
    const double f = std::min(1.0, std::sqrt(cap / std::max(1.0, area)));
    const QSize size(std::max(1, int(std::ceil(mapped.width() * f))), std::max(1, int(std::ceil(mapped.height() * f))));
    const QImage image = BackgroundImageCache::shared().image(preset, size);
    if (image.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, image);
    painter.restore();
}
