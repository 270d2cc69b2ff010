#include "editor/EditingOverlay.h"

#include "editor/EditingGeometry.h"
#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace EditingOverlay {

namespace {
// The layer's accent is the bright form in both appearances.
QColor layerAccent()
{
    return Theme::accentOnDark();
}

QRectF centredRect(QPointF center, double w, double h)
{
    return QRectF(center.x() - w / 2, center.y() - h / 2, w, h);
}

// A stroke of `width` that stays inside `rect`.
QRectF insetForStroke(const QRectF& rect, double width)
{
    return rect.adjusted(width / 2, width / 2, -width / 2, -width / 2);
}

QPen dashedAccentPen()
{
    QPen pen(layerAccent(), 1.5);
    // Dash lengths in points, Qt counts them in line widths.
    pen.setDashPattern({ 4 / 1.5, 3 / 1.5 });
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

bool finiteRect(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

void paintHandleAt(QPainter& painter, QPointF center, bool bordered, double shadowOpacity)
{
    if (!std::isfinite(center.x()) || !std::isfinite(center.y()))
        return;
    const QRectF box = centredRect(center, handleSide, handleSide);
    const QPainterPath shape = continuousRoundedRect(box, 2);
    paintShadow(painter, shape, Theme::rgb(0, 0, 0, shadowOpacity), 1, QPointF());
    painter.fillPath(shape, Qt::white);
    if (bordered) {
        painter.setPen(QPen(layerAccent(), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(continuousRoundedRect(insetForStroke(box, 1), 1.5));
    }
}
}

QRectF annotationOutlineRect(const Annotation& a, QSizeF size)
{
    const double w = size.width(), h = size.height();
    double boxW = 0, boxH = 0;
    QPointF center;
    if (a.kind == Annotation::Kind::text) {
        const double th = std::max(a.fontFraction * h, 8.0);
        const int n = std::max(EditingGeometry::characterCount(a.text), 3);
        boxW = std::max(1.5 * th, 0.55 * th * n);
        boxH = th;
        center = QPointF(a.start.x() * w, a.start.y() * h);
    } else {
        const QRectF r = a.boundingRect();
        boxW = std::max(r.width() * w, 6.0);
        boxH = std::max(r.height() * h, 6.0);
        center = QPointF(r.center().x() * w, r.center().y() * h);
    }
    return centredRect(center, boxW + 12, boxH + 12);
}

QRectF redactionOutlineRect(const QRectF& r)
{
    return centredRect(r.center(), r.width() + 6, r.height() + 6);
}

void paintSelectionOutline(QPainter& painter, const QRectF& rect)
{
    if (!finiteRect(rect))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(dashedAccentPen());
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(insetForStroke(rect, 1.5), 4 - 0.75));
    painter.restore();
}

void paintResizeHandle(QPainter& painter, QPointF center)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintHandleAt(painter, center, true, 0.35);
    painter.restore();
}

void paintResizeHandles(QPainter& painter, const QRectF& rect)
{
    for (const QPointF& p : EditingGeometry::boxHandlePoints(rect))
        paintResizeHandle(painter, p);
}

void paintBlurDraft(QPainter& painter, const QRectF& rect, bool dark)
{
    if (!finiteRect(rect))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(rect, 3), Theme::materialFill(dark ? ColorScheme::dark : ColorScheme::light));
    painter.setPen(dashedAccentPen());
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(insetForStroke(rect, 1.5), 3 - 0.75));
    painter.restore();
}

