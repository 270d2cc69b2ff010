#include "onboarding/OnboardingView.h"

#include "onboarding/AnimatedDemoStep.h"
#include "onboarding/CaptureStep.h"
#include "onboarding/OnboardingButtons.h"
#include "onboarding/ProgressDots.h"
#include "onboarding/WelcomeStep.h"
#include "ui/Spring.h"
#include "ui/Theme.h"

#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QVBoxLayout>

namespace {
constexpr Spring kPageSpring { 0.45, 0.86 };
constexpr int kHeaderHeight = 26 + 38 + 8;
constexpr int kFooterTop = 8;
constexpr int kFooterBottom = 42;
constexpr int kButtonHeight = 44;

// The bottom bar: Back on the left, the default button on the right, the dots centred over both.
// It paints the default button's shadow, which falls outside the button.
class OnboardingFooter : public QWidget {
public:
    OnboardingFooter(OnboardingBackButton* back, OnboardingPrimaryButton* primary, ProgressDots* dots, QWidget* parent)
        : QWidget(parent)
        , m_back(back)
        , m_primary(primary)
        , m_dots(dots)
    {
        back->setParent(this);
        primary->setParent(this);
        dots->setParent(this);
        setFixedHeight(kFooterTop + kButtonHeight + kFooterBottom);
    }

    void relayout()
    {
        const int side = OnboardingView::kSidePadding;
        const QSize backSize = m_back->sizeHint();
        m_back->setGeometry(side, kFooterTop, backSize.width(), kButtonHeight);
        const QSize primarySize = m_primary->sizeHint();
        m_primary->setGeometry(width() - side - primarySize.width(), kFooterTop, primarySize.width(), kButtonHeight);
        m_dots->move((width() - m_dots->width()) / 2, kFooterTop + (kButtonHeight - m_dots->height()) / 2);
        update();
    }

protected:
    void resizeEvent(QResizeEvent*) override { relayout(); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        m_primary->paintShadow(p, m_primary->pos());
    }

private:
    OnboardingBackButton* m_back;
    OnboardingPrimaryButton* m_primary;
    ProgressDots* m_dots;
};
}

QImage paintOnboardingBackdrop(QSize pixels, qreal dpr, bool dark)
{
    // Painted at 16 bits per channel and dithered down: the faint glows would band in 8 bits.
    QImage deep(pixels, QImage::Format_RGBA64_Premultiplied);
    {
        QPainter p(&deep);
        const QRectF r(QPointF(0, 0), QSizeF(pixels));
        QLinearGradient base(r.topLeft(), r.bottomLeft());
        base.setColorAt(0, dark ? Theme::rgb(0x10, 0x0D, 0x14) : Theme::rgb(0xFC, 0xF9, 0xFE));
        base.setColorAt(1, dark ? Theme::rgb(0x18, 0x12, 0x1F) : Theme::rgb(0xF0, 0xE9, 0xF8));
        p.fillRect(r, base);
        const auto glow = [&](QPointF unit, qreal radius, const QColor& inner) {
            const QPointF center(r.width() * unit.x(), r.height() * unit.y());
            QRadialGradient gradient(center, radius * dpr);
            gradient.setColorAt(0, inner);
            QColor clear = inner;
            clear.setAlphaF(0);
            gradient.setColorAt(1, clear);
            p.fillRect(r, gradient);
        };
        glow({ 0.18, 0 }, 520, Theme::rgb(0xF0, 0x30, 0xB0, dark ? 0.20 : 0.13));
        glow({ 0.95, 1.0 }, 540, Theme::rgb(0x10, 0x80, 0xF0, dark ? 0.18 : 0.10));
    }
    static constexpr int kBayer[4][4] = { { 0, 8, 2, 10 }, { 12, 4, 14, 6 }, { 3, 11, 1, 9 }, { 15, 7, 13, 5 } };
    QImage out(pixels, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgba64* src = reinterpret_cast<const QRgba64*>(deep.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            // 257 steps of 16 bits make one of 8; the threshold spreads the remainder evenly.
            const int threshold = kBayer[y & 3][x & 3] * 257 / 16;
            const auto down = [threshold](int v) { return std::min(255, (v + threshold) / 257); };
            dst[x] = qRgb(down(src[x].red()), down(src[x].green()), down(src[x].blue()));
        }
    }
    out.setDevicePixelRatio(dpr);
    return out;
}

