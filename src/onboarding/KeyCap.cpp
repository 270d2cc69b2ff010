#include "onboarding/KeyCap.h"

#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace {
QFont premiumFont() { return Theme::font(26, QFont::DemiBold); }

QFont miniFont() { return Theme::font(12, QFont::DemiBold); }

// Square caps for single characters; long labels get the same side margins a letter would.
qreal capWidth(const QFont& font, const QString& label, qreal side, qreal margin)
{
    return std::max(side, std::ceil(QFontMetricsF(font).horizontalAdvance(label)) + 2 * margin);
}

void strokeInside(QPainter& p, const QRectF& rect, qreal radius, const QColor& color, qreal width)
{
    const qreal inset = width / 2;
    p.setPen(QPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousRoundedRect(rect.adjusted(inset, inset, -inset, -inset), radius - inset));
}
}

QStringList keyCapLabels(const QString& combination)
{
    QStringList labels;
    for (const QString& part : combination.split(QLatin1Char('+'), Qt::SkipEmptyParts))
        labels.append(part.trimmed());
    return labels;
}

QSizeF PremiumKey::size() const { return { capWidth(premiumFont(), label, kSide, 18), kSide }; }

void PremiumKey::paint(QPainter& p, QPointF topLeft) const
{
    const bool dark = scheme == ColorScheme::dark;
    const QRectF top(topLeft, size());
    const QPainterPath topShape = continuousRoundedRect(top, kCornerRadius);
    const QPainterPath baseShape = topShape.translated(0, kDepth);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    paintShadow(
        p, topShape.united(baseShape), dark ? Theme::rgb(0, 0, 0, 0.5) : Theme::rgb(0, 0, 0, 0.16), 10, QPointF(0, 8));
    p.fillPath(baseShape, dark ? Theme::rgb(0x0B, 0x09, 0x10) : Theme::rgb(0xCF, 0xC6, 0xDA));

    QLinearGradient face(top.topLeft(), top.bottomLeft());
    face.setColorAt(0, dark ? Theme::rgb(0x39, 0x32, 0x43) : Qt::white);
    face.setColorAt(1, dark ? Theme::rgb(0x24, 0x1F, 0x2E) : Theme::rgb(0xF1, 0xEC, 0xF8));
    p.fillPath(topShape, face);
    strokeInside(p, top, kCornerRadius, dark ? Theme::rgb(255, 255, 255, 0.14) : Theme::rgb(0, 0, 0, 0.06), 1);

    // The sheen: a soft highlight across the upper part of the top.
    const QRectF sheen(top.left() + 8, top.top() + 5, top.width() - 16, 14);
    paintShadow(p, continuousRoundedRect(sheen, 9),
        dark ? Theme::rgb(255, 255, 255, 0.06) : Theme::rgb(255, 255, 255, 0.7), 2, QPointF(0, 0));

    p.setFont(premiumFont());
    p.setPen(dark ? QColor(Qt::white) : Theme::rgb(0x2A, 0x23, 0x30));
    p.drawText(top, Qt::AlignCenter, label);
    p.restore();
}

QSizeF MiniKey::size() const { return { capWidth(miniFont(), label, kSide, 6), kSide }; }

void MiniKey::paint(QPainter& p, QPointF topLeft) const
{
    const bool dark = scheme == ColorScheme::dark;
    const QRectF cap(topLeft, size());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(continuousRoundedRect(cap, 6), dark ? Theme::rgb(255, 255, 255, 0.08) : QColor(Qt::white));
    strokeInside(p, cap, 6, dark ? Theme::rgb(255, 255, 255, 0.12) : Theme::rgb(0, 0, 0, 0.07), 1);
    p.setFont(miniFont());
    p.setPen(Theme::secondaryText(scheme));
    p.drawText(cap, Qt::AlignCenter, label);
    p.restore();
}
