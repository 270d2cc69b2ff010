#include "render/AnnotationLayer.h"

#include "model/ColorHex.h"
#include "render/ContinuousCorners.h"
#include "render/DevicePixels.h"
#include "render/ImageFilters.h"

#include <QFontDatabase>
#include "core/ParallelFor.h"
#include <QFontMetricsF>
#include <QPainterPathStroker>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {
// Text is laid out once at this pixel size and its outline scaled, so a mark wraps and sits
// identically at every canvas size and render scale.
constexpr double kTextLayoutSize = 64;

// Soft shadow under text and strokes: black, offset (0, 1), blur radius 1 (canvas units).
constexpr double kShadowRadius = 1;
constexpr double kShadowOffsetY = 1;
constexpr double kTextShadowOpacity = 0.25;
constexpr double kStrokeShadowOpacity = 0.2;
constexpr double kHighlightDim = 0.55;

double shorterSide(QSizeF canvas)
{
    return std::min(canvas.width(), canvas.height());
}

QPointF toLayer(const QPointF& fraction, const QRectF& canvas)
{
    return { canvas.x() + fraction.x() * canvas.width(), canvas.y() + fraction.y() * canvas.height() };
}

QRectF toLayer(const QRectF& fraction, const QRectF& canvas)
{
    return { canvas.x() + fraction.x() * canvas.width(), canvas.y() + fraction.y() * canvas.height(),
        fraction.width() * canvas.width(), fraction.height() * canvas.height() };
}

// What one mark puts on the canvas: an outline filled and/or a path stroked, and whether it
// casts the soft shadow.
struct MarkInk {
    QPainterPath path;
    QColor fill;                  // invalid: no fill
    std::optional<QPen> stroke;   // no value: no stroke
    QPainterPath strokeOutline;   // the stroke's area, made once for the mark and its shadow
    double shadowOpacity = 0;     // 0: no shadow
};

// A shadow ready to blit: premultiplied black at its final opacity, in device pixels.
struct Shadow {
    QImage shade;
    QPoint at;
};

// The shadow is drawn opaque into a mask (Qt fills translucent curved paths far more slowly
// than opaque ones), blurred, and baked into black at the shadow's opacity. The mask works at
// about one pixel per canvas unit, which a blurred edge needs no more than, and is scaled up
// to device pixels as it is baked. Thread-safe: shadows of many marks are made in parallel.
Shadow renderShadow(const MarkInk& ink, const QTransform& toDevice, const QRect& deviceBounds)
{
    const double deviceScale = std::sqrt(std::abs(toDevice.determinant()));
    if (!(deviceScale > 0) || ink.shadowOpacity <= 0 || ink.path.isEmpty())
        return {};
    const int k = deviceScale >= 2 ? 2 : 1; // device pixels per mask pixel
    const double reach = (ink.stroke ? ink.stroke->widthF() : 0) + 3 * kShadowRadius + 1;
    const QTransform shifted = QTransform::fromTranslate(0, kShadowOffsetY) * toDevice;
    const QRect box = shifted.mapRect(ink.path.boundingRect().adjusted(-reach, -reach, reach, reach)).toAlignedRect().intersected(deviceBounds);
    if (box.isEmpty())
        return {};

    const QSize maskSize((box.width() + k - 1) / k, (box.height() + k - 1) / k);
    QImage mask(maskSize, QImage::Format_ARGB32_Premultiplied);
    if (mask.isNull())
        return {};
    mask.fill(Qt::transparent);
    {
        QPainter maskPainter(&mask);
        maskPainter.setRenderHint(QPainter::Antialiasing);
        maskPainter.setTransform(shifted * QTransform::fromTranslate(-box.x(), -box.y()) * QTransform::fromScale(1.0 / k, 1.0 / k));
        if (ink.fill.isValid())
            maskPainter.fillPath(ink.path, Qt::black);
        if (ink.stroke)
            maskPainter.fillPath(ink.strokeOutline, Qt::black);
    }
    QImage alpha(maskSize, QImage::Format_Alpha8);
    if (alpha.isNull())
        return {};
    for (int y = 0; y < maskSize.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        uchar* dst = alpha.scanLine(y);
        for (int x = 0; x < maskSize.width(); ++x)
            dst[x] = uchar(qAlpha(src[x]));
    }
    const QImage soft = blurImage(alpha, kShadowRadius * deviceScale / k);
    QImage shade(box.size(), QImage::Format_ARGB32_Premultiplied);
    if (soft.isNull() || shade.isNull())
        return {};
    // Bilinear from mask pixels to device pixels, the opacity baked in.
    const std::uint32_t scale = std::uint32_t(std::lround(ink.shadowOpacity * 256));
    const int mw = maskSize.width(), mh = maskSize.height();
    auto taps = [k](int n, int source, std::vector<int>& i0, std::vector<int>& i1, std::vector<std::uint32_t>& f) {
        i0.resize(std::size_t(n));
        i1.resize(std::size_t(n));
        f.resize(std::size_t(n));
        for (int t = 0; t < n; ++t) {
            const double s = std::clamp((t + 0.5) / k - 0.5, 0.0, double(source - 1));
            i0[std::size_t(t)] = int(s);
            i1[std::size_t(t)] = std::min(int(s) + 1, source - 1);
            f[std::size_t(t)] = std::uint32_t((s - int(s)) * 256);
        }
    };
    std::vector<int> x0, x1, y0, y1;
    std::vector<std::uint32_t> fx, fy;
    taps(box.width(), mw, x0, x1, fx);
    taps(box.height(), mh, y0, y1, fy);
    for (int Y = 0; Y < box.height(); ++Y) {
        const uchar* r0 = soft.constScanLine(y0[std::size_t(Y)]);
        const uchar* r1 = soft.constScanLine(y1[std::size_t(Y)]);
        const std::uint32_t wy = fy[std::size_t(Y)];
        auto* line = reinterpret_cast<QRgb*>(shade.scanLine(Y));
        for (int X = 0; X < box.width(); ++X) {
            const std::size_t i = std::size_t(X);
            const std::uint32_t a0 = r0[x0[i]] * (256 - fx[i]) + r0[x1[i]] * fx[i];
            const std::uint32_t a1 = r1[x0[i]] * (256 - fx[i]) + r1[x1[i]] * fx[i];
            const std::uint32_t a = (a0 * (256 - wy) + a1 * wy) >> 16;
            line[X] = QRgb((a * scale) >> 8) << 24; // premultiplied black
        }
    }
    return { shade, box.topLeft() };
}

