#include "render/CanvasLayout.h"

#include <algorithm>
#include <cmath>

namespace {
// Crops narrower or shorter than this are treated as no crop at all.
constexpr double kMinCropSide = 0.01;

bool finite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

QRectF effectiveCrop(const QRectF& requested)
{
    const QRectF whole(0, 0, 1, 1);
    if (!finite(requested))
        return whole;
    const QRectF standard = requested.normalized();
    if (!(standard.width() > kMinCropSide && standard.height() > kMinCropSide))
        return whole;
    // A crop lying (almost) wholly outside the image would leave nothing to show and make the
    // offsets blow up: show the whole image instead.
    const QRectF crop = standard.intersected(whole);
    if (!(crop.width() > kMinCropSide && crop.height() > kMinCropSide))
        return whole;
    return crop;
}

QRectF normalizedTo(const QRectF& rect, const CanvasLayout& layout)
{
    return { rect.x() / layout.canvasWidth, rect.y() / layout.canvasHeight, rect.width() / layout.canvasWidth,
        rect.height() / layout.canvasHeight };
}
}

CanvasLayout canvasLayout(QSizeF imageSize, const BeautifySettings& settings)
{
    double width = imageSize.width();
    double height = imageSize.height();
    if (!(width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height))) {
        width = 1200;
        height = 800;
    }

    CanvasLayout layout;
    const double scale = std::min(1.0, 1400.0 / std::max(width, height));
    layout.fullWidth = width * scale;
    layout.fullHeight = height * scale;

    layout.crop = effectiveCrop(settings.cropRect);
    layout.imageWidth = layout.fullWidth * layout.crop.width();
    layout.imageHeight = layout.fullHeight * layout.crop.height();

    if (settings.windowFrame != WindowFrameStyle::none) {
        layout.titleBarHeight = std::clamp(layout.imageWidth * 0.035, 26.0, 46.0);
        if (settings.showURL)
            layout.titleBarHeight *= 1.35;
    }

    if (settings.background != BackgroundPreset::none)
        layout.padding = std::max(layout.imageWidth, layout.imageHeight) * settings.padding / 100.0;

    layout.canvasWidth = layout.imageWidth + 2 * layout.padding;
    layout.canvasHeight = layout.imageHeight + layout.titleBarHeight + 2 * layout.padding;

    // The canvas only grows to reach the ratio; the card keeps its size.
    if (const auto r = ratio(settings.aspect)) {
        if (layout.canvasWidth / layout.canvasHeight < *r)
            layout.canvasWidth = layout.canvasHeight * *r;
        else
            layout.canvasHeight = layout.canvasWidth / *r;
    }
    return layout;
}

CanvasLayout canvasLayout(const QImage& image, const BeautifySettings& settings)
{
    return canvasLayout(image.deviceIndependentSize(), settings);
}

QPointF cardCenter(const CanvasLayout& layout, const BeautifySettings& settings)
{
    QPointF center(layout.canvasWidth / 2, layout.canvasHeight / 2);
    if (!settings.balance)
        center += QPointF(settings.shotOffset.width() * layout.canvasWidth,
            settings.shotOffset.height() * layout.canvasHeight);
    return center;
}

QRectF cardRect(const CanvasLayout& layout, const BeautifySettings& settings)
{
    const QSizeF size = layout.cardSize();
    const QPointF c = cardCenter(layout, settings);
    return { c.x() - size.width() / 2, c.y() - size.height() / 2, size.width(), size.height() };
}

QRectF imageRect(const CanvasLayout& layout, const BeautifySettings& settings)
{
    const QRectF card = cardRect(layout, settings);
    return { card.x(), card.y() + layout.titleBarHeight, layout.imageWidth, layout.imageHeight };
}

QRectF shotRectNorm(const CanvasLayout& layout, const BeautifySettings& settings)
{
    return normalizedTo(cardRect(layout, settings), layout);
}

QRectF imageRectNorm(const CanvasLayout& layout, const BeautifySettings& settings)
{
    return normalizedTo(imageRect(layout, settings), layout);
}
