#include "capture/PopoverStyle.h"

#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace PopoverStyle {

QColor primary(ColorScheme scheme, qreal opacity)
{
    QColor color = Theme::primaryText(scheme);
    color.setAlphaF(float(opacity));
    return color;
}

QColor secondary(ColorScheme scheme)
{
    return Theme::secondaryText(scheme);
}

QColor tertiary(ColorScheme scheme)
{
    return primary(scheme, scheme == ColorScheme::dark ? 0.42 : 0.45);
}

QFont monoFont(qreal size, QFont::Weight weight)
{
    return Theme::monoFont(size, weight);
}

qreal lineHeight(const QFont& font)
{
    return QFontMetricsF(font).height();
}

qreal textWidth(const QFont& font, const QString& text)
{
    return QFontMetricsF(font).horizontalAdvance(text);
}

void paintTile(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill, const QColor& border)
{
    if (fill.alpha() > 0)
        p.fillPath(continuousRoundedRect(rect, radius), fill);
    const qreal half = kHairline / 2.0;
    p.setPen(QPen(border, kHairline));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousRoundedRect(rect.adjusted(half, half, -half, -half), std::max(0.0, radius - half)));
}

void drawLine(QPainter& p, const QRectF& rect, const QFont& font, const QColor& color, const QString& text,
    Qt::Alignment align)
{
    p.setFont(font);
    p.setPen(color);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width() + 0.5);
    p.drawText(rect, int(align | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

QFont rowFont() { return Theme::font(12.5, QFont::Medium); }
QFont shortcutFont() { return monoFont(10.0, QFont::Medium); }

} // namespace PopoverStyle
