#include "render/CanvasRenderer.h"

#include "core/Log.h"
#include "image/LargeBuffer.h"
#include "image/PngEncoder.h"
#include "render/CanvasPainter.h"

#include <QPainter>

#include <cmath>
#include <optional>

std::optional<int> socialTargetWidth(AspectRatioOption option)
{
    switch (option) {
    case AspectRatioOption::x: return 1600;
    case AspectRatioOption::facebook: return 1200;
    case AspectRatioOption::instagram: return 1080;
    case AspectRatioOption::linkedin: return 1200;
    case AspectRatioOption::youtube: return 1280;
    case AspectRatioOption::pinterest: return 1000;
    case AspectRatioOption::reddit: return 1200;
    case AspectRatioOption::snapchat: return 1080;
    default: return std::nullopt;
    }
}

double renderScale(const CanvasLayout& layout, const BeautifySettings& settings)
{
    if (const auto width = socialTargetWidth(settings.aspect))
        return *width / layout.canvasWidth;
    return 2.0;
}

double renderScale(const QImage& image, const BeautifySettings& settings)
{
    return renderScale(canvasLayout(image, settings), settings);
}

std::optional<QSize> renderPixelSize(const CanvasLayout& layout, double scale)
{
    // Round up, but let a product that is whole up to float noise (1080 / 900 * 900) stay whole,
    // so social renders come out exactly at their target widths.
    const auto pixels = [](double v) { return std::ceil(v - 1e-6); };
    const double w = pixels(layout.canvasWidth * scale);
    const double h = pixels(layout.canvasHeight * scale);
    // The raster painter works in 32-bit fixed point: sides beyond 32767 are not drawable either.
    if (!(layout.canvasWidth > 0 && layout.canvasHeight > 0 && scale > 0 && std::isfinite(w) && std::isfinite(h) && w >= 1 && h >= 1 && w <= 32767 && h <= 32767
            && w * h <= double(kMaxRenderPixels))) {
        logLine(QStringLiteral("render refused: %1 x %2 pixels is not a drawable size")
                    .arg(layout.canvasWidth * scale)
                    .arg(layout.canvasHeight * scale));
        return std::nullopt;
    }
    return QSize(int(w), int(h));
}

namespace {

// What a backdrop depends on: the shot itself (by identity) and every setting but what is hidden
// and how.
struct BackdropKey {
    qint64 image = 0;
    BeautifySettings settings;
    QSize pixels;
    bool operator==(const BackdropKey&) const = default;
};

BackdropKey backdropKey(const QImage& image, BeautifySettings settings, QSize pixels)
{
    settings.redactKinds.clear();
    settings.redactStyle = BeautifySettings::defaults().redactStyle;
    settings.redactIntensity = BeautifySettings::defaults().redactIntensity;
    return { image.cacheKey(), settings, pixels };
}

struct Backdrop {
    BackdropKey key;
    QImage pixels;
};

std::optional<Backdrop>& keptBackdrop()
{
    static std::optional<Backdrop> kept;
    return kept;
}

// The last render over the kept backdrop that hid nothing and carried no marks (a new shot's first
// render, made while its text is read). A render of the same shot and style that hides something
// differs from it only under its bars, so only there is it painted again.
struct PlainRender {
    BackdropKey key;
    WatermarkConfig watermark;
    QImage pixels;
};

std::optional<PlainRender>& keptPlainRender()
{
    static std::optional<PlainRender> kept;
    return kept;
}

// Device pixels of the bars, each grown to whole pixels and a pixel more for anti-aliasing, and
// joined where they touch.
QList<QRect> barAreas(const CanvasContent& content, double scale, QSize size)
{
    QList<QRect> areas;
    for (const QRectF& bar : redactionBarBounds(content)) {
        QRect area = QRectF(bar.x() * scale, bar.y() * scale, bar.width() * scale, bar.height() * scale)
                         .toAlignedRect()
                         .adjusted(-1, -1, 1, 1)
                     & QRect(QPoint(0, 0), size);
        for (qsizetype i = areas.size() - 1; i >= 0; --i) {
            if (areas.at(i).intersects(area)) {
                area |= areas.takeAt(i);
                i = areas.size(); // a grown area may now touch ones already passed
            }
        }
        if (!area.isEmpty())
            areas.append(area);
    }
    return areas;
}

// A render's target, filled as every render starts; painted up to `parts`.
QImage paintedCanvas(const CanvasContent& content, QSize size, double scale, CanvasParts parts, bool* complete)
{
    const bool transparent = content.settings.background == BackgroundPreset::none;
    QImage out = LargeBuffer::filledImage(size, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
        transparent ? Qt::transparent : Qt::black);
    if (out.isNull())
        return {};
    QPainter painter(&out);
    painter.scale(scale, scale);
    *complete = paintBeautifiedCanvas(painter, content, {}, parts);
    painter.end();
    return out;
}

}

