#pragma once

#include "model/SocialPlatform.h"

#include <QAbstractButton>
#include <QImage>

// A round quick-share button: the platform's mark in white over the card's dark shade.
class NotchShareCircle final : public QAbstractButton {
    Q_OBJECT
public:
    // How far the circle's shadow reaches past the circle.
    static constexpr int kShadowMargin = 4;

    NotchShareCircle(SocialPlatform platform, qreal diameter, QWidget* parent = nullptr);

    SocialPlatform platform() const { return m_platform; }
    // The circle within the widget (the rest is room for its shadow).
    QRectF circleRect() const;
    QSize sizeHint() const override;

    // The platform's logo as a white mark whose opacity is the asset's luminance, fitted into a
    // square of `side` device pixels. Null when the asset cannot be read.
    static QImage platformLogo(SocialPlatform platform, int side);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SocialPlatform m_platform;
    qreal m_diameter;
};
