#include "editor_window/EmptyStateControls.h"

#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

void AppearEffect::setProgress(double t)
{
    m_t = t;
    update();
}

void AppearEffect::draw(QPainter* painter)
{
    if (m_t >= 1) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset);
    const QRectF box(offset, pixmap.deviceIndependentSize());
    const double s = 0.97 + 0.03 * m_t;
    painter->save();
    painter->setOpacity(std::clamp(m_t, 0.0, 1.0));
    painter->translate(box.center());
    painter->scale(s, s);
    painter->translate(-box.center());
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}

CardButton::CardButton(Look look, const QString& symbol, const QString& title, QWidget* parent)
    : QAbstractButton(parent)
    , m_look(look)
    , m_symbol(symbol)
{
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CardButton::sizeHint() const
{
    if (m_look == Look::notice)
        return { int(QFontMetricsF(Theme::font(11, QFont::Medium)).horizontalAdvance(text())) + 20, 22 };
    const qreal w = QFontMetricsF(Theme::font(13, QFont::DemiBold)).horizontalAdvance(text()) + Symbols::extent(13) + 6 + 36;
    return { int(std::ceil(w)), 38 };
}

void CardButton::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const bool dark = scheme == ColorScheme::dark;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect());
    QColor ink = Theme::primaryText(scheme);
    switch (m_look) {
    case Look::primary:
        p.fillPath(continuousRoundedRect(r, 10), Theme::accentFor(scheme));
        ink = Qt::white;
        break;
    case Look::secondary:
        p.fillPath(continuousRoundedRect(r, 10), dark ? Theme::rgb(255, 255, 255, 0.08) : QColor(Qt::white));
        p.setPen(QPen(dark ? Theme::rgb(255, 255, 255, 0.10) : Theme::rgb(0, 0, 0, 0.10), 0.5));
        p.drawPath(continuousRoundedRect(r.adjusted(0.25, 0.25, -0.25, -0.25), 9.75));
        break;
    case Look::notice:
        p.fillPath(continuousRoundedRect(r, 6), Theme::accentFor(scheme));
        p.setPen(Qt::white);
        p.setFont(Theme::font(11, QFont::Medium));
        p.drawText(r, Qt::AlignCenter, text());
        return;
    }
    if (isDown())
        p.fillPath(continuousRoundedRect(r, 10), Theme::rgb(0, 0, 0, 0.08));
    const QFont font = Theme::font(13, QFont::DemiBold);
    const qreal tw = QFontMetricsF(font).horizontalAdvance(text());
    const qreal sw = Symbols::extent(13);
    const qreal x = r.center().x() - (sw + 6 + tw) / 2;
    Symbols::paint(p, m_symbol, QPointF(x + sw / 2, r.center().y()), 13, ink, QFont::DemiBold);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(x + sw + 6, 0, tw + 2, r.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

GearButton::GearButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("settings"));
    setFixedSize(26, 26);
    setCursor(Qt::PointingHandCursor);
}

void GearButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = Theme::primaryText(Theme::colorScheme(this));
    fill.setAlphaF(0.06f);
    p.fillPath(continuousRoundedRect(QRectF(rect()), 7), fill);
    Symbols::paint(p, u"gearshape.fill", QRectF(rect()).center(), 12, Theme::secondaryText(Theme::colorScheme(this)));
}
