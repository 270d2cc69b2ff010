#include "render/CanvasPainter.h"

#include "core/Log.h"
#include "image/LargeBuffer.h"

#include "render/AnnotationLayer.h"
#include "render/BackgroundRemover.h"
#include "render/BackgroundView.h"
#include "render/CardShadow.h"
#include "render/ContinuousCorners.h"
#include "render/DevicePixels.h"
#include "render/ImageFilters.h"
#include "render/ImageLru.h"
#include "render/RedactionBars.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace {

QColor rgb(int r, int g, int b, double opacity = 1)
{
    return QColor::fromRgbF(float(r / 255.0), float(g / 255.0), float(b / 255.0), float(opacity));
}


// Text is laid out at a fixed pixel size and scaled, so sizes in canvas points stay exact at any
// render scale.
constexpr double kLayoutFontSize = 64;

QFont layoutFont(int weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(int(kLayoutFontSize));
    font.setWeight(QFont::Weight(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Width of `text` at `size` points.
double textWidth(const QString& text, double size, int weight = QFont::Normal)
{
    return QFontMetricsF(layoutFont(weight)).horizontalAdvance(text) * size / kLayoutFontSize;
}

// Draws one line of text at `size` points with its left end at `x`, centred vertically on `centreY`.
void drawText(QPainter& p, const QString& text, double size, int weight, const QColor& colour, double x, double centreY,
    const QFont* fontOverride = nullptr)
{
    const QFont font = fontOverride ? *fontOverride : layoutFont(weight);
    const QFontMetricsF metrics(font);
    p.save();
    p.translate(x, centreY);
    p.scale(size / kLayoutFontSize, size / kLayoutFontSize);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(0, (metrics.ascent() - metrics.descent()) / 2), text);
    p.restore();
}

// The padlock of the address bar, from the embedded icon font.
const QFont* lockFont()
{
    static const std::optional<QFont> font = []() -> std::optional<QFont> {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty())
            return std::nullopt;
        QFont f(families.first());
        f.setPixelSize(int(kLayoutFontSize));
        return f;
    }();
    return font ? &*font : nullptr;
}
const QString kLockGlyph = QString(QChar(0xE897));

// The application's own icon, the watermark's mark when the user set none. Without the asset the
// watermark shows its text alone.
QSvgRenderer* appIcon()
{
    static QSvgRenderer* renderer = []() -> QSvgRenderer* {
        const QString path = QStringLiteral(":/icons/lumaforge.svg");
        if (!QFile::exists(path))
            return nullptr;
        auto* r = new QSvgRenderer(path);
        return r->isValid() ? r : nullptr;
    }();
    return renderer;
}

void paintBackgroundLayer(QPainter& p, const QRectF& rect, BackgroundPreset preset, const CanvasPaintOptions& options)
{
    // Renders leave the area round the card transparent; only the screen shows the checkerboard.
    if (preset == BackgroundPreset::none && !options.showCheckerboard)
        return;
    paintBackground(p, rect, preset, options.scheme);
}

void paintTitleBar(QPainter& p, const QRectF& bar, const BeautifySettings& s)
{
    const bool light = s.windowFrame == WindowFrameStyle::light;
    const double t = bar.height();
    p.fillRect(bar, light ? rgb(241, 241, 244) : rgb(42, 42, 44));

    const double d = t * (s.showURL ? 0.2 : 0.26);
    double x = bar.left() + t * (s.showURL ? 0.32 : 0.5);
    const double cy = bar.center().y();
    p.setPen(Qt::NoPen);
    const QColor dots[] = { rgb(255, 95, 87), rgb(254, 188, 46), rgb(40, 200, 64) };
    for (int i = 0; i < 3; ++i) {
        p.setBrush(dots[i]);
        p.drawEllipse(QRectF(x, cy - d / 2, d, d));
        x += d + (i < 2 ? d * 0.9 : 0);
    }

    if (s.showURL) {
        const double b = t * 0.52, f = b * 0.52;
        const QColor ink = light ? rgb(0, 0, 0, 0.5) : rgb(255, 255, 255, 0.6);
        const QString text = s.urlText.isEmpty() ? placeholderDomain() : s.urlText;
        const double lockSize = f * 0.85;
        const double lockWidth = lockFont() ? lockSize : 0;
        const double spacing = lockFont() ? b * 0.32 : 0;
        const double maxWidth = bar.width() * 0.55;
        const double room = std::max(0.0, maxWidth - b - lockWidth - spacing);
        const QString shown = [&] {
            // Elide at the tail to the room there is, measured at layout size.
            const QFontMetricsF metrics(layoutFont(QFont::Normal));
            return metrics.elidedText(text, Qt::ElideRight, room * kLayoutFontSize / f);
        }();
        const double width = std::min(maxWidth, b + lockWidth + spacing + textWidth(shown, f));
        const QRectF field(x + t * 0.3, cy - b / 2, width, b);
        p.setBrush(light ? QColor(Qt::white) : rgb(28, 28, 30));
        p.drawPath(continuousRoundedRect(field, b * 0.35));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(light ? rgb(0, 0, 0, 0.08) : rgb(255, 255, 255, 0.08), 0.5));
        p.drawPath(continuousRoundedRect(field.adjusted(0.25, 0.25, -0.25, -0.25), b * 0.35 - 0.25));
        p.save();
        p.setClipRect(field);
        double tx = field.left() + b * 0.5;
        if (const QFont* lock = lockFont()) {
            drawText(p, kLockGlyph, lockSize, QFont::Normal, ink, tx, cy, lock);
            tx += lockWidth + spacing;
        }
        drawText(p, shown, f, QFont::Normal, ink, tx, cy);
        p.restore();
    }

    p.fillRect(QRectF(bar.left(), bar.bottom() - 0.5, bar.width(), 0.5),
        light ? rgb(0, 0, 0, 0.08) : rgb(255, 255, 255, 0.08));
}

