#include "editor/TextMarkCache.h"

#include "render/AnnotationLayer.h"

#include <QPaintDevice>
#include <QPainter>
#include <QSet>

#include <cmath>

namespace {
// Room for the shadow (offset 1, blur 1) and anti-aliasing around a text's outline.
constexpr double kMargin = 5;
// Beyond this a text is drawn directly: an image of it would cost more than it saves.
constexpr double kMaxPixels = 4096.0 * 4096.0;
}

bool TextMarkCache::sameLook(const Annotation& a, const Annotation& b)
{
    // Everything but where it stands.
    Annotation moved = b;
    moved.start = a.start;
    moved.end = a.end;
    moved.points = a.points;
    return a == moved;
}

TextMarkCache::Entry TextMarkCache::render(const Annotation& text, QSizeF canvasSize, qreal scale) const
{
    Entry e { text, canvasSize, scale, {}, {} };
    const QRectF canvas(QPointF(0, 0), canvasSize);
    const QRectF bounds = annotationTextPath(text, canvas).boundingRect().adjusted(-kMargin, -kMargin, kMargin, kMargin);
    if (!bounds.isValid() || bounds.width() * bounds.height() * scale * scale > kMaxPixels)
        return e;
    // Snap the image to device pixels so copying it reproduces the direct drawing.
    const QPointF origin(std::floor(bounds.left() * scale) / scale, std::floor(bounds.top() * scale) / scale);
    const QSize pixels(int(std::ceil((bounds.right() - origin.x()) * scale)), int(std::ceil((bounds.bottom() - origin.y()) * scale)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return e;
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.translate(-origin);
        paintAnnotation(p, canvas, text);
    }
    e.image = image;
    e.origin = origin;
    return e;
}

void TextMarkCache::paint(QPainter& painter, QSizeF canvasSize, const QList<Annotation>& texts)
{
    const QTransform device = painter.deviceTransform();
    const qreal scale = std::max<qreal>(1e-3, std::sqrt(std::abs(device.determinant())));
    const bool axisAligned = device.type() <= QTransform::TxScale;
    QSet<QUuid> seen;
    for (const Annotation& text : texts) {
        seen.insert(text.id);
        if (!axisAligned) {
            paintAnnotation(painter, QRectF(QPointF(0, 0), canvasSize), text);
            continue;
        }
        auto it = m_entries.find(text.id);
        if (it == m_entries.end() || !sameLook(it->annotation, text) || it->canvasSize != canvasSize || it->scale != scale)
            it = m_entries.insert(text.id, render(text, canvasSize, scale));
        if (it->image.isNull()) {
            paintAnnotation(painter, QRectF(QPointF(0, 0), canvasSize), text);
            continue;
        }
        // A moved text is its image moved, to the nearest device pixel.
        const QPointF shift((text.start.x() - it->annotation.start.x()) * canvasSize.width(),
            (text.start.y() - it->annotation.start.y()) * canvasSize.height());
        const QPointF at(std::round((it->origin.x() + shift.x()) * scale) / scale, std::round((it->origin.y() + shift.y()) * scale) / scale);
        painter.drawImage(at, it->image);
    }
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (seen.contains(it.key()))
            ++it;
        else
            it = m_entries.erase(it);
    }
    for (auto it = m_bounds.begin(); it != m_bounds.end();) {
        if (seen.contains(it.key()))
            ++it;
        else
            it = m_bounds.erase(it);
    }
}

QRectF TextMarkCache::bounds(const Annotation& text, QSizeF canvasSize)
{
    auto it = m_bounds.find(text.id);
    if (it == m_bounds.end() || !(it->annotation == text) || it->canvasSize != canvasSize) {
        const QRectF path = annotationTextPath(text, QRectF(QPointF(0, 0), canvasSize)).boundingRect();
        it = m_bounds.insert(text.id, Bounds { text, canvasSize, path.adjusted(-kMargin, -kMargin, kMargin, kMargin) });
    }
    return it->rect;
}
