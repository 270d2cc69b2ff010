#include "settings/SwitchToggle.h"

#include "ui/Theme.h"

#include <QPainter>

SwitchToggle::SwitchToggle(QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    Theme::followColorScheme(this);
}

void SwitchToggle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ColorScheme scheme = Theme::colorScheme(this);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2.0;
    const QColor off = scheme == ColorScheme::dark ? Theme::rgb(255, 255, 255, 0.18) : Theme::rgb(0, 0, 0, 0.14);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? Theme::accentFor(scheme) : off);
    if (!isEnabled())
        p.setOpacity(0.4);
    p.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}