// Shots drawn at less than this share of their pixels are reduced by area averaging first:
// bilinear sampling then steps over source pixels, so text and thin lines shimmer. Above it
// bilinear still touches every pixel, and the default style (drawn at about 0.97) pays nothing.
constexpr double kAreaAverageBelow = 0.9;

ImageLru<std::pair<qint64, QSize>>& reducedShots()
{
    // Kept for the views, which repaint the same reduction many times.
    static ImageLru<std::pair<qint64, QSize>> store(2, 48ll << 20);
    return store;
}

// The source at the pixel size it is drawn at, when that is well below its own.
QImage reducedFor(const QImage& source, const QSizeF& drawn)
{
    if (source.isNull() || !(drawn.width() > 0 && drawn.height() > 0) || !std::isfinite(drawn.width())
        || !std::isfinite(drawn.height())
        || (drawn.width() >= kAreaAverageBelow * source.width() && drawn.height() >= kAreaAverageBelow * source.height()))
        return source;
    const QSize target(std::clamp(int(std::ceil(drawn.width() - 1e-6)), 1, source.width()),
        std::clamp(int(std::ceil(drawn.height() - 1e-6)), 1, source.height()));
    const QImage made = reducedShots().obtain(std::make_pair(source.cacheKey(), target), [&] {
        // Qt's smooth scaling averages every source pixel under a target pixel when shrinking.
        return source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    });
    return made.isNull() ? source : made;
}
}

void releaseReducedShots()
{
    reducedShots().clear();
}

