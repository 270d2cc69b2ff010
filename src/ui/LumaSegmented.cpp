#include "ui/LumaSegmented.h"

#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {
constexpr qreal kPadding = 3.0;
constexpr qreal kSpacing = 5.0;
constexpr qreal kSegmentHeight = 26.0;
constexpr qreal kOuterRadius = 9.0;
constexpr qreal kSegmentRadius = 7.0;
constexpr qreal kLabelMargin = 8.0;

QFont labelFont(bool selected) { return Theme::font(11.5, selected ? QFont::DemiBold : QFont::Normal); }
}

LumaSegmented::LumaSegmented(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

void LumaSegmented::setOptions(const QList<Option>& options)
{
    m_options = options;
    m_pressed = -1;
    updateGeometry();
    update();
}

void LumaSegmented::setSelection(const QVariant& value)
{
    const bool changed = !(value == m_selection) || value.metaType() != m_selection.metaType();
    m_selection = value;
    if (!changed)
        return;
    update();
    Q_EMIT selectionChanged(value);
}

bool LumaSegmented::isSelected(int index) const
{
    return index >= 0 && index < m_options.size() && m_selection.isValid() && m_options[index].value == m_selection;
}

QRectF LumaSegmented::segmentRect(int index) const
{
    const int n = int(m_options.size());
    if (index < 0 || index >= n)
        return {};
    const QRectF inner = QRectF(rect()).adjusted(kPadding, kPadding, -kPadding, -kPadding);
    const qreal width = std::max<qreal>(0.0, (inner.width() - kSpacing * (n - 1)) / n);
    const qreal top = inner.center().y() - kSegmentHeight / 2.0;
    return QRectF(inner.left() + index * (width + kSpacing), top, width, kSegmentHeight);
}

int LumaSegmented::segmentAt(QPointF pos) const
{
    for (int i = 0; i < m_options.size(); ++i) {
        if (segmentRect(i).contains(pos))
            return i;
    }
    return -1;
}

QSize LumaSegmented::sizeHint() const
{
    // Equal shares: as wide as the widest label needs, times the count.
    qreal widest = 0.0;
    const QFontMetricsF metrics(labelFont(true));
    for (const Option& option : m_options)
        widest = std::max(widest, metrics.horizontalAdvance(option.label));
    const qsizetype n = std::max<qsizetype>(1, m_options.size());
    const qreal width = 2 * kPadding + n * (widest + 2 * kLabelMargin) + (n - 1) * kSpacing;
    return QSize(int(std::ceil(width)), int(kSegmentHeight + 2 * kPadding));
}

QSize LumaSegmented::minimumSizeHint() const
{
    return QSize(int(2 * kPadding + std::max<qsizetype>(0, m_options.size() - 1) * kSpacing),
        int(kSegmentHeight + 2 * kPadding));
}

void LumaSegmented::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const bool dark = scheme == ColorScheme::dark;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillPath(continuousRoundedRect(rect(), kOuterRadius),
        dark ? Theme::rgb(0, 0, 0, 0.22) : Theme::rgb(8, 20, 55, 0.06));

    for (int i = 0; i < m_options.size(); ++i) {
        const QRectF segment = segmentRect(i);
        const bool selected = isSelected(i);
        if (selected)
            p.fillPath(continuousRoundedRect(segment, kSegmentRadius), Theme::accentGradient());
        const QFont font = labelFont(selected);
        p.setFont(font);
        p.setPen(selected ? QColor(Qt::white) : Theme::secondaryText(scheme));
        const QString label = QFontMetricsF(font).elidedText(m_options[i].label, Qt::ElideRight, segment.width());
        p.drawText(segment, Qt::AlignCenter, label);
    }
}

void LumaSegmented::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton ? segmentAt(event->position()) : -1;
    if (m_pressed < 0)
        event->ignore();
}

void LumaSegmented::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = std::exchange(m_pressed, -1);
    if (event->button() != Qt::LeftButton || pressed < 0 || segmentAt(event->position()) != pressed) {
        event->ignore();
        return;
    }
    const QVariant value = m_options[pressed].value;
    setSelection(value);
    Q_EMIT activated(value);
}
