#pragma once

#include "ui/Spring.h"

#include <QGraphicsEffect>

class QAbstractButton;

// Press feedback for the notch panel's buttons, chips and circles: while pressed the button is
// drawn at 92 % of its size about its centre and at 85 % opacity; pressing and releasing spring
// between the two (response 0.22 s, damping 0.75). A button at rest is drawn exactly as it
// paints itself. It adds no background and changes nothing else of the button's look.
class PressableButtonStyle final : public QGraphicsEffect {
    Q_OBJECT
public:
    // Gives `button` the press feedback; the button owns the effect.
    static PressableButtonStyle* apply(QAbstractButton* button);

    // 0 at rest, 1 fully pressed (the spring may briefly pass either end).
    qreal pressAmount() const { return m_amount; }
    qreal scale() const;
    qreal opacity() const;
    bool isAnimating() const;

    static constexpr Spring kSpring { 0.22, 0.75 };
    static constexpr qreal kPressedScale = 0.92;
    static constexpr qreal kPressedOpacity = 0.85;

protected:
    void draw(QPainter* painter) override;

private:
    explicit PressableButtonStyle(QAbstractButton* button);
    void setPressed(bool pressed);

    SpringAnimation m_animation;
    qreal m_amount = 0.0;
};