namespace {
// The screenshot inside the card: the source (or its cut-out) with the redaction bars, offset by
// the crop, clipped to the shown part and mirrored about its centre.
// The mirroring of the shown part about its centre.
QTransform shotFlip(const BeautifySettings& s, const QRectF& shown)
{
    const QPointF centre = shown.center();
    return QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform::fromScale(s.flipH ? -1 : 1, s.flipV ? -1 : 1)
        * QTransform::fromTranslate(centre.x(), centre.y());
}

// The whole screenshot at the canvas scale, placed so that its crop fills `shown`.
QRectF fullShotRect(const CanvasLayout& layout, const QRectF& shown)
{
    return QRectF(shown.left() - layout.crop.x() * layout.fullWidth, shown.top() - layout.crop.y() * layout.fullHeight,
        layout.fullWidth, layout.fullHeight);
}

// The window frame's fill, which the card's layer holds under the screenshot; transparent when
// nothing lies under it.
QColor underShot(const BeautifySettings& s)
{
    switch (s.windowFrame) {
    case WindowFrameStyle::none: return Qt::transparent;
    case WindowFrameStyle::light: return Qt::white;
    case WindowFrameStyle::dark: return rgb(28, 28, 30);
    }
    return Qt::transparent;
}

void paintScreenshot(QPainter& p, const QImage& source, const CanvasContent& c, const CanvasLayout& layout,
    const QRectF& shown, bool withRedactions)
{
    p.save();
    p.setClipRect(shown, Qt::IntersectClip);
    p.setTransform(shotFlip(c.settings, shown), true);
    const QRectF full = fullShotRect(layout, shown);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(full, reducedFor(source, p.deviceTransform().mapRect(full).size()));
    if (withRedactions && !c.redactionRects.isEmpty())
        paintRedactions(p, full, source, c.redactionRects, c.settings.redactStyle, c.settings.redactIntensity,
            CensorCache::shared(), underShot(c.settings));
    p.restore();
}

// Shadows of a card that is not opaque (a cut-out without a frame) follow its silhouette: the
// card's alpha at a few cells per sigma, blurred, drawn tinted.
void paintSilhouetteShadow(QPainter& p, const QImage& source, const CanvasContent& c, const CanvasLayout& layout,
    const QRectF& card, double radius, const DropShadow& shadow)
{
    const double sigma = shadow.radius / 2;
    if (!(sigma > 0) || shadow.color.alpha() == 0)
        return;
    const QRectF bounds = card.adjusted(-3 * sigma, -3 * sigma, 3 * sigma, 3 * sigma);
    const double cell = std::max({ sigma / 3, bounds.width() / 1024, bounds.height() / 1024 });
    const QSize size(int(std::ceil(bounds.width() / cell)), int(std::ceil(bounds.height() / cell)));
    QImage mask(size, QImage::Format_ARGB32_Premultiplied);
    if (mask.isNull())
        return;
    mask.fill(Qt::transparent);
    {
        QPainter m(&mask);
        m.setRenderHint(QPainter::Antialiasing);
        m.scale(1 / cell, 1 / cell);
        m.translate(-bounds.topLeft());
        m.setClipPath(continuousRoundedRect(card, radius));
        paintScreenshot(m, source, c, layout, card, false);
    }
    const QImage blurred = blurImage(mask.convertToFormat(QImage::Format_Alpha8), sigma / cell);
    if (blurred.isNull())
        return;
    // Tint: the shadow colour where the mask has coverage.
    QImage tinted(size, QImage::Format_ARGB32_Premultiplied);
    if (tinted.isNull())
        return;
    tinted.fill(shadow.color);
    {
        QPainter t(&tinted);
        t.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        t.drawImage(0, 0, blurred);
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(bounds.topLeft() + shadow.offset, QSizeF(size.width() * cell, size.height() * cell)), tinted);
    p.restore();
}

bool isOpaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return true;
    // Screenshots often come as ARGB with every pixel opaque; the check is cheap next to a render.
    const QImage argb = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_ARGB32_Premultiplied
        ? image
        : image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return false;
    }
    return true;
}

