#include "onboarding/WelcomeStep.h"

#include "confetti/ConfettiOverlay.h"
#include "onboarding/BrandHeadline.h"
#include "onboarding/CenteredText.h"
#include "onboarding/SoftGlow.h"
#include "platform/PlatformTexts.h"
#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
constexpr qreal kIconSide = 96;
constexpr qreal kGlowSide = 130;
constexpr qreal kChipHeight = 36;
constexpr qreal kChipPadding = 14;
constexpr qreal kChipSpacing = 12;
constexpr qreal kChipInnerSpacing = 7;

QFont chipLabelFont() { return Theme::font(12.5, QFont::Medium); }

// The feature chips, centred in a row; they take no input.
class WelcomeChips : public QWidget {
public:
    WelcomeChips(const QList<WelcomeStep::Chip>& chips, QWidget* parent)
        : QWidget(parent)
        , m_chips(chips)
    {
        setObjectName(QStringLiteral("welcomeChips"));
        setFixedHeight(int(kChipHeight));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    qreal chipWidth(const WelcomeStep::Chip& chip) const
    {
        return 2 * kChipPadding + Symbols::extent(12) + kChipInnerSpacing
            + QFontMetricsF(chipLabelFont()).horizontalAdvance(chip.label);
    }

    QSize sizeHint() const override
    {
        qreal total = 0;
        for (const auto& chip : m_chips)
            total += chipWidth(chip) + kChipSpacing;
        return { int(std::ceil(std::max<qreal>(0, total - kChipSpacing))), int(kChipHeight) };
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
        const QFontMetricsF metrics(chipLabelFont());
        qreal x = (width() - sizeHint().width()) / 2.0;
        for (const auto& chip : m_chips) {
            const QRectF capsule(x, 0, chipWidth(chip), kChipHeight);
            p.fillPath(continuousCapsule(capsule), dark ? Theme::rgb(255, 255, 255, 0.07) : Theme::rgb(0, 0, 0, 0.04));
            p.setPen(QPen(dark ? Theme::rgb(255, 255, 255, 0.12) : Theme::rgb(0, 0, 0, 0.07), 0.7));
            p.setBrush(Qt::NoBrush);
            p.drawPath(continuousCapsule(capsule.adjusted(0.35, 0.35, -0.35, -0.35)));
            const qreal symbol = Symbols::extent(12);
            Symbols::paint(p, chip.icon, QPointF(x + kChipPadding + symbol / 2, kChipHeight / 2), 12,
                Theme::accentFor(dark ? ColorScheme::dark : ColorScheme::light), QFont::DemiBold);
            p.setFont(chipLabelFont());
            p.setPen(Theme::primaryText(dark ? ColorScheme::dark : ColorScheme::light));
            p.drawText(QPointF(x + kChipPadding + symbol + kChipInnerSpacing,
                           kChipHeight / 2 + (metrics.ascent() - metrics.descent()) / 2),
                chip.label);
            x += capsule.width() + kChipSpacing;
        }
    }

private:
    QList<WelcomeStep::Chip> m_chips;
};
}

QPixmap applicationIconPixmap(int side, qreal dpr)
{
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/icons/lumaforge.svg"));
    return icon.pixmap(QSize(side, side), dpr);
}

QList<WelcomeStep::Chip> WelcomeStep::defaultChips(const DesktopScreenshotKeys& keys)
{
    return { { QStringLiteral("camera.viewfinder"), platformText("⌘⇧4 to snap").arg(keys.text(SystemCapture::selection)) },
        { QStringLiteral("wand.and.sparkles"), tr("One-click polish") },
        { QStringLiteral("square.and.arrow.up"), tr("Copy & post") } };
}

ConfettiOptions WelcomeStep::confettiOptions()
{
    ConfettiOptions o;
    o.num = 60;
    o.confettis = { ConfettiType::allCases().begin(), ConfettiType::allCases().end() };
    o.colors = { Theme::rgb(0xF0, 0x30, 0xB0), Theme::rgb(0xC0, 0x30, 0xE0), Theme::rgb(0x80, 0x20, 0xF0),
        Theme::rgb(0x10, 0x80, 0xF0), QColor(Qt::white) };
    o.confettiSize = 8;
    o.rainHeight = 500;
    o.fadesOut = true;
    o.opacity = 1.0;
    o.openingAngle = 60;
    o.closingAngle = 120;
    o.radius = 340;
    o.repetitions = 1;
    o.repetitionInterval = 1.0;
    o.hapticFeedback = true;
    return o;
}

WelcomeStep::WelcomeStep(
    QList<Chip> chips, QWidget* parent, ConfettiClock clock, ConfettiRandom random, const DesktopScreenshotKeys& keys)
    : QWidget(parent)
    , m_chips(std::move(chips))
    , m_iconGroup(new QWidget(this))
{
    setObjectName(QStringLiteral("welcomeStep"));
    m_iconGroup->setObjectName(QStringLiteral("welcomeIcon"));
    m_iconGroup->setFixedSize(int(kGlowSide), int(kGlowSide));
    m_iconGroup->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, kGlowBleed, 0, 0);
    layout->setSpacing(32);
    layout->addWidget(m_iconGroup, 0, Qt::AlignHCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(12);
    auto* title = new CenteredText(
        tr("You're all set."), BrandHeadline::titleFont(), CenteredText::Style::primary, 0, QWIDGETSIZE_MAX, this);
    title->setObjectName(QStringLiteral("welcomeTitle"));
    texts->addWidget(title);
    auto* thanks = new CenteredText(platformText("Thanks for giving Lumaforge a shot, it really means a lot.\nHit ⌘⇧4 "
                                                 "whenever you're ready. We'll be here.")
                                        .arg(keys.text(SystemCapture::selection)),
        Theme::font(15), CenteredText::Style::secondary, 4, 420, this);
    thanks->setObjectName(QStringLiteral("welcomeText"));
    texts->addWidget(thanks);
    layout->addLayout(texts);
    layout->addWidget(new WelcomeChips(m_chips, this));

    // The burst may fly far beyond this page: it is drawn over the whole window.
    m_cannon = confettiCannon(m_iconGroup, m_confetti, confettiOptions(), nullptr, std::move(clock), std::move(random));
}

void WelcomeStep::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Restoring a minimised window is no new visit.
    if (event->spontaneous())
        return;
    ++m_confetti;
    m_cannon->setTrigger(m_confetti);
}

void WelcomeStep::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF group = m_iconGroup->geometry();
    QPainterPath glow;
    glow.addEllipse(group);
    paintSoftGlow(p, glow, Theme::brandGradient(), 38, 0.55);

    const QRectF icon(group.center() - QPointF(kIconSide / 2, kIconSide / 2), QSizeF(kIconSide, kIconSide));
    // The mark is a rounded square inset by 1/32 of its side: its shadow follows that outline.
    QPainterPath outline;
    const qreal inset = kIconSide / 32;
    outline.addRoundedRect(icon.adjusted(inset, inset, -inset, -inset), kIconSide * 60 / 256, kIconSide * 60 / 256);
    paintShadow(p, outline, Theme::rgb(0x80, 0x20, 0xF0, 0.5), 20, QPointF(0, 10));
    p.drawPixmap(icon, applicationIconPixmap(int(kIconSide), devicePixelRatioF()), QRectF());
}
