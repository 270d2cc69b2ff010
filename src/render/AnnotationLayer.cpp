#include "render/AnnotationLayer.h"

#include "render/ContinuousCorners.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>
#include <cmath>

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

QColor annotationColor(int hex)
{
    return QColor((hex >> 16) & 255, (hex >> 8) & 255, hex & 255);
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

// Qt counts a pen's dash lengths in pen widths; a pen of another width keeps the same absolute
// dashes by rescaling them.
QPen widenedPen(const QPen& pen, double extra, const QColor& color)
{
    QPen wide = pen;
    wide.setColor(color);
    const double width = pen.widthF() + extra;
    wide.setWidthF(width);
    if (pen.style() == Qt::CustomDashLine) {
        QList<qreal> dashes = pen.dashPattern();
        for (qreal& d : dashes)
            d *= pen.widthF() / width;
        wide.setDashPattern(dashes);
    }
    return wide;
}

// A blur of radius 1 is a soft edge about two units wide: three layers spreading 0, 1 and 2
// radii past the shape, each with a third of the opacity, build that falloff without an
// off-screen blur per mark. `pen` strokes `path`; with no pen the path is a filled outline.
void paintSoftShadow(QPainter& painter, const QPainterPath& path, const QPen* pen, double opacity)
{
    painter.save();
    painter.translate(0, kShadowOffsetY);
    const QColor shade(0, 0, 0, int(std::lround(255 * (1 - std::pow(1 - opacity, 1.0 / 3.0)))));
    for (int layer = 0; layer < 3; ++layer) {
        const double spread = 2 * kShadowRadius * layer;
        if (pen) {
            painter.strokePath(path, widenedPen(*pen, spread, shade));
        } else if (layer == 0) {
            painter.fillPath(path, shade);
        } else {
            QPen outline(shade, spread, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            painter.save();
            painter.setBrush(shade);
            painter.setPen(outline);
            painter.drawPath(path);
            painter.restore();
        }
    }
    painter.restore();
}

void paintStroke(QPainter& painter, const QPainterPath& path, const QPen& pen, bool shadow)
{
    if (path.isEmpty())
        return;
    if (shadow)
        paintSoftShadow(painter, path, &pen, kStrokeShadowOpacity);
    painter.strokePath(path, pen);
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
    const double magnify = std::max(1.0, deviceScale) * 8;
    const QTransform up = QTransform::fromScale(magnify, magnify);
    const QTransform down = QTransform::fromScale(1 / magnify, 1 / magnify);
    QPainterPath out;
    for (const QPolygonF& polygon : path.toSubpathPolygons(up))
        out.addPolygon(down.map(polygon));
    out.closeSubpath();
    return out;
}
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
    QPen pen(annotationColor(annotation.colorHex), annotationLineWidth(annotation.lineWidthFraction, canvas), Qt::SolidLine,
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

void paintAnnotation(QPainter& painter, const QRectF& canvasRect, const Annotation& annotation)
{
    const QSizeF canvas = canvasRect.size();
    const double m = shorterSide(canvas);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (annotation.kind) {
    case Annotation::Kind::text: {
        const QPainterPath path = annotationTextPath(annotation, canvasRect);
        paintSoftShadow(painter, path, nullptr, kTextShadowOpacity);
        painter.fillPath(path, annotationColor(annotation.colorHex));
        break;
    }
    case Annotation::Kind::pen: {
        QPainterPath path;
        if (!annotation.points.isEmpty()) {
            path.moveTo(toLayer(annotation.points.first(), canvasRect));
            for (qsizetype i = 1; i < annotation.points.size(); ++i)
                path.lineTo(toLayer(annotation.points[i], canvasRect));
        }
        paintStroke(painter, path, annotationPen(annotation, canvas), true);
        break;
    }
    case Annotation::Kind::arrow: {
        const ArrowShape arrow { toLayer(annotation.start, canvasRect), toLayer(annotation.end, canvasRect), std::max(m * 0.05, 10.0) };
        paintStroke(painter, arrow.path(), annotationPen(annotation, canvas), true);
        break;
    }
    case Annotation::Kind::line: {
        const LineShape line { toLayer(annotation.start, canvasRect), toLayer(annotation.end, canvasRect) };
        paintStroke(painter, line.path(), annotationPen(annotation, canvas), true);
        break;
    }
    case Annotation::Kind::box:
    case Annotation::Kind::ellipse: {
        const QPainterPath path = shapePath(annotation, canvasRect);
        QColor fill = annotationColor(annotation.colorHex);
        fill.setAlphaF(float(std::clamp(annotation.fillOpacity, 0.0, 1.0)));
        if (fill.alpha() > 0)
            painter.fillPath(path, fill);
        paintStroke(painter, path, annotationPen(annotation, canvas), false);
        break;
    }
    case Annotation::Kind::highlight:
        break;
    }
    painter.restore();
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
    // overlap each other or the region's edge.
    const double deviceScale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    QPainterPath regionPath;
    if (regionRadius > 0)
        regionPath = continuousRoundedRect(region, regionRadius);
    else
        regionPath.addRect(region);
    QPainterPath dimmed = flattened(regionPath, deviceScale);
    QPainterPath cut;
    for (const QPainterPath& w : windows) {
        if (!w.isEmpty())
            cut = cut.united(flattened(w, deviceScale));
    }
    if (!cut.isEmpty())
        dimmed = dimmed.subtracted(cut);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(dimmed, QColor(0, 0, 0, int(std::lround(255 * kHighlightDim))));
    for (qsizetype i = 0; i < highlights.size(); ++i) {
        QPen outline(annotationColor(highlights[i].colorHex), annotationLineWidth(highlights[i].lineWidthFraction, canvas),
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
    for (const Annotation& a : annotations) {
        if (a.kind == Annotation::Kind::highlight)
            highlights.append(a);
        else
            paintAnnotation(painter, canvasRect, a);
    }
    paintHighlights(painter, canvasRect, highlights, imageRect, imageCornerRadius);
}
