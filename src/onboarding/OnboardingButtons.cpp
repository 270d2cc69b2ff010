#include "onboarding/OnboardingButtons.h"

#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr qreal kHeight = 44;
constexpr qreal kSymbolGap = 7;

QFont primaryFont() { return Theme::font(14, QFont::DemiBold); }

QFont backFont() { return Theme::font(14, QFont::Medium); }

// Text and symbol centred together in `rect`, the symbol before or after the text.
void paintLabel(QPainter& p, const QRectF& rect, const QString& text, const QFont& font, QStringView symbol,
    bool symbolFirst, const QColor& color, QFont::Weight symbolWeight)
{
    const QFontMetricsF metrics(font);
    const qreal symbolSize = font.pointSizeF() * 96.0 / 72.0;
    const qreal extent = Symbols::extent(symbolSize);
    const qreal textWidth = metrics.horizontalAdvance(text);
    const qreal total = textWidth + kSymbolGap + extent;
    qreal x = rect.center().x() - total / 2;
    const qreal baseline = rect.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    p.setFont(font);
    p.setPen(color);
    if (symbolFirst) {
        Symbols::paint(p, symbol, QPointF(x + extent / 2, rect.center().y()), symbolSize, color, symbolWeight);
        p.drawText(QPointF(x + extent + kSymbolGap, baseline), text);
    } else {
        p.drawText(QPointF(x, baseline), text);
        Symbols::paint(p, symbol, QPointF(x + textWidth + kSymbolGap + extent / 2, rect.center().y()), symbolSize,
            color, symbolWeight);
    }
}

qreal labelWidth(const QString& text, const QFont& font)
{
    return QFontMetricsF(font).horizontalAdvance(text) + kSymbolGap + Symbols::extent(font.pointSizeF() * 96.0 / 72.0);
}
}

OnboardingPrimaryButton::OnboardingPrimaryButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("onboardingPrimary"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize OnboardingPrimaryButton::sizeHint() const
{
    return { int(std::ceil(labelWidth(text(), primaryFont()) + 48)), int(kHeight) };
}

void OnboardingPrimaryButton::paintShadow(QPainter& painter, QPointF topLeft) const
{
    ::paintShadow(
        painter, continuousCapsule(QRectF(topLeft, size())), Theme::rgb(0x80, 0x20, 0xF0, 0.4), 14, QPointF(0, 6));
}

void OnboardingPrimaryButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (isDown())
        p.setOpacity(0.85);
    p.fillPath(continuousCapsule(rect()), Theme::accentGradient());
    paintLabel(p, rect(), text(), primaryFont(), u"arrow.right", false, Qt::white, QFont::DemiBold);
}

OnboardingBackButton::OnboardingBackButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("onboardingBack"));
    setText(tr("Back"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize OnboardingBackButton::sizeHint() const
{
    return { int(std::ceil(labelWidth(text(), backFont()))) + 8, int(kHeight) };
}

void OnboardingBackButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (isDown())
        p.setOpacity(0.6);
    paintLabel(p, rect(), text(), backFont(), u"chevron.left", true, Theme::secondaryText(Theme::colorScheme(this)),
        QFont::Medium);
}
