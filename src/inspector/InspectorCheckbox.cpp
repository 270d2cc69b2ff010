#include "inspector/InspectorCheckbox.h"

#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr qreal kBox = 18;
constexpr qreal kBoxRadius = 5;
constexpr qreal kSymbolSpacing = 6;
}

InspectorCheckbox::InspectorCheckbox(const QString& label, qreal labelSize, QWidget* parent)
    : QAbstractButton(parent)
    , m_labelSize(labelSize)
{
    setText(label);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

void InspectorCheckbox::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    update();
}

void InspectorCheckbox::setSymbol(const QString& name, qreal size)
{
    m_symbol = name;
    m_symbolSize = size;
    updateGeometry();
    update();
}

void InspectorCheckbox::setTrailingText(const QString& text)
{
    if (text == m_trailing)
        return;
    m_trailing = text;
    updateGeometry();
    update();
}

void InspectorCheckbox::setSpacing(qreal spacing)
{
    m_spacing = spacing;
    updateGeometry();
    update();
}

QSize InspectorCheckbox::sizeHint() const
{
    qreal width = kBox + m_spacing;
    if (!m_symbol.isEmpty())
        width += Symbols::extent(m_symbolSize) + kSymbolSpacing;
    width += QFontMetricsF(Theme::font(m_labelSize)).horizontalAdvance(text());
    if (!m_trailing.isEmpty())
        width += m_spacing + QFontMetricsF(Theme::font(11)).horizontalAdvance(m_trailing);
    const qreal height = std::max(kBox + 2, QFontMetricsF(Theme::font(m_labelSize)).height());
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

QSize InspectorCheckbox::minimumSizeHint() const
{
    return QSize(int(kBox + m_spacing + 20), sizeHint().height());
}

void InspectorCheckbox::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const bool dark = scheme == ColorScheme::dark;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal midY = height() / 2.0;

    const QRectF box(0, midY - kBox / 2.0, kBox, kBox);
    if (m_on) {
        p.fillPath(continuousRoundedRect(box, kBoxRadius), Theme::accentFor(scheme));
        Symbols::paint(p, u"checkmark", box.center(), 11, Qt::white, QFont::Bold);
    } else {
        p.fillPath(continuousRoundedRect(box, kBoxRadius), Theme::rgb(255, 255, 255, dark ? 0.1 : 0.9));
        p.setPen(QPen(Theme::rgb(0, 0, 0, 0.18), 0.5));
        p.drawPath(continuousRoundedRect(box.adjusted(0.25, 0.25, -0.25, -0.25), kBoxRadius - 0.25));
    }

    QColor ink = Theme::primaryText(scheme);
    if (isDown())
        ink.setAlphaF(0.7f);
    qreal x = kBox + m_spacing;
    if (!m_symbol.isEmpty()) {
        const qreal extent = Symbols::extent(m_symbolSize);
        Symbols::paint(p, m_symbol, QPointF(x + extent / 2.0, midY), m_symbolSize, ink);
        x += extent + kSymbolSpacing;
    }
    qreal right = width();
    if (!m_trailing.isEmpty()) {
        const QFont countFont = Theme::font(11);
        p.setFont(countFont);
        p.setPen(Theme::secondaryText(scheme));
        const qreal countWidth = QFontMetricsF(countFont).horizontalAdvance(m_trailing);
        p.drawText(QRectF(right - countWidth - 1, 0, countWidth + 1, height()), Qt::AlignRight | Qt::AlignVCenter,
            m_trailing);
        right -= countWidth + m_spacing;
    }
    const QFont labelFont = Theme::font(m_labelSize);
    p.setFont(labelFont);
    p.setPen(ink);
    const QRectF textRect(x, 0, std::max(0.0, right - x), height());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetricsF(labelFont).elidedText(text(), Qt::ElideRight, textRect.width() + 0.5));
}