// Device pixels a shadow can show on: what the painter can reach, widened by the blur's reach
// (so the blur at the edge of a repainted area still sees what lies beyond it) and cut to the
// device. A view repainting a small area then blurs only around that area.
QRect shadowBounds(QPainter& painter)
{
    const double scale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    const int reach = int(std::ceil((3 * kShadowRadius + kShadowOffsetY + 2) * std::max(1.0, scale)));
    return reachableDeviceRect(painter).adjusted(-reach, -reach, reach, reach) & deviceCoverage(painter);
}

void paintInk(QPainter& painter, const MarkInk& ink, const Shadow& shadow)
{
    if (!shadow.shade.isNull())
        drawDeviceImage(painter, shadow.shade, shadow.at);
    if (ink.path.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (ink.fill.isValid() && ink.fill.alpha() > 0)
        painter.fillPath(ink.path, ink.fill);
    if (ink.stroke)
        painter.fillPath(ink.strokeOutline, ink.stroke->color());
    painter.restore();
}

QFont annotationFont(const Annotation& annotation)
{
    QFont font;
    if (annotation.fontName && !annotation.fontName->isEmpty()) {
        font = QFont(*annotation.fontName);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setWeight(QFont::Bold);
    }
    font.setPixelSize(int(kTextLayoutSize));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPainterPath shapePath(const Annotation& annotation, const QRectF& canvasRect)
{
    const QRectF box = toLayer(annotation.boundingRect(), canvasRect);
    QPainterPath path;
    if (annotation.kind == Annotation::Kind::ellipse) {
        path.addEllipse(box);
        return path;
    }
    return continuousRoundedRect(box, std::max(shorterSide(canvasRect.size()) * 0.02, 4.0));
}

// Curves flattened finely enough for boolean operations (which work on polygons) to keep
// smooth corners at the device's resolution.
QPainterPath flattened(const QPainterPath& path, double deviceScale)
{
    const double magnify = std::max(1.0, deviceScale) * 4;
    const QTransform up = QTransform::fromScale(magnify, magnify);
    const QTransform down = QTransform::fromScale(1 / magnify, 1 / magnify);
    QPainterPath out;
    for (const QPolygonF& polygon : path.toSubpathPolygons(up))
        out.addPolygon(down.map(polygon));
    out.closeSubpath();
    return out;
}
}

QFont annotationTextFace(const Annotation& annotation)
{
    return annotationFont(annotation);
}

QPainterPath LineShape::path() const
{
    QPainterPath p;
    p.moveTo(from);
    p.lineTo(to);
    return p;
}

QPainterPath ArrowShape::path() const
{
    const QPointF d = to - from;
    // A zero-length arrow gets direction (0, 0): shaft and head collapse onto the point.
    const double len = std::max(std::hypot(d.x(), d.y()), 0.0001);
    const QPointF u = d / len;
    const QPointF base = to - headLength * u;
    const double half = 0.55 * headLength;
    const QPointF left(base.x() - u.y() * half, base.y() + u.x() * half);
    const QPointF right(base.x() + u.y() * half, base.y() - u.x() * half);
    QPainterPath p;
    p.moveTo(from);
    p.lineTo(base);
    p.moveTo(to);
    p.lineTo(left);
    p.lineTo(right);
    p.closeSubpath();
    return p;
}

double annotationLineWidth(double lineWidthFraction, QSizeF canvas)
{
    return std::max(shorterSide(canvas) * lineWidthFraction / 300.0, 1.0);
}

double annotationFontSize(double fontFraction, QSizeF canvas)
{
    return std::max(canvas.height() * fontFraction, 8.0);
}

QPen annotationPen(const Annotation& annotation, QSizeF canvas)
{
    QPen pen(colorFromHex(annotation.colorHex), annotationLineWidth(annotation.lineWidthFraction, canvas), Qt::SolidLine,
        Qt::RoundCap, Qt::RoundJoin);
    pen.setCosmetic(false);
    pen.setMiterLimit(10);
    if (annotation.dashed)
        pen.setDashPattern({ 2.6, 2.0 });
    return pen;
}

QPainterPath annotationTextPath(const Annotation& annotation, const QRectF& canvasRect)
{
    const QString text = annotation.text.isEmpty() ? QStringLiteral(" ") : annotation.text;
    const QFont font = annotationFont(annotation);
    const QFontMetricsF metrics(font);
    const QStringList lines = text.split(QLatin1Char('\n'));

    double blockWidth = 0;
    for (const QString& line : lines)
        blockWidth = std::max(blockWidth, metrics.horizontalAdvance(line));
    const double lineHeight = metrics.height();
    const double lineStep = metrics.lineSpacing();
    const double blockHeight = lineHeight + (lines.size() - 1) * lineStep;

    QPainterPath path;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const double width = metrics.horizontalAdvance(lines[i]);
        double x = 0;
        if (annotation.alignment == Annotation::Align::center)
            x = (blockWidth - width) / 2;
        else if (annotation.alignment == Annotation::Align::trailing)
            x = blockWidth - width;
        path.addText(QPointF(x - blockWidth / 2, i * lineStep + metrics.ascent() - blockHeight / 2), font, lines[i]);
    }
    const double scale = annotationFontSize(annotation.fontFraction, canvasRect.size()) / kTextLayoutSize;
    const QPointF anchor = toLayer(annotation.start, canvasRect);
    QTransform place;
    place.translate(anchor.x(), anchor.y());
    place.scale(scale, scale);
    return place.map(path);
}