std::optional<OnboardingView::Step> OnboardingView::nextStep(Step step)
{
    const int next = rawValue(step) + 1;
    if (next >= int(allSteps.size()))
        return std::nullopt;
    return allSteps[size_t(next)];
}

std::optional<OnboardingView::Step> OnboardingView::previousStep(Step step)
{
    const int previous = rawValue(step) - 1;
    if (previous < 0)
        return std::nullopt;
    return allSteps[size_t(previous)];
}

OnboardingView::OnboardingView(std::function<void()> complete, QWidget* parent, const DesktopScreenshotKeys& keys)
    : QWidget(parent)
    , m_complete(std::move(complete))
    , m_transition(new SpringAnimation(kPageSpring, this))
    , m_pageArea(new QWidget(this))
    , m_primary(new OnboardingPrimaryButton)
    , m_back(new OnboardingBackButton)
    , m_dots(new ProgressDots(int(allSteps.size())))
    , m_keys(keys)
{
    setObjectName(QStringLiteral("onboarding"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setFocusPolicy(Qt::StrongFocus);
    m_pageArea->setObjectName(QStringLiteral("onboardingPageArea"));
    m_pageArea->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_footer = new OnboardingFooter(m_back, m_primary, m_dots, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addSpacing(kHeaderHeight);
    layout->addStretch(1);
    layout->addWidget(m_pageArea);
    layout->addStretch(1);
    layout->addWidget(m_footer);
    m_pageArea->installEventFilter(this);

    connect(m_primary, &QAbstractButton::clicked, this, &OnboardingView::advance);
    connect(m_back, &QAbstractButton::clicked, this, [this] {
        if (auto previous = previousStep(m_step))
            goBack(*previous);
    });
    connect(m_transition, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toDouble();
        layoutPages();
    });
    connect(m_transition, &QAbstractAnimation::finished, this, &OnboardingView::finishTransition);
    connect(&ColorSchemeProvider::shared(), &ColorSchemeProvider::changed, this, [this] {
        update();
        for (QWidget* child : findChildren<QWidget*>())
            child->update();
    });

    m_page = makePage(m_step);
    m_page->show();
    updateFooter();
}

OnboardingView::~OnboardingView() { m_transition->stop(); }

QWidget* OnboardingView::makePage(Step step)
{
    QWidget* page = nullptr;
    switch (step) {
    case Step::capture:
        page = new CaptureStep(m_keys, this);
        break;
    case Step::animatedDemo:
        page = new AnimatedDemoStep(this);
        break;
    case Step::tryItNow:
        page = new WelcomeStep(WelcomeStep::defaultChips(m_keys), this, m_confettiClock, defaultConfettiRandom(), m_keys);
        break;
    }
    page->hide();
    return page;
}

void OnboardingView::advance()
{
    if (auto next = nextStep(m_step)) {
        m_goingForward = true;
        setStep(*next);
        return;
    }
    m_isComplete = true;
    if (m_complete)
        m_complete();
}

void OnboardingView::goBack(Step previous)
{
    m_goingForward = false;
    setStep(previous);
}

void OnboardingView::setStep(Step step)
{
    if (step == m_step)
        return;
    finishTransition();
    m_step = step;
    m_leaving = m_page;
    m_page = makePage(step);
    for (QWidget* page : { m_leaving.data(), m_page.data() }) {
        if (page)
            page->setGraphicsEffect(new QGraphicsOpacityEffect(page));
    }
    m_progress = 0;
    layoutPages();
    m_page->show();
    updateFooter();
    m_transition->stop();
    m_transition->setStartValue(0.0);
    m_transition->setEndValue(1.0);
    m_transition->start();
    Q_EMIT stepChanged(step);
}

bool OnboardingView::isTransitioning() const { return m_leaving != nullptr; }

void OnboardingView::finishTransition()
{
    if (m_transition->state() == QAbstractAnimation::Running)
        m_transition->stop();
    if (m_leaving)
        delete m_leaving.data();
    if (m_page)
        m_page->setGraphicsEffect(nullptr);
    m_progress = 1;
    layoutPages();
}

void OnboardingView::updateFooter()
{
    m_back->setVisible(previousStep(m_step).has_value());
    m_primary->setText(m_step == Step::tryItNow ? tr("Start snapping") : tr("Continue"));
    m_dots->setCurrent(rawValue(m_step));
    static_cast<OnboardingFooter*>(m_footer)->relayout();
}

int OnboardingView::pageWidth() const { return std::max(0, std::min(kMaxPageWidth, width() - 2 * kSidePadding)); }

int OnboardingView::pageContentHeight(QWidget* page, int width) const
{
    const QMargins margins = page->contentsMargins();
    const int total = page->hasHeightForWidth() ? page->heightForWidth(width) : page->sizeHint().height();
    return std::max(0, total - margins.top() - margins.bottom());
}

QRect OnboardingView::pageFrame() const
{
    if (!m_page)
        return {};
    return m_page->geometry().marginsRemoved(m_page->contentsMargins());
}

void OnboardingView::layoutPages()
{
    if (!m_page)
        return;
    const int w = pageWidth();
    const int height = pageContentHeight(m_page, w);
    if (m_pageArea->height() != height || m_pageArea->minimumHeight() != height) {
        // The layout moves the page area, and the area's move event lays the pages out again.
        m_pageArea->setFixedHeight(height);
    }
    const int x = (width() - w) / 2;
    // A page travels its own padded width: in from the trailing edge going forward, out
    // towards the leading edge; the reverse going back.
    const qreal shift = w + 2 * kSidePadding;
    const qreal direction = m_goingForward ? 1 : -1;
    const auto place = [&](QWidget* page, qreal offset, qreal opacity) {
        const int h = pageContentHeight(page, w);
        const int y = m_pageArea->y() + (m_pageArea->height() - h) / 2;
        page->setGeometry(QRect(x + qRound(offset), y, w, h).marginsAdded(page->contentsMargins()));
        if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(page->graphicsEffect()))
            effect->setOpacity(std::clamp(opacity, 0.0, 1.0));
    };
    const qreal p = m_progress;
    place(m_page, direction * shift * (1 - p), p);
    if (m_leaving)
        place(m_leaving, -direction * shift * p, 1 - p);
}

bool OnboardingView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pageArea && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        layoutPages();
    return QWidget::eventFilter(watched, event);
}

void OnboardingView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPages();
}

void OnboardingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The default button's key works at once, wherever the window had its focus.
    setFocus(Qt::OtherFocusReason);
}

void OnboardingView::keyPressEvent(QKeyEvent* event)
{
    // Return is the default button's key on every page; there is no key for Back.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_primary->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OnboardingView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
    const QSize pixels = size() * devicePixelRatioF();
    if (m_backdrop.size() != pixels || m_backdropDark != dark) {
        m_backdrop = paintOnboardingBackdrop(pixels, devicePixelRatioF(), dark);
        m_backdropDark = dark;
    }
    p.drawImage(QPointF(0, 0), m_backdrop);

    // Header: the icon and the product name.
    const QRectF icon(30, 26, 38, 38);
    p.drawPixmap(icon, applicationIconPixmap(38, devicePixelRatioF()), QRectF());
    const QFont font = Theme::font(17, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    p.setFont(font);
    p.setPen(Theme::primaryText(dark ? ColorScheme::dark : ColorScheme::light));
    p.drawText(QPointF(icon.right() + 11, icon.center().y() + (metrics.ascent() - metrics.descent()) / 2),
        QStringLiteral("Lumaforge"));
}
