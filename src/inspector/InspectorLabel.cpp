#include "inspector/InspectorLabel.h"

#include "inspector/InspectorLayout.h"
#include "inspector/InspectorPalette.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

#include <cmath>

InspectorLabel::InspectorLabel(const QString& text, qreal size, QFont::Weight weight, Role role, QWidget* parent)
    : QLabel(text, parent)
    , m_role(role)
{
    setFont(Theme::font(size, weight));
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

InspectorLabel* InspectorLabel::sectionTitle(const QString& text, QWidget* parent)
{
    return new InspectorLabel(text, 12, QFont::Medium, Role::sectionTitle, parent);
}

InspectorLabel* InspectorLabel::caption(const QString& text, QWidget* parent)
{
    auto* label = new InspectorLabel(text, 10.5, QFont::Normal, Role::secondary, parent);
    label->setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

QColor InspectorLabel::color() const
{
    const ColorScheme scheme = Theme::colorScheme(this);
    switch (m_role) {
    case Role::sectionTitle: return InspectorPalette::sectionTitle(scheme);
    case Role::primary: return Theme::primaryText(scheme);
    case Role::secondary: return Theme::secondaryText(scheme);
    case Role::accent: return Theme::accentFor(scheme);
    case Role::warning: return Theme::warningFor(scheme);
    }
    return Theme::primaryText(scheme);
}

void InspectorLabel::setSymbol(const QString& name, qreal size, qreal spacing)
{
    m_symbol = name;
    m_symbolSize = size;
    m_symbolSpacing = spacing;
    updateGeometry();
    update();
}

qreal InspectorLabel::symbolWidth() const
{
    return m_symbol.isEmpty() ? 0.0 : Symbols::extent(m_symbolSize) + m_symbolSpacing;
}

QSize InspectorLabel::sizeHint() const
{
    if (wordWrap())
        return QLabel::sizeHint();
    const QFontMetricsF metrics(font());
    return QSize(int(std::ceil(symbolWidth() + metrics.horizontalAdvance(text()))),
        int(std::ceil(std::max(metrics.height(), m_symbol.isEmpty() ? 0.0 : Symbols::extent(m_symbolSize)))));
}

QSize InspectorLabel::minimumSizeHint() const
{
    if (wordWrap()) // the height comes from heightForWidth
        return QSize(20, QFontMetrics(font()).height());
    // Long texts (a preset name, a brand name) elide instead of widening the panel.
    return QSize(int(std::ceil(symbolWidth())) + 12, sizeHint().height());
}

int InspectorLabel::heightForWidth(int width) const
{
    if (wordWrap()) {
        const int textWidth = std::max(1, width - int(std::ceil(symbolWidth())));
        return QFontMetrics(font()).boundingRect(QRect(0, 0, textWidth, 1 << 20), Qt::TextWordWrap, text()).height();
    }
    return sizeHint().height();
}

void InspectorLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor ink = color();
    QRectF area = contentsRect();
    if (!m_symbol.isEmpty()) {
        const qreal extent = Symbols::extent(m_symbolSize);
        // Symbol and first line share a centre line.
        const qreal lineCentre = wordWrap() ? area.top() + QFontMetricsF(font()).height() / 2.0 : area.center().y();
        Symbols::paint(p, m_symbol, QPointF(area.left() + extent / 2.0, lineCentre), m_symbolSize, ink);
        area.setLeft(area.left() + symbolWidth());
    }
    p.setPen(ink);
    p.setFont(font());
    if (wordWrap()) {
        p.drawText(area, int(alignment()) | Qt::TextWordWrap, text());
        return;
    }
    const QString shown = QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, area.width());
    p.drawText(area, int(Qt::AlignVCenter) | int(alignment() & Qt::AlignHorizontal_Mask), shown);
}

InspectorHairline::InspectorHairline(QWidget* parent, bool inColumn)
    : QWidget(parent)
    , m_inColumn(inColumn)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

void InspectorHairline::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal inset = m_inColumn ? InspectorLayout::bleed() : 0;
    p.fillRect(QRectF(inset, 0, width() - 2 * inset, 0.5), InspectorPalette::hairline(Theme::colorScheme(this)));
}
