#include "inspector/InspectorChip.h"

#include "inspector/InspectorPalette.h"
#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

#include <cmath>

InspectorChip::InspectorChip(const QString& title, const Look& look, QWidget* parent)
    : QAbstractButton(parent)
    , m_look(look)
{
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(look.width > 0 || look.fitsContent ? QSizePolicy::Fixed : QSizePolicy::Expanding,
        QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

InspectorChip::Look InspectorChip::textLook(qreal size, QFont::Weight weight, Ink ink)
{
    Look look;
    look.titleSize = size;
    look.titleWeight = weight;
    look.selectedTitleWeight = weight;
    look.idleFill = Fill::none;
    look.idleBorder = false;
    look.idleInk = ink;
    look.height = std::ceil(size * 1.6);
    look.fitsContent = true;
    return look;
}

void InspectorChip::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void InspectorChip::setTitle(const QString& title)
{
    if (title == text())
        return;
    setText(title);
    updateGeometry();
    update();
}

QFont InspectorChip::titleFont() const
{
    return Theme::font(m_look.titleSize, m_selected ? m_look.selectedTitleWeight : m_look.titleWeight);
}

QSize InspectorChip::sizeHint() const
{
    if (m_look.width > 0)
        return QSize(int(m_look.width), int(m_look.height));
    qreal width = 0;
    if (!m_look.symbol.isEmpty())
        width += Symbols::extent(m_look.symbolSize);
    if (!text().isEmpty()) {
        if (width > 0)
            width += m_look.spacing;
        width += QFontMetricsF(Theme::font(m_look.titleSize, m_look.selectedTitleWeight)).horizontalAdvance(text());
    }
    const qreal padding = m_look.fitsContent ? 0 : 16;
    return QSize(int(std::ceil(width + padding)), int(m_look.height));
}

QSize InspectorChip::minimumSizeHint() const
{
    if (m_look.fitsContent || m_look.width > 0)
        return sizeHint();
    return QSize(10, int(m_look.height));
}

void InspectorChip::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box = rect();
    const QPainterPath shape = continuousRoundedRect(box, m_look.radius);

    switch (m_selected ? m_look.selectedFill : m_look.idleFill) {
    case Fill::none: break;
    case Fill::control: p.fillPath(shape, InspectorPalette::controlFill(scheme)); break;
    case Fill::accent: p.fillPath(shape, Theme::accentFor(scheme)); break;
    case Fill::accentGradient: p.fillPath(shape, QBrush(Theme::accentGradient())); break;
    }
    if (m_selected ? m_look.selectedBorder : m_look.idleBorder) {
        const QColor border = !m_selected && m_look.dimIdleBorder && scheme == ColorScheme::dark
            ? Theme::rgb(255, 255, 255, 0.10)
            : InspectorPalette::controlBorder(scheme);
        p.setPen(QPen(border, 0.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(continuousRoundedRect(box.adjusted(0.25, 0.25, -0.25, -0.25), std::max(0.0, m_look.radius - 0.25)));
    }

    QColor ink;
    if (m_selected && m_look.selectedFill != Fill::none) {
        ink = Qt::white;
    } else {
        switch (m_look.idleInk) {
        case Ink::primary: ink = Theme::primaryText(scheme); break;
        case Ink::sectionTitle: ink = InspectorPalette::sectionTitle(scheme); break;
        case Ink::secondary: ink = Theme::secondaryText(scheme); break;
        case Ink::accent: ink = Theme::accentFor(scheme); break;
        }
    }
    if (!isEnabled())
        ink.setAlphaF(ink.alphaF() * 0.4f);
    if (isDown())
        ink.setAlphaF(ink.alphaF() * 0.7f);

    QFont font = titleFont();
    const qreal symbolExtent = m_look.symbol.isEmpty() ? 0.0 : Symbols::extent(m_look.symbolSize);
    const qreal inner = box.width() - (m_look.fitsContent ? 0 : 8);
    qreal textWidth = text().isEmpty() ? 0.0 : QFontMetricsF(font).horizontalAdvance(text());
    const qreal gap = (symbolExtent > 0 && textWidth > 0) ? m_look.spacing : 0.0;
    if (textWidth > 0 && symbolExtent + gap + textWidth > inner && m_look.minimumScale < 1.0) {
        const qreal scale = std::max(m_look.minimumScale, (inner - symbolExtent - gap) / textWidth);
        font.setPointSizeF(font.pointSizeF() * scale);
        textWidth = QFontMetricsF(font).horizontalAdvance(text());
    }
    const qreal content = symbolExtent + gap + textWidth;
    qreal x = m_look.fitsContent ? box.left() : box.center().x() - std::min(content, inner) / 2.0;
    if (symbolExtent > 0) {
        Symbols::paint(p, m_look.symbol, QPointF(x + symbolExtent / 2.0, box.center().y()), m_look.symbolSize, ink,
            m_look.symbolWeight);
        x += symbolExtent + gap;
    }
    if (textWidth > 0) {
        p.setFont(font);
        p.setPen(ink);
        const QRectF textRect(x, box.top(), std::max(0.0, box.right() - x), box.height());
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(font).elidedText(text(), Qt::ElideRight, textRect.width() + 0.5));
    }
}