// False when the card's layer cannot be allocated: the card is the picture, so the render fails.
bool paintCard(QPainter& p, const CanvasContent& c, const CanvasLayout& layout, CanvasParts parts)
{
    const BeautifySettings& s = c.settings;
    const QRectF card = cardRect(layout, s);
    // Stored styles are not clamped: a card with no area or no finite place is not drawn.
    if (!(card.width() > 0 && card.height() > 0 && std::isfinite(card.x()) && std::isfinite(card.y())
            && std::isfinite(card.right()) && std::isfinite(card.bottom())))
        return true;
    const double radius = std::isfinite(s.radius) ? std::max(0.0, s.radius) : 0.0;
    const QPainterPath outline = continuousRoundedRect(card, radius);

    QImage source = c.image;
    if (s.removeBackground) {
        if (const auto cut = BackgroundRemover::shared().removeBackground(c.image))
            source = *cut;
    }
    const bool framed = s.windowFrame != WindowFrameStyle::none;
    const bool opaque = framed || (source.cacheKey() == c.image.cacheKey() ? isOpaque(source) : false);

    // Shadows: a broad soft one and a tight one.
    const double strength = std::isfinite(s.shadow) ? s.shadow : 0.0;
    if (strength > 0 && parts != CanvasParts::overBackdrop) {
        const DropShadow shadows[] = {
            { QColor::fromRgbF(0, 0, 0, float(std::min(1.0, 0.34 * strength))), 40 * strength, QPointF(0, 20 * strength) },
            { QColor::fromRgbF(0, 0, 0, float(std::min(1.0, 0.16 * strength))), 8 * strength, QPointF(0, 2 * strength) },
        };
        for (const DropShadow& shadow : shadows) {
            if (opaque)
                paintRoundedRectShadow(p, card, radius, shadow, true);
            else
                paintSilhouetteShadow(p, source, c, layout, card, radius, shadow);
        }
    }

    if (parts == CanvasParts::backdrop)
        return true;

    // The card's content goes through a layer aligned to device pixels so the rounded corners
    // are cut anti-aliased (a clip path would leave them jagged).
    // Only the part the painter can reach: a zoomed canvas on screen is mostly outside it.
    const QTransform toDevice = p.deviceTransform();
    const QRect deviceBounds = toDevice.mapRect(card).toAlignedRect() & reachableDeviceRect(p);
    if (deviceBounds.isEmpty())
        return true; // nothing of the card is in view
    QImage layer = LargeBuffer::filledImage(deviceBounds.size(), QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    if (layer.isNull()) {
        logLine(QStringLiteral("render failed: no memory for a %1 x %2 card").arg(deviceBounds.width()).arg(deviceBounds.height()));
        return false;
    }
    {
        QPainter l(&layer);
        l.setRenderHints(p.renderHints());
        l.setTransform(toDevice * QTransform::fromTranslate(-deviceBounds.left(), -deviceBounds.top()));
        if (framed)
            l.fillRect(card, underShot(s));
        if (framed && layout.titleBarHeight > 0)
            paintTitleBar(l, QRectF(card.topLeft(), QSizeF(layout.imageWidth, layout.titleBarHeight)), s);
        paintScreenshot(l, source, c, layout, imageRect(layout, s), true);
        // Clear what lies outside the rounded outline: only the corners are touched.
        QPainterPath outside;
        outside.setFillRule(Qt::OddEvenFill);
        outside.addRect(card.adjusted(-2, -2, 2, 2));
        outside.addPath(outline);
        l.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        l.setRenderHint(QPainter::Antialiasing);
        l.fillPath(outside, Qt::black);
    }
    drawDeviceImage(p, layer, deviceBounds.topLeft());

    if (framed) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(s.windowFrame == WindowFrameStyle::light ? rgb(0, 0, 0, 0.08) : rgb(255, 255, 255, 0.08), 1));
        p.drawPath(continuousRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), std::max(0.0, radius - 0.5)));
        p.restore();
    }
    return true;
}

struct WatermarkParts {
    double k;
    double markSize;
    double textSize;
    bool hasMark;
    bool hasText;
    QString text; // the brand name, elided to the canvas
    QSizeF size;
};

double watermarkMargin(const CanvasLayout& layout) { return std::max(layout.padding * 0.45, 10.0); }

WatermarkParts watermarkParts(const CanvasContent& c, const CanvasLayout& layout)
{
    WatermarkParts w {};
    w.k = std::clamp(std::min(layout.canvasWidth, layout.canvasHeight) / 520, 0.6, 2.5);
    w.markSize = 18 * w.k;
    w.textSize = 11 * w.k;
    w.hasMark = !c.watermark.logo.isNull() || (!c.watermark.isCustom && appIcon());
    w.hasText = !c.watermark.text.isEmpty();
    w.text = c.watermark.text;
    double textWidthPoints = w.hasText ? textWidth(w.text, w.textSize, QFont::DemiBold) : 0;
    // A long brand name is elided so the capsule stays within the canvas and its margins.
    const double room = layout.canvasWidth - 2 * watermarkMargin(layout) - 18 * w.k
        - (w.hasMark ? w.markSize + 5 * w.k : 0);
    if (w.hasText && textWidthPoints > room) {
        const QFontMetricsF metrics(layoutFont(QFont::DemiBold));
        w.text = metrics.elidedText(w.text, Qt::ElideRight, std::max(0.0, room) * kLayoutFontSize / w.textSize);
        textWidthPoints = std::min(textWidth(w.text, w.textSize, QFont::DemiBold), std::max(0.0, room));
    }
    const double lineHeight = w.hasText ? QFontMetricsF(layoutFont(QFont::DemiBold)).height() * w.textSize / kLayoutFontSize : 0;
    const double contentWidth = (w.hasMark ? w.markSize : 0) + (w.hasMark && w.hasText ? 5 * w.k : 0) + textWidthPoints;
    const double contentHeight = std::max(w.hasMark ? w.markSize : 0, lineHeight);
    w.size = QSizeF(contentWidth + 18 * w.k, contentHeight + 10 * w.k);
    return w;
}