namespace {
MarkInk inkOf(const Annotation& annotation, const QRectF& canvasRect)
{
    const QSizeF canvas = canvasRect.size();
    const double m = shorterSide(canvas);
    MarkInk ink;
    switch (annotation.kind) {
    case Annotation::Kind::text:
        ink.path = annotationTextPath(annotation, canvasRect);
        ink.fill = colorFromHex(annotation.colorHex);
        ink.shadowOpacity = kTextShadowOpacity;
        break;
    case Annotation::Kind::pen:
        if (!annotation.points.isEmpty()) {
            ink.path.moveTo(toLayer(annotation.points.first(), canvasRect));
            for (qsizetype i = 1; i < annotation.points.size(); ++i)
                ink.path.lineTo(toLayer(annotation.points[i], canvasRect));
        }
        ink.stroke = annotationPen(annotation, canvas);
        ink.shadowOpacity = kStrokeShadowOpacity;
        break;
    case Annotation::Kind::arrow:
        ink.path = ArrowShape { toLayer(annotation.start, canvasRect), toLayer(annotation.end, canvasRect), std::max(m * 0.05, 10.0) }.path();
        ink.stroke = annotationPen(annotation, canvas);
        ink.shadowOpacity = kStrokeShadowOpacity;
        break;
    case Annotation::Kind::line:
        ink.path = LineShape { toLayer(annotation.start, canvasRect), toLayer(annotation.end, canvasRect) }.path();
        ink.stroke = annotationPen(annotation, canvas);
        ink.shadowOpacity = kStrokeShadowOpacity;
        break;
    case Annotation::Kind::box:
    case Annotation::Kind::ellipse:
        ink.path = shapePath(annotation, canvasRect);
        ink.fill = colorFromHex(annotation.colorHex);
        ink.fill.setAlphaF(float(std::clamp(annotation.fillOpacity, 0.0, 1.0)));
        ink.stroke = annotationPen(annotation, canvas);
        break;
    case Annotation::Kind::highlight:
        break;
    }
    // Stroking (joins and caps) is the dear part of a long pen stroke: once for both uses.
    if (ink.stroke && !ink.path.isEmpty())
        ink.strokeOutline = QPainterPathStroker(*ink.stroke).createStroke(ink.path);
    return ink;
}
}

