#pragma once

#include "platform/ColorScheme.h"

#include <QPainterPath>
#include <QWidget>

class QPainter;

// A translucent rounded container: the material tint in a continuous rounded rectangle, a
// hairline border inside its edge, and two soft shadows (a large one and a close one) drawn
// around it. Children are laid out by the caller; the panel neither pads nor clips them.
//
// The shadows are drawn by a graphics effect so they fall outside the panel's own rectangle, as
// a shadow should, without changing its geometry.
class GlassPanel : public QWidget {
    Q_OBJECT
public:
    explicit GlassPanel(qreal cornerRadius, QWidget* parent = nullptr);

    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);

    QPainterPath shape() const;

    // The panel's look as painter functions, for a host that must draw the glass without the
    // graphics effect (a widget inside an effect repaints the whole effect on every update).
    // The shadows fall up to shadowMargin() outside `shape`.
    static void paintShadows(QPainter& painter, const QPainterPath& shape, ColorScheme scheme);
    static void paintMaterial(QPainter& painter, const QRectF& rect, qreal cornerRadius, ColorScheme scheme);
    static qreal shadowMargin();
    // Shadows (when asked) and material together, from an image kept per size, radius, scheme and
    // pixel ratio: a panel repainted because something moved behind it costs one blend.
    static void paintGlass(QPainter& painter, const QRectF& panel, qreal cornerRadius, ColorScheme scheme, bool shadows = true);

    // Draws `widget` with its children from a kept pixmap until one of them is updated, as the
    // panel draws its own content: for floating parts that something moves behind. Takes the
    // place of any graphics effect the widget had.
    static void cacheContent(QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_cornerRadius;
};
