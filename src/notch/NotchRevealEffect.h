#pragma once

#include <QGraphicsEffect>
#include <QPointF>

// Draws a widget (with its children) entering or leaving: at `progress` 0 it is scaled to
// `startScale` about `anchor` (fractions of its size) and transparent; at 1 it is drawn as it
// is. A spring may carry progress past 1 for a moment: the widget then grows a little beyond
// its size and stays opaque.
class NotchRevealEffect final : public QGraphicsEffect {
    Q_OBJECT
public:
    NotchRevealEffect(QPointF anchor, qreal startScale, QObject* parent = nullptr);

    qreal progress() const { return m_progress; }
    void setProgress(qreal progress);
    qreal scale() const;
    qreal opacity() const;
    // Where a rectangle of the widget is drawn at the current progress.
    QRectF mapRect(const QRectF& rect, const QSizeF& widgetSize) const;
    QPainterPath mapPath(const QPainterPath& path, const QSizeF& widgetSize) const;

protected:
    void draw(QPainter* painter) override;
    QRectF boundingRectFor(const QRectF& rect) const override;

private:
    QTransform transform(const QSizeF& size) const;

    QPointF m_anchor;
    qreal m_startScale;
    qreal m_progress = 1; // constructed disabled, see setProgress
};
