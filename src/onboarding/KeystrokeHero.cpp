#include "onboarding/KeystrokeHero.h"

#include "onboarding/KeyCap.h"
#include "onboarding/SoftGlow.h"
#include "platform/PlatformTexts.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRadialGradient>

namespace {
constexpr qreal kPadding = 46;
constexpr qreal kGlowWidth = 320;
constexpr qreal kGlowHeight = 160;
constexpr qreal kRowSpacing = 16;
constexpr qreal kStackSpacing = 24;
constexpr qreal kPlusSize = 13;

QFont captionFont() { return Theme::font(12.5); }

QColor tertiaryText(ColorScheme scheme)
{
    QColor color = Theme::secondaryText(scheme);
    color.setAlphaF(0.6f);
    return color;
}
}

KeystrokeHero::KeystrokeHero(const DesktopScreenshotKeys& keys, QWidget* parent)
    : QWidget(parent)
    , m_keys(keyCapLabels(keys.text(SystemCapture::selection)))
    , m_miniKeys(keyCapLabels(keys.text(SystemCapture::options)))
{
    setObjectName(QStringLiteral("keystrokeHero"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString KeystrokeHero::miniCaption() const { return tr("Window or whole screen?"); }

QSize KeystrokeHero::sizeHint() const
{
    return { int(kGlowWidth), int(kPadding + kGlowHeight + kStackSpacing + MiniKey::kSide + kPadding) };
}

QList<QRectF> KeystrokeHero::keyRects() const
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const qreal plus = Symbols::extent(kPlusSize);
    qreal total = 0;
    QList<QSizeF> sizes;
    for (const QString& key : m_keys) {
        sizes.append(PremiumKey { key, scheme }.size());
        total += sizes.last().width();
    }
    total += (m_keys.size() - 1) * (2 * kRowSpacing + plus);
    const qreal rowCenterY = kPadding + kGlowHeight / 2;
    qreal x = (width() - total) / 2;
    QList<QRectF> rects;
    for (const QSizeF& size : sizes) {
        rects.append(QRectF(QPointF(x, rowCenterY - size.height() / 2), size));
        x += size.width() + 2 * kRowSpacing + plus;
    }
    return rects;
}

void KeystrokeHero::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const ColorScheme scheme = Theme::colorScheme(this);
    const qreal rowCenterY = kPadding + kGlowHeight / 2;

    // The glow: a radial fade clipped to its frame, then softened.
    const QRectF glowFrame(width() / 2.0 - kGlowWidth / 2, kPadding, kGlowWidth, kGlowHeight);
    QRadialGradient glow(glowFrame.center(), 130);
    glow.setColorAt(0, Theme::rgb(0xF0, 0x30, 0xB0, scheme == ColorScheme::dark ? 0.22 : 0.14));
    glow.setColorAt(1, Theme::rgb(0xF0, 0x30, 0xB0, 0));
    QPainterPath glowShape;
    glowShape.addRect(glowFrame);
    paintSoftGlow(p, glowShape, glow, 18);

    const QList<QRectF> rects = keyRects();
    for (int i = 0; i < rects.size(); ++i) {
        PremiumKey { m_keys.at(i), scheme }.paint(p, rects.at(i).topLeft());
        if (i + 1 < rects.size()) {
            const qreal plusCenter = rects.at(i).right() + kRowSpacing + Symbols::extent(kPlusSize) / 2;
            Symbols::paint(p, u"plus", QPointF(plusCenter, rowCenterY), kPlusSize, tertiaryText(scheme), QFont::Bold);
        }
    }

    // The caption and the small caps, centred as one row.
    const QFontMetricsF metrics(captionFont());
    const QString caption = miniCaption();
    qreal total = metrics.horizontalAdvance(caption) + 8;
    for (const QString& key : m_miniKeys)
        total += MiniKey { key, scheme }.size().width();
    total += (m_miniKeys.size() - 1) * 5;
    const qreal miniTop = kPadding + kGlowHeight + kStackSpacing;
    qreal x = (width() - total) / 2;
    p.setFont(captionFont());
    p.setPen(Theme::secondaryText(scheme));
    p.drawText(QPointF(x, miniTop + MiniKey::kSide / 2 + (metrics.ascent() - metrics.descent()) / 2), caption);
    x += metrics.horizontalAdvance(caption) + 8;
    for (const QString& key : m_miniKeys) {
        const MiniKey cap { key, scheme };
        cap.paint(p, QPointF(x, miniTop));
        x += cap.size().width() + 5;
    }
}