QRectF cornerRect(const CanvasLayout& layout, const QSizeF& size, WatermarkPosition position)
{
    const double margin = watermarkMargin(layout);
    const bool left = position == WatermarkPosition::topLeft || position == WatermarkPosition::bottomLeft;
    const bool top = position == WatermarkPosition::topLeft || position == WatermarkPosition::topRight;
    const double x = left ? margin : layout.canvasWidth - margin - size.width();
    const double y = top ? margin : layout.canvasHeight - margin - size.height();
    return { QPointF(x, y), size };
}

void paintWatermark(QPainter& p, const CanvasContent& c, const WatermarkParts& w, const QRectF& capsule)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillPath(continuousCapsule(capsule), rgb(0, 0, 0, 0.28));
    double x = capsule.left() + 9 * w.k;
    const double cy = capsule.center().y();
    if (w.hasMark) {
        const QRectF markBox(x, cy - w.markSize / 2, w.markSize, w.markSize);
        p.save();
        if (!c.watermark.logo.isNull()) {
            // Fitted within its aspect ratio.
            const QSizeF logo = c.watermark.logo.deviceIndependentSize().scaled(markBox.size(), Qt::KeepAspectRatio);
            const QRectF fitted(markBox.center() - QPointF(logo.width() / 2, logo.height() / 2), logo);
            p.setClipPath(continuousRoundedRect(fitted, 3 * w.k));
            p.drawImage(fitted, c.watermark.logo);
        } else if (QSvgRenderer* icon = appIcon()) {
            p.setClipPath(continuousRoundedRect(markBox, 3 * w.k));
            icon->render(&p, markBox);
        }
        p.restore();
        x += w.markSize + (w.hasText ? 5 * w.k : 0);
    }
    if (w.hasText)
        drawText(p, w.text, w.textSize, QFont::DemiBold, rgb(255, 255, 255, 0.92), x, cy);
    p.restore();
}

}

QRectF watermarkRect(const CanvasContent& content, const CanvasLayout& layout, WatermarkPosition position)
{
    if (!content.settings.watermark)
        return {};
    return cornerRect(layout, watermarkParts(content, layout).size, position);
}

bool paintBeautifiedCanvas(QPainter& painter, const CanvasContent& content, const CanvasPaintOptions& options,
    CanvasParts parts)
{
    const CanvasLayout layout = canvasLayout(content.image, content.settings);
    const QRectF canvas(0, 0, layout.canvasWidth, layout.canvasHeight);
    if (!(canvas.width() > 0 && canvas.height() > 0))
        return true;

    painter.save();
    painter.setClipRect(canvas, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);

    if (parts == CanvasParts::overBackdrop) {
        // The background is already there.
    } else if (options.fadingBackground && options.backgroundProgress < 1) {
        const double t = std::clamp(options.backgroundProgress, 0.0, 1.0);
        painter.setOpacity(1 - t);
        paintBackgroundLayer(painter, canvas, *options.fadingBackground, options);
        painter.setOpacity(t);
        paintBackgroundLayer(painter, canvas, content.settings.background, options);
        painter.setOpacity(1);
    } else {
        paintBackgroundLayer(painter, canvas, content.settings.background, options);
    }

    const bool cardPainted = content.image.isNull() || paintCard(painter, content, layout, parts);
    if (parts == CanvasParts::backdrop) {
        painter.restore();
        return cardPainted;
    }

    paintAnnotations(painter, canvas, content.annotations, imageRectNorm(layout, content.settings),
        std::max(0.0, content.settings.radius));

    if (content.settings.watermark) {
        const WatermarkParts parts = watermarkParts(content, layout);
        QRectF place = cornerRect(layout, parts.size, content.watermark.position);
        if (options.watermarkFrom && options.watermarkProgress != 1) {
            const QPointF from = cornerRect(layout, parts.size, *options.watermarkFrom).topLeft();
            place.moveTopLeft(from + (place.topLeft() - from) * options.watermarkProgress);
        }
        paintWatermark(painter, content, parts, place);
    }
    painter.restore();
    return cardPainted;
}

QString placeholderDomain()
{
    return QStringLiteral("example.com");
}

QList<QRectF> redactionBarBounds(const CanvasContent& content)
{
    QList<QRectF> out;
    const CanvasLayout layout = canvasLayout(content.image, content.settings);
    const QRectF shown = imageRect(layout, content.settings);
    const QRectF full = fullShotRect(layout, shown);
    const QTransform flip = shotFlip(content.settings, shown);
    for (const QRectF& r : content.redactionRects) {
        const QRectF bar = flip.mapRect(redactionBarsPath(full, { r }).boundingRect()) & shown;
        if (!bar.isEmpty())
            out.append(bar);
    }
    return out;
}
