#include "onboarding/ProgressDots.h"

#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QPainter>

namespace {
constexpr qreal kHeight = 6;
constexpr qreal kNarrow = 6;
constexpr qreal kWide = 22;
constexpr qreal kSpacing = 7;
}

ProgressDots::ProgressDots(int count, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("progressDots"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int i = 0; i < count; ++i) {
        m_emphasis.append(i == 0 ? 1.0 : 0.0);
        auto animation = std::make_shared<SpringAnimation>(kSpring);
        animation->setStartValue(m_emphasis.last());
        animation->setEndValue(m_emphasis.last());
        connect(animation.get(), &QVariantAnimation::valueChanged, this, [this, i](const QVariant& value) {
            m_emphasis[i] = value.toDouble();
            update();
        });
        m_animations.append(animation);
    }
    setFixedSize(sizeHint());
}

void ProgressDots::setCurrent(int index)
{
    if (index == m_current)
        return;
    m_current = index;
    for (int i = 0; i < m_animations.size(); ++i)
        m_animations[i]->retarget(i == index ? 1.0 : 0.0);
}

QList<qreal> ProgressDots::dotWidths() const
{
    QList<qreal> widths;
    for (qreal e : m_emphasis)
        widths.append(kNarrow + (kWide - kNarrow) * e);
    return widths;
}

QSize ProgressDots::sizeHint() const
{
    const qsizetype n = m_emphasis.size();
    return { int(kWide + (n - 1) * (kNarrow + kSpacing)) + 4, int(kHeight) };
}

void ProgressDots::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor plain = Theme::secondaryText(Theme::colorScheme(this));
    plain.setAlphaF(0.22f);
    const QList<qreal> widths = dotWidths();
    qreal total = (widths.size() - 1) * kSpacing;
    for (qreal w : widths)
        total += w;
    qreal x = (width() - total) / 2;
    for (int i = 0; i < widths.size(); ++i) {
        const QPainterPath capsule = continuousCapsule(QRectF(x, (height() - kHeight) / 2, widths[i], kHeight));
        const qreal e = std::clamp(m_emphasis[i], 0.0, 1.0);
        p.setOpacity(1 - e);
        p.fillPath(capsule, plain);
        p.setOpacity(e);
        p.fillPath(capsule, Theme::accentGradient());
        x += widths[i] + kSpacing;
    }
}
