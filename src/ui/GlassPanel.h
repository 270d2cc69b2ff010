#pragma once

#include <QWidget>

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_cornerRadius;
};