void paintAnnotation(QPainter& painter, const QRectF& canvasRect, const Annotation& annotation)
{
    const MarkInk ink = inkOf(annotation, canvasRect);
    paintInk(painter, ink, renderShadow(ink, painter.deviceTransform(), shadowBounds(painter)));
}

void paintHighlights(QPainter& painter, const QRectF& canvasRect, const QList<Annotation>& highlights,
    const QRectF& imageRect, double imageCornerRadius)
{
    if (highlights.isEmpty())
        return;
    const QSizeF canvas = canvasRect.size();
    const double m = shorterSide(canvas);
    const bool fullCanvas = std::any_of(highlights.begin(), highlights.end(), [](const Annotation& a) { return a.highlightFullCanvas; });
    const QRectF region = fullCanvas ? canvasRect : toLayer(imageRect, canvasRect);
    const double regionRadius = fullCanvas ? 0.0 : imageCornerRadius;
    const double windowRadius = std::max(m * 0.022, 6.0);

    QList<QPainterPath> windows;
    for (const Annotation& h : highlights)
        windows.append(continuousRoundedRect(toLayer(h.boundingRect(), canvasRect), windowRadius));

    // Dim the region less the union of the windows: every window is clear however windows
    // overlap each other or the region's edge. Boolean operations are slow, so they run only
    // for windows that overlap another window or cross the region's edge; a lone window inside
    // the region is simply a hole under the odd-even rule.
    QPainterPath regionPath;
    if (regionRadius > 0)
        regionPath = continuousRoundedRect(region, regionRadius);
    else
        regionPath.addRect(region);

    // Group windows whose rectangles touch (union-find over their indices).
    const qsizetype n = windows.size();
    QList<qsizetype> group(n);
    for (qsizetype i = 0; i < n; ++i)
        group[i] = i;
    auto root = [&group](qsizetype i) {
        while (group[i] != i)
            i = group[i] = group[group[i]];
        return i;
    };
    for (qsizetype i = 0; i < n; ++i) {
        for (qsizetype j = i + 1; j < n; ++j) {
            if (windows[i].boundingRect().intersects(windows[j].boundingRect()))
                group[root(j)] = root(i);
        }
    }

    const double deviceScale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    QPainterPath holes;
    QPainterPath cut;
    for (qsizetype g = 0; g < n; ++g) {
        if (root(g) != g)
            continue;
        QList<qsizetype> members;
        QRectF bounds;
        for (qsizetype i = 0; i < n; ++i) {
            if (root(i) == g && !windows[i].isEmpty()) {
                members.append(i);
                bounds = bounds.united(windows[i].boundingRect());
            }
        }
        if (members.isEmpty())
            continue;
        QPainterPath shape = members.size() == 1 ? windows[members.first()] : QPainterPath();
        for (qsizetype i = 0; members.size() > 1 && i < members.size(); ++i)
            shape = shape.united(flattened(windows[members[i]], deviceScale));
        if (regionPath.contains(bounds))
            holes.addPath(shape);
        else
            cut.addPath(members.size() == 1 ? flattened(shape, deviceScale) : shape);
    }
    QPainterPath dimmed = cut.isEmpty() ? regionPath : flattened(regionPath, deviceScale).subtracted(cut);
    dimmed.setFillRule(Qt::OddEvenFill);
    dimmed.addPath(holes);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(dimmed, QColor(0, 0, 0, int(std::lround(255 * kHighlightDim))));
    for (qsizetype i = 0; i < highlights.size(); ++i) {
        QPen outline(colorFromHex(highlights[i].colorHex), annotationLineWidth(highlights[i].lineWidthFraction, canvas),
            Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        outline.setMiterLimit(10);
        painter.strokePath(windows[i], outline);
    }
    painter.restore();
}

void paintAnnotations(QPainter& painter, const QRectF& canvasRect, const QList<Annotation>& annotations,
    const QRectF& imageRect, double imageCornerRadius)
{
    if (canvasRect.isEmpty())
        return;
    QList<Annotation> highlights;
    std::vector<MarkInk> inks;
    for (const Annotation& a : annotations) {
        if (a.kind == Annotation::Kind::highlight)
            highlights.append(a);
        else
            inks.push_back(inkOf(a, canvasRect));
    }
    // Shadows are independent images: make them on several cores, then lay everything down
    // in list order on this painter.
    const QTransform toDevice = painter.deviceTransform();
    const QRect bounds = shadowBounds(painter);
    std::vector<Shadow> shadows(inks.size());
    parallelFor(int(inks.size()), [&](int i) { shadows[std::size_t(i)] = renderShadow(inks[std::size_t(i)], toDevice, bounds); });
    for (std::size_t i = 0; i < inks.size(); ++i)
        paintInk(painter, inks[i], shadows[i]);
    paintHighlights(painter, canvasRect, highlights, imageRect, imageCornerRadius);
}
