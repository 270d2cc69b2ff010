#include "notch/NotchRevealEffect.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

NotchRevealEffect::NotchRevealEffect(QPointF anchor, qreal startScale, QObject* parent)
    : QGraphicsEffect(parent)
    , m_anchor(anchor)
    , m_startScale(startScale)
{
    setEnabled(false);
}

void NotchRevealEffect::setProgress(qreal progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    // At rest the widget paints as usual: drawing a widget with children straight through an
    // effect makes them paint on a device that is already being painted.
    setEnabled(progress != 1.0);
    updateBoundingRect();
    update();
}

qreal NotchRevealEffect::scale() const
{
    return std::max<qreal>(0.0, m_startScale + (1.0 - m_startScale) * m_progress);
}

qreal NotchRevealEffect::opacity() const
{
    return std::clamp<qreal>(m_progress, 0.0, 1.0);
}

QTransform NotchRevealEffect::transform(const QSizeF& size) const
{
    const QPointF anchor(size.width() * m_anchor.x(), size.height() * m_anchor.y());
    QTransform t;
    t.translate(anchor.x(), anchor.y());
    t.scale(scale(), scale());
    t.translate(-anchor.x(), -anchor.y());
    return t;
}

QRectF NotchRevealEffect::mapRect(const QRectF& rect, const QSizeF& widgetSize) const
{
    return transform(widgetSize).mapRect(rect);
}

QPainterPath NotchRevealEffect::mapPath(const QPainterPath& path, const QSizeF& widgetSize) const
{
    return transform(widgetSize).map(path);
}

QRectF NotchRevealEffect::boundingRectFor(const QRectF& rect) const
{
    // Room for the overshoot of a spring.
    return rect.united(transform(rect.size()).mapRect(QRectF(QPointF(0, 0), rect.size())).translated(rect.topLeft()));
}

void NotchRevealEffect::draw(QPainter* painter)
{
    if (opacity() <= 0.0 || scale() <= 0.0)
        return;
    // Widget sources ignore the painter's transform: scale a snapshot instead.
    QPoint offset;
    const QPixmap snapshot = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    if (snapshot.isNull())
        return;
    const QSizeF size = sourceBoundingRect(Qt::LogicalCoordinates).size();
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setOpacity(painter->opacity() * opacity());
    painter->setTransform(transform(size), true);
    painter->drawPixmap(offset, snapshot);
    painter->restore();
}