void paintCropOverlay(QPainter& painter, const QRectF& layerRect, const QRectF& cropRect,
    const std::array<QPointF, 8>& handlePoints)
{
    if (!finiteRect(cropRect))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Everything outside the crop (the even-odd difference of the two rectangles) as up to four
    // bands, and the frame as four thin ones: plain rectangles cut to the repainted area cost a
    // fraction of a path over a whole retina-sized layer, and this runs on every crop drag event.
    const QRegion clip = painter.hasClipping() ? painter.clipRegion() : QRegion(layerRect.toAlignedRect());
    // Without anti-aliasing the slices meet edge to edge; with it their shared edges would show.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto fill = [&](const QRectF& r, const QColor& color) {
        const QRectF band = r.normalized();
        for (const QRect& piece : clip & band.toAlignedRect()) {
            const QRectF part = band.intersected(QRectF(piece));
            // Short slices: Qt hands tall fills to its thread pool, whose hand-over costs more
            // than these thin strips take to fill.
            for (double y = part.top(); y < part.bottom(); y += 12)
                painter.fillRect(QRectF(part.left(), y, part.width(), std::min(12.0, part.bottom() - y)), color);
        }
    };
    const QColor dim = Theme::rgb(0, 0, 0, 0.45);
    // Out to whole pixels: unsmoothed, a fractional edge would leave its last column undimmed.
    const QRectF outer(layerRect.toAlignedRect());
    const QRectF hole = cropRect.normalized().intersected(outer);
    if (hole.isEmpty()) {
        fill(outer, dim);
    } else {
        fill(QRectF(QPointF(outer.left(), outer.top()), QPointF(outer.right(), hole.top())), dim);
        fill(QRectF(QPointF(outer.left(), hole.bottom()), QPointF(outer.right(), outer.bottom())), dim);
        fill(QRectF(QPointF(outer.left(), hole.top()), QPointF(hole.left(), hole.bottom())), dim);
        fill(QRectF(QPointF(hole.right(), hole.top()), QPointF(outer.right(), hole.bottom())), dim);
    }
    const QRectF c = cropRect.normalized();
    const QColor frame = Theme::rgb(255, 255, 255, 0.95);
    if (c.width() >= 2 && c.height() >= 2) {
        fill(QRectF(c.left(), c.top(), c.width(), 1), frame);
        fill(QRectF(c.left(), c.bottom() - 1, c.width(), 1), frame);
        fill(QRectF(c.left(), c.top() + 1, 1, c.height() - 2), frame);
        fill(QRectF(c.right() - 1, c.top() + 1, 1, c.height() - 2), frame);
    } else {
        fill(c, frame);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QPointF& p : handlePoints)
        paintHandleAt(painter, p, false, 0.4);
    painter.restore();
}

void paintCropActionButton(QPainter& painter, QPointF center, CropAction action, bool pressed)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = centredRect(center, cropButtonSide, cropButtonSide);
    QPainterPath shape;
    shape.addEllipse(circle);
    paintShadow(painter, shape, Theme::rgb(0, 0, 0, 0.3), 3, QPointF(0, 1));
    QColor fill = action == CropAction::cancel ? Theme::rgb(255, 95, 87) : Theme::accentOnDark();
    if (pressed)
        fill = fill.darker(115);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(Theme::rgb(255, 255, 255, 0.25), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(insetForStroke(circle, 0.5));
    Symbols::paint(painter, action == CropAction::cancel ? u"xmark" : u"checkmark", center, 13, Qt::white, QFont::Bold);
    painter.restore();
}

QPointF cropButtonsCenter(const QRectF& c, QSizeF size)
{
    const double w = size.width();
    double x = std::min(std::max(c.right() - 34, 34.0), w - 34);
    double y = (c.top() - 23) - 15 < 0 ? c.top() + 15 + 8 : c.top() - 15 - 8;
    if (!std::isfinite(x))
        x = w / 2;
    if (!std::isfinite(y))
        y = 20;
    if (!std::isfinite(x)) // a non-finite layer width as well
        x = 0;
    return { x, y };
}

QPointF formatBarCenter(const Annotation& a, QSizeF size)
{
    const double w = size.width(), h = size.height();
    if (a.kind == Annotation::Kind::text) {
        const QPointF anchor(a.start.x() * w, a.start.y() * h);
        const double t = std::max(a.fontFraction * h, 20.0);
        // The bar may hang far out over the left edge, less so over the right.
        const double x = std::min(std::max(anchor.x(), -102.0), w + 102 - 340 + 170);
        const double above = anchor.y() - t / 2 - 20 - 8;
        return { x, above > 20 ? above : anchor.y() + t / 2 + 20 + 8 };
    }
    const QRectF b = a.boundingRect();
    const QRectF r(b.x() * w, b.y() * h, b.width() * w, b.height() * h);
    const double x = std::min(std::max(r.center().x(), 130.0), w - 130);
    const double above = r.top() - 20 - 8;
    return { x, above > 20 ? above : r.bottom() + 20 + 8 };
}

void paintFormatBarShadow(QPainter& painter, const QRectF& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintShadow(painter, continuousRoundedRect(rect, 12), Theme::rgb(0, 0, 0, 0.2), 10, QPointF(0, 4));
    painter.restore();
}

double formatBarShadowMargin()
{
    return shadowReach(10, QPointF(0, 4));
}

void paintFormatBarPanel(QPainter& painter, const QRectF& rect, bool dark)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = continuousRoundedRect(rect, 12);
    painter.fillPath(shape, Theme::materialFill(dark ? ColorScheme::dark : ColorScheme::light));
    painter.setPen(QPen(Theme::rgb(255, 255, 255, dark ? 0.15 : 0.7), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(insetForStroke(rect, 0.5), 11.75));
    painter.restore();
}

}
