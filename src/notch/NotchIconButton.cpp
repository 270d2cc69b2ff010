#include "notch/NotchIconButton.h"

#include "render/ContinuousCorners.h"
#include "ui/PressableButtonStyle.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr qreal kIconSize = 16;
constexpr qreal kChipSymbolSize = 13;
constexpr qreal kChipTextSize = 13.5;
constexpr qreal kChipPadX = 13;
constexpr qreal kChipSpacing = 5;
constexpr int kChipHeight = 30;

QString editText() { return QCoreApplication::translate("NotchPanelView", "Edit"); }
}

NotchIconButton::NotchIconButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(kSide, kSide);
    PressableButtonStyle::apply(this);
}

void NotchIconButton::setFace(const QString& symbol, std::optional<QColor> tint, bool active)
{
    m_symbol = symbol;
    m_tint = tint;
    m_active = active;
    update();
}

QColor NotchIconButton::symbolColor() const
{
    if (m_tint)
        return *m_tint;
    return m_active ? QColor(Qt::white) : Theme::rgb(255, 255, 255, 0.82);
}

void NotchIconButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(faceOpacity());
    const QPointF centre = QRectF(rect()).center();
    // A faint shadow just under the glyph lifts it off the card.
    Symbols::paint(p, m_symbol, centre + QPointF(0, 1), kIconSize, Theme::rgb(0, 0, 0, 0.2), QFont::DemiBold);
    Symbols::paint(p, m_symbol, centre, kIconSize, symbolColor(), QFont::DemiBold);
}

NotchEditChip::NotchEditChip(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    PressableButtonStyle::apply(this);
}

QSize NotchEditChip::sizeHint() const
{
    const qreal text = QFontMetricsF(Theme::font(kChipTextSize, QFont::DemiBold)).horizontalAdvance(editText());
    const qreal width = kChipPadX + Symbols::extent(kChipSymbolSize) + kChipSpacing + text + kChipPadX;
    return { int(std::ceil(width)), kChipHeight };
}

void NotchEditChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF capsule = QRectF(rect());
    p.fillPath(continuousCapsule(capsule), Theme::rgb(255, 255, 255, 0.10));
    p.setPen(QPen(Theme::rgb(255, 255, 255, 0.16), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousCapsule(capsule.adjusted(0.25, 0.25, -0.25, -0.25)));

    const qreal symbol = Symbols::extent(kChipSymbolSize);
    Symbols::paint(p, u"slider.horizontal.3", QPointF(kChipPadX + symbol / 2, capsule.center().y()), kChipSymbolSize,
        Qt::white, QFont::DemiBold);
    p.setFont(Theme::font(kChipTextSize, QFont::DemiBold));
    p.setPen(Qt::white);
    p.drawText(QRectF(kChipPadX + symbol + kChipSpacing, 0, capsule.width(), capsule.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, editText());
}
