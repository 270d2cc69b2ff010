#include "inspector/InspectorPresetsButton.h"

#include "inspector/InspectorPalette.h"
#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

namespace {
constexpr qreal kHeight = 28;
constexpr qreal kPadding = 11;
constexpr qreal kChevronSize = 9;
QFont titleFont() { return Theme::font(12.5, QFont::Medium); }
}

InspectorPresetsButton::InspectorPresetsButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

QSize InspectorPresetsButton::sizeHint() const
{
    return QSize(200, int(kHeight));
}

QSize InspectorPresetsButton::minimumSizeHint() const
{
    return QSize(int(2 * kPadding + Symbols::extent(kChevronSize) + 24), int(kHeight));
}

void InspectorPresetsButton::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box = rect();
    p.fillPath(continuousRoundedRect(box, 8), InspectorPalette::controlFill(scheme));
    p.setPen(QPen(InspectorPalette::controlBorder(scheme), 0.5));
    p.drawPath(continuousRoundedRect(box.adjusted(0.25, 0.25, -0.25, -0.25), 7.75));

    QColor ink = Theme::primaryText(scheme);
    if (isDown())
        ink.setAlphaF(0.7f);
    const qreal chevron = Symbols::extent(kChevronSize);
    Symbols::paint(p, u"chevron.up.chevron.down", QPointF(box.right() - kPadding - chevron / 2, box.center().y()),
        kChevronSize, ink);
    p.setFont(titleFont());
    p.setPen(ink);
    const QRectF textRect(box.left() + kPadding, box.top(), box.width() - 2 * kPadding - chevron - 6, box.height());
    // A name may hold line breaks; the label shows one line.
    QString title = text();
    title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    title.replace(QLatin1Char('\r'), QLatin1Char(' '));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetricsF(titleFont()).elidedText(title, Qt::ElideRight, textRect.width()));
}