void prepareCanvasBackdrop(const QImage& image, const BeautifySettings& settings)
{
    releaseCanvasBackdrop();
    const CanvasLayout layout = canvasLayout(image, settings);
    const double scale = renderScale(layout, settings);
    const std::optional<QSize> size = renderPixelSize(layout, scale);
    if (!size || image.isNull())
        return;
    bool complete = false;
    QImage pixels = paintedCanvas(CanvasContent { image, settings, {}, {}, {} }, *size, scale, CanvasParts::backdrop, &complete);
    if (complete && !pixels.isNull())
        keptBackdrop() = Backdrop { backdropKey(image, settings, *size), std::move(pixels) };
}

void releaseCanvasBackdrop()
{
    keptBackdrop().reset();
    keptPlainRender().reset();
}

QImage renderCanvasImage(const QImage& image, const BeautifySettings& settings, const QList<Annotation>& annotations,
    const QList<QRectF>& redactionRects, const WatermarkConfig& watermark)
{
    const CanvasLayout layout = canvasLayout(image, settings);
    const double scale = renderScale(layout, settings);
    const std::optional<QSize> size = renderPixelSize(layout, scale);
    if (!size)
        return {};
    const CanvasContent content { image, settings, annotations, redactionRects, watermark };
    bool complete = false;
    QImage out;
    const std::optional<Backdrop>& kept = keptBackdrop();
    const BackdropKey key = backdropKey(image, settings, *size);
    const std::optional<PlainRender>& plain = keptPlainRender();
    if (kept && kept->key == key && plain && plain->key == key && plain->watermark == watermark && annotations.isEmpty()) {
        if (redactionRects.isEmpty())
            return plain->pixels;
        // Held nowhere else, the plain render is painted over in place and stops being kept.
        if (plain->pixels.isDetached()) {
            out = std::move(keptPlainRender()->pixels);
            keptPlainRender().reset();
        } else {
            out = LargeBuffer::copiedImage(plain->pixels);
        }
        if (out.isNull())
            return {};
        out.setDevicePixelRatio(1); // painted in device pixels, like the backdrop
        // Under each bar: the backdrop again, then everything over it, clipped to whole pixels,
        // which a clip leaves exactly as one pass paints them.
        complete = true;
        QPainter painter(&out);
        for (const QRect& area : barAreas(content, scale, *size)) {
            painter.save();
            painter.setClipRect(area);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(area.topLeft(), kept->pixels, area);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.scale(scale, scale);
            complete = paintBeautifiedCanvas(painter, content, {}, CanvasParts::overBackdrop) && complete;
            painter.restore();
        }
        painter.end();
    } else if (kept && kept->key == key) {
        out = LargeBuffer::copiedImage(kept->pixels);
        if (out.isNull())
            return {};
        QPainter painter(&out);
        painter.scale(scale, scale);
        complete = paintBeautifiedCanvas(painter, content, {}, CanvasParts::overBackdrop);
        painter.end();
        if (complete && annotations.isEmpty() && redactionRects.isEmpty()) {
            out.setDevicePixelRatio(scale);
            keptPlainRender() = PlainRender { key, watermark, out };
        }
    } else {
        out = paintedCanvas(content, *size, scale, CanvasParts::all, &complete);
    }
    if (out.isNull() || !complete)
        return {};
    out.setDevicePixelRatio(scale);
    return out;
}

QByteArray renderCanvasPNG(const QImage& image, const BeautifySettings& settings, const QList<Annotation>& annotations,
    const QList<QRectF>& redactionRects, const WatermarkConfig& watermark)
{
    const QImage rendered = renderCanvasImage(image, settings, annotations, redactionRects, watermark);
    return rendered.isNull() ? QByteArray() : PngEncoder::encode(rendered);
}

QByteArray renderCanvasPNG(const QImage& image, const BeautifySettings& settings, const QList<Annotation>& annotations,
    const QList<QRectF>& redactionRects)
{
    return renderCanvasPNG(image, settings, annotations, redactionRects, currentWatermarkConfig());
}
