#include "ui/PressableButtonStyle.h"

#include <QAbstractButton>
#include <QPainter>

#include <algorithm>

PressableButtonStyle* PressableButtonStyle::apply(QAbstractButton* button)
{
    auto* style = new PressableButtonStyle(button);
    button->setGraphicsEffect(style);
    return style;
}

PressableButtonStyle::PressableButtonStyle(QAbstractButton* button)
    : QGraphicsEffect(button)
    , m_animation(kSpring, this)
{
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(0.0);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_amount = value.toDouble();
        update();
    });
    connect(button, &QAbstractButton::pressed, this, [this] { setPressed(true); });
    connect(button, &QAbstractButton::released, this, [this] { setPressed(false); });
}

void PressableButtonStyle::setPressed(bool pressed)
{
    m_animation.retarget(pressed ? 1.0 : 0.0);
}

qreal PressableButtonStyle::scale() const
{
    return 1.0 - (1.0 - kPressedScale) * m_amount;
}

qreal PressableButtonStyle::opacity() const
{
    return std::clamp(1.0 - (1.0 - kPressedOpacity) * m_amount, 0.0, 1.0);
}

bool PressableButtonStyle::isAnimating() const
{
    return m_animation.state() == QAbstractAnimation::Running;
}

void PressableButtonStyle::draw(QPainter* painter)
{
    if (m_amount == 0.0) {
        drawSource(painter);
        return;
    }
    // Widget sources paint straight to the device and ignore the painter's transform and
    // opacity, so scale and dim a snapshot of the button instead.
    QPoint offset;
    const QPixmap snapshot = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    if (snapshot.isNull())
        return;
    const QRectF bounds(offset, snapshot.deviceIndependentSize());
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(bounds.center());
    painter->scale(scale(), scale());
    painter->translate(-bounds.center());
    painter->setOpacity(painter->opacity() * opacity());
    painter->drawPixmap(offset, snapshot);
    painter->restore();
}
