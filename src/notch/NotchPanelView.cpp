#include "notch/NotchPanelView.h"

#include "notch/NotchController.h"
#include "notch/NotchPanel.h"
#include "notch/NotchIconButton.h"
#include "notch/NotchRedactionPill.h"
#include "notch/NotchRevealEffect.h"
#include "notch/NotchShareCircle.h"
#include "notch/NotchStyleStrip.h"
#include "notch/NotchThumbnail.h"
#include "ui/NotchShape.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
const char* kContext = "NotchPanelView";

constexpr int kHeaderSpacing = 16;
constexpr int kMinSpacer = 8;
constexpr int kButtonSpacing = 14;
constexpr int kStatusSpacing = 4;
constexpr int kDetailSpacing = 8;
constexpr int kShareRowTop = 12;
constexpr int kShareSpacing = 10;
constexpr int kDetailOffsetY = 36;
constexpr qreal kCardStartScale = 0.3;
constexpr qreal kWarningSymbolSize = 11;
constexpr qreal kWarningSymbolSpacing = 4;

QString tr(const char* text) { return QCoreApplication::translate(kContext, text); }

QFont titleFont() { return Theme::font(18, QFont::DemiBold); }
QFont detailFont() { return Theme::font(13.5, QFont::Medium); }
QFont messageFont() { return Theme::font(12, QFont::Medium); }

// The discard button's red.
QColor discardTint() { return Theme::rgb(255, 105, 97); }

// Hover of a plain container, reported to a handler.
class HoverArea final : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void(bool)> onHover;

protected:
    void enterEvent(QEnterEvent*) override
    {
        if (onHover)
            onHover(true);
    }
    void leaveEvent(QEvent*) override
    {
        if (onHover)
            onHover(false);
    }
};

QRegion regionOf(const QPainterPath& path)
{
    return QRegion(path.toFillPolygon().toPolygon());
}
}

// ---- card ----------------------------------------------------------------------------------------

NotchCard::NotchCard(NotchController* controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
{
    Theme::setColorScheme(this, ColorScheme::dark);
    m_thumbnail = new NotchThumbnail(controller, this);
    m_toggle = new NotchIconButton(this);
    m_edit = new NotchEditChip(this);
    m_edit->setToolTip(tr("Open in the full editor"));
    m_discard = new NotchIconButton(this);
    m_discard->setFace(QStringLiteral("trash"), discardTint(), false);
    m_discard->setToolTip(tr("Discard"));
    m_pill = new NotchRedactionPill(this);
    m_strip = new NotchStyleStrip(controller, this);
    m_stripEffect = new NotchRevealEffect(QPointF(0, 0), 1.0, m_strip);
    m_strip->setGraphicsEffect(m_stripEffect);
    m_strip->hide();

    connect(m_toggle, &QAbstractButton::clicked, controller, &NotchController::toggleRaw);
    connect(m_edit, &QAbstractButton::clicked, controller, &NotchController::openInEditor);
    connect(m_discard, &QAbstractButton::clicked, controller, &NotchController::discard);
    connect(m_thumbnail, &NotchThumbnail::sizeChanged, this, &NotchCard::relayout);
    for (auto signal : { &NotchController::showingRawChanged, &NotchController::redactionSummaryChanged,
             &NotchController::textCheckFailedChanged, &NotchController::copyWithheldChanged,
             &NotchController::contentWidthChanged }) {
        connect(controller, signal, this, [this] {
            refreshFaces();
            relayout();
        });
    }
    refreshFaces();
    relayout();
}

int NotchCard::topPadding(std::optional<int> inset)
{
    return (inset && *inset > 4 ? *inset : 8) + 12;
}

bool NotchCard::showsRedactionRow() const
{
    // The raw shot hides nothing: no pill may say otherwise while it shows.
    if (!m_controller || m_controller->showingRaw())
        return false;
    const std::optional<RedactionSummary> summary = m_controller->redactionSummary();
    return summary && !summary->counts.empty() && summary->total() != 0;
}

bool NotchCard::showsTextCheckFailure() const
{
    // While nothing is copied it is the reason, whichever image shows.
    return m_controller && m_controller->textCheckFailed() && (!m_controller->showingRaw() || m_controller->copyWithheld());
}

QString NotchCard::title() const
{
    // Nothing was copied: the header must not say otherwise, whichever image shows.
    if (m_controller && m_controller->copyWithheld())
        return tr("Not copied");
    if (m_controller && m_controller->showingRaw())
        return tr("Original");
    return !m_controller || m_controller->copiesShownImage() ? tr("Copied!") : tr("Ready");
}

QString NotchCard::statusDetail() const
{
    // The failed check beside it says why.
    if (m_controller && m_controller->copyWithheld())
        return QString();
    if (m_controller && m_controller->showingRaw())
        return tr("Original screenshot");
    return !m_controller || m_controller->copiesShownImage() ? tr("Paste anywhere") : tr("Copying is off in Settings");
}

QString NotchCard::redactionMessage() const
{
    if (showsTextCheckFailure())
        return tr("Text check failed");
    return showsRedactionRow() ? m_controller->redactionSummary()->message() : QString();
}

void NotchCard::refreshFaces()
{
    if (!m_controller)
        return;
    const bool raw = m_controller->showingRaw();
    m_toggle->setFace(raw ? QStringLiteral("photo") : QStringLiteral("wand.and.stars"), std::nullopt, !raw);
    // With copying off the toggle only switches what the panel shows (and what a drag takes).
    if (m_controller->copiesShownImage())
        m_toggle->setToolTip(raw ? tr("Copy styled version") : tr("Copy raw screenshot"));
    else
        m_toggle->setToolTip(raw ? tr("Show styled version") : tr("Show raw screenshot"));
    if (showsRedactionRow()) {
        m_pill->setMessage(m_controller->redactionSummary()->message());
        m_pill->show();
    } else {
        m_pill->hide();
    }
    update();
}

void NotchCard::setStripProgress(qreal progress)
{
    m_stripProgress = progress;
    relayout();
}

void NotchCard::relayout()
{
    if (!m_controller)
        return;
    const int width = int(std::lround(m_controller->contentWidth()));
    const int top = topPadding(m_controller->screenTopInset());
    const int right = width - kPadX;

    // Header row: image, status column, spacer, actions; all centred on the row's middle.
    const QSize thumb = m_thumbnail->sizeHint();
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF detailMetrics(detailFont());
    const qreal statusHeight = titleMetrics.height() + kStatusSpacing + detailMetrics.height();
    const int rowHeight = std::max({ thumb.height(), int(std::ceil(statusHeight)), m_edit->height() });
    const qreal mid = top + rowHeight / 2.0;
    m_thumbnail->setGeometry(kPadX, int(std::lround(mid - thumb.height() / 2.0)), thumb.width(), thumb.height());

    int x = right - m_discard->width();
    m_discard->move(x, int(std::lround(mid - m_discard->height() / 2.0)));
    x -= kButtonSpacing + m_edit->width();
    m_edit->move(x, int(std::lround(mid - m_edit->height() / 2.0)));
    x -= kButtonSpacing + m_toggle->width();
    m_toggle->move(x, int(std::lround(mid - m_toggle->height() / 2.0)));

    const qreal statusLeft = kPadX + thumb.width() + kHeaderSpacing;
    m_statusRect = QRectF(statusLeft, mid - statusHeight / 2.0, std::max<qreal>(0, x - kMinSpacer - statusLeft), statusHeight);

    int bottom = top + rowHeight;
    if (showsRedactionRow()) {
        m_pill->move(kPadX, bottom + kRowSpacing);
        bottom += kRowSpacing + m_pill->height();
    }
    // The strip slides down from under the rows above while the card grows to hold it.
    const int stripHeight = m_strip->stripHeight();
    const qreal grown = (kRowSpacing + stripHeight) * m_stripProgress;
    if (m_stripProgress > 0.0) {
        m_strip->setGeometry(kPadX, int(std::lround(bottom + kRowSpacing - (1.0 - m_stripProgress) * stripHeight)),
            width - 2 * kPadX, stripHeight);
        m_stripEffect->setProgress(m_stripProgress);
        m_strip->show();
    } else {
        m_strip->hide();
    }
    const int height = int(std::lround(bottom + std::max<qreal>(0.0, grown) + kPadBottom));
    if (size() != QSize(width, height))
        resize(width, height);
    update();
    Q_EMIT geometryUpdated();
}

QPainterPath NotchCard::outline() const
{
    return NotchShape { kTopRadius, kBottomRadius }.path(QRectF(rect()));
}

void NotchCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPainterPath shape = outline();
    // The translucent material stand-in under the dark shade.
    p.fillPath(shape, Theme::materialFill(ColorScheme::dark));
    p.fillPath(shape, notchCardShade());
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Screen);
    p.setPen(QPen(QBrush(notchCardRim()), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.restore();

    // Status column: the title, then the detail and the redaction message side by side, each
    // shortened to the room left of the actions (long translations, narrow cards).
    const qreal room = m_statusRect.width();
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF detailMetrics(detailFont());
    const QFontMetricsF messageMetrics(messageFont());
    const auto fitted = [](const QFontMetricsF& metrics, const QString& text, qreal width) {
        return metrics.elidedText(text, Qt::ElideRight, std::max<qreal>(0, width));
    };
    const QString shownTitle = fitted(titleMetrics, title(), room);
    p.setFont(titleFont());
    p.setPen(Qt::white);
    QRectF line(m_statusRect.left(), m_statusRect.top(), std::min(room, titleMetrics.horizontalAdvance(shownTitle) + 1),
        titleMetrics.height());
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownTitle);
    // A failed text check is never cut short: the detail before it gives way first.
    const bool failed = showsTextCheckFailure();
    const qreal symbolExtent = Symbols::extent(kWarningSymbolSize);
    const qreal warningWidth = failed
        ? kDetailSpacing + symbolExtent + kWarningSymbolSpacing + messageMetrics.horizontalAdvance(redactionMessage()) + 1
        : 0.0;
    const QString shownDetail = fitted(detailMetrics, statusDetail(), failed ? room - warningWidth : room);
    line = QRectF(m_statusRect.left(), line.bottom() + kStatusSpacing,
        std::min(room, detailMetrics.horizontalAdvance(shownDetail) + 1), detailMetrics.height());
    p.setFont(detailFont());
    p.setPen(Theme::rgb(255, 255, 255, 0.70));
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownDetail);
    qreal messageLeft = (shownDetail.isEmpty() ? line.left() : line.right() + kDetailSpacing);
    if (failed) {
        // The warning look: the triangle before the words, both in the warning colour.
        if (messageLeft + symbolExtent <= m_statusRect.right())
            Symbols::paint(p, u"exclamationmark.triangle.fill", QPointF(messageLeft + symbolExtent / 2, line.center().y()),
                kWarningSymbolSize, Theme::warningOnDark());
        messageLeft += symbolExtent + kWarningSymbolSpacing;
    }
    const QString message = fitted(messageMetrics, redactionMessage(), m_statusRect.right() - messageLeft);
    if (!message.isEmpty()) {
        p.setFont(messageFont());
        p.setPen(failed ? Theme::warningOnDark() : Theme::rgb(255, 255, 255, 0.50));
        p.drawText(QRectF(messageLeft, line.top(), m_statusRect.right() - messageLeft, line.height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, message);
    }
}

void NotchCard::enterEvent(QEnterEvent*) { Q_EMIT hoverChanged(true); }
void NotchCard::leaveEvent(QEvent*) { Q_EMIT hoverChanged(false); }

// ---- panel view -------------------------------------------------------------------------------------

NotchPanelView::NotchPanelView(NotchController* controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_reveal(kPhaseSpring)
    , m_hover(kHoverSpring)
{
    setAttribute(Qt::WA_TranslucentBackground);
    Theme::setColorScheme(this, ColorScheme::dark);

    m_card = new NotchCard(controller, this);
    m_cardEffect = new NotchRevealEffect(QPointF(0.5, 0.0), kCardStartScale, m_card);
    m_card->setGraphicsEffect(m_cardEffect);
    m_card->hide();
    connect(m_card, &NotchCard::hoverChanged, this, &NotchPanelView::handleHover);
    connect(m_card, &NotchCard::geometryUpdated, this, &NotchPanelView::layoutContent);

    auto* row = new HoverArea(this);
    row->onHover = [this](bool inside) { handleShareRowHover(inside); };
    m_shareRow = row;
    m_shareEffect = new NotchRevealEffect(QPointF(0.5, 0.0), 1.0, m_shareRow);
    m_shareRow->setGraphicsEffect(m_shareEffect);
    m_shareRow->hide();
    buildShareRow();

    // Created last so it floats above the card.
    m_detail = new NotchRedactionDetail(this);
    connect(m_detail, &NotchRedactionDetail::hoverChanged, this, [this](bool inside) {
        handleRedactionHover(inside);
        // The detail floats beyond the card: leaving it for outside must re-arm the dismiss.
        setHolding(detailPart, inside);
    });
    connect(m_detail, &NotchRedactionDetail::drawnRectChanged, this, &NotchPanelView::announceRegion);
    connect(m_card->redactionPill(), &NotchRedactionPill::hoverChanged, this, &NotchPanelView::handleRedactionHover);

    m_redactionHoverDismissWork.setSingleShot(true);
    m_redactionHoverDismissWork.setInterval(kRedactionHideMs);
    connect(&m_redactionHoverDismissWork, &QTimer::timeout, this, [this] { setHoveringRedactionSummary(false); });

    m_reveal.setStartValue(0.0);
    m_reveal.setEndValue(0.0);
    connect(&m_reveal, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { applyReveal(v.toReal()); });
    connect(&m_reveal, &QVariantAnimation::finished, this, [this] { applyReveal(m_reveal.endValue().toReal()); });
    m_hover.setStartValue(0.0);
    m_hover.setEndValue(0.0);
    connect(&m_hover, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { m_card->setStripProgress(v.toReal()); });
    connect(&m_hover, &QVariantAnimation::finished, this, [this] { m_card->setStripProgress(m_hover.endValue().toReal()); });

    connect(controller, &NotchController::phaseChanged, this, &NotchPanelView::phaseChanged);
    connect(controller, &NotchController::socialPlatformsChanged, this, [this] {
        buildShareRow();
        layoutContent();
    });
    // The raw shot takes the pill away, and with it any detail card it had open.
    connect(controller, &NotchController::showingRawChanged, this,
        [this] { setHoveringRedactionSummary(m_isHoveringRedactionSummary); });
    connect(controller, &NotchController::redactionSummaryChanged, this, [this] {
        if (m_controller && m_controller->redactionSummary())
            m_detail->setCounts(m_controller->redactionSummary()->counts);
    });
    if (controller->redactionSummary())
        m_detail->setCounts(controller->redactionSummary()->counts);
    phaseChanged();
}

void NotchPanelView::buildShareRow()
{
    qDeleteAll(m_circles);
    m_circles.clear();
    delete m_shareRow->layout();
    auto* layout = new QHBoxLayout(m_shareRow);
    layout->setContentsMargins(0, 0, 0, 0);
    // The circles keep room for their shadows; the gap between circles stays 10.
    layout->setSpacing(kShareSpacing - 2 * NotchShareCircle::kShadowMargin);
    if (!m_controller)
        return;
    for (SocialPlatform platform : m_controller->socialPlatforms()) {
        auto* circle = new NotchShareCircle(platform, kSocialCircleSize, m_shareRow);
        connect(circle, &QAbstractButton::clicked, m_controller,
            [controller = m_controller, platform] { controller->shareShownImage(platform); });
        layout->addWidget(circle);
        m_circles.append(circle);
    }
    m_shareRow->adjustSize();
}

bool NotchPanelView::isSettled() const
{
    return m_reveal.state() != QAbstractAnimation::Running && m_hover.state() != QAbstractAnimation::Running;
}

void NotchPanelView::phaseChanged()
{
    const bool revealed = m_controller && m_controller->phase() == NotchController::Phase::revealed;
    if (revealed) {
        m_card->show();
        if (!m_circles.isEmpty())
            m_shareRow->show();
    }
    m_reveal.retarget(revealed ? 1.0 : 0.0);
}

void NotchPanelView::applyReveal(qreal progress)
{
    m_revealProgress = progress;
    m_cardEffect->setProgress(progress);
    m_shareEffect->setProgress(progress);
    const bool settledHidden = progress <= 0.0 && m_reveal.state() != QAbstractAnimation::Running;
    if (settledHidden) {
        m_card->hide();
        m_shareRow->hide();
        m_detail->setShown(false);
    }
    layoutContent();
}

void NotchPanelView::resizeEvent(QResizeEvent*)
{
    layoutContent();
}

void NotchPanelView::layoutContent()
{
    // The card hangs centred from the top; the share row sits 12 under it and slides down from
    // the top edge as it enters.
    m_card->move(int(std::lround((width() - m_card->width()) / 2.0)), 0);
    if (!m_circles.isEmpty()) {
        const QSize row = m_shareRow->sizeHint();
        const qreal cardBottom = m_cardEffect->mapRect(QRectF(QPointF(0, 0), m_card->size()), m_card->size()).bottom();
        const qreal restY = cardBottom + kShareRowTop - NotchShareCircle::kShadowMargin;
        const qreal y = restY - (1.0 - std::min<qreal>(1.0, m_revealProgress)) * (restY + row.height());
        m_shareRow->setGeometry(int(std::lround((width() - row.width()) / 2.0)), int(std::lround(y)), row.width(), row.height());
    }
    placeDetail();
    announceRegion();
}

void NotchPanelView::placeDetail()
{
    const NotchRedactionPill* pill = m_card->redactionPill();
    const QPoint pillTopLeft = pill->mapTo(this, QPoint(0, 0));
    const QPointF inset = m_detail->cardRect().topLeft();
    m_detail->move(int(std::lround(pillTopLeft.x() - inset.x())), int(std::lround(pillTopLeft.y() + kDetailOffsetY - inset.y())));
}

QRegion NotchPanelView::drawnRegion() const
{
    QRegion region;
    if (m_card->isVisible() && m_cardEffect->opacity() > 0.0) {
        const QPainterPath outline = m_cardEffect->mapPath(m_card->outline(), m_card->size());
        region += regionOf(outline.translated(m_card->pos()));
    }
    if (m_shareRow->isVisible()) {
        // Round, so that without a compositor (where the region is also the window's shape) the
        // corners around each circle stay the desktop's.
        for (const NotchShareCircle* circle : m_circles)
            region += QRegion(QRect(circle->mapTo(this, QPoint(0, 0)), circle->size()), QRegion::Ellipse);
    }
    region += m_detail->drawnRect();
    return region;
}

void NotchPanelView::announceRegion()
{
    const QRegion region = drawnRegion();
    if (region == m_lastRegion)
        return;
    m_lastRegion = region;
    Q_EMIT drawnRegionChanged(region);
}

void NotchPanelView::handleHover(bool inside)
{
    // Showing and hiding the card during its transitions is no pointer movement.
    if (!m_controller || m_controller->phase() != NotchController::Phase::revealed)
        return;
    if (inside == m_isHovering)
        return;
    m_isHovering = inside;
    m_hover.retarget(inside ? 1.0 : 0.0);
    setHolding(cardPart, inside);
}

void NotchPanelView::handleShareRowHover(bool inside)
{
    if (!m_controller || m_controller->phase() != NotchController::Phase::revealed)
        return;
    setHolding(shareRowPart, inside);
}

void NotchPanelView::setHolding(HoldPart part, bool inside)
{
    m_holdingParts = inside ? (m_holdingParts | part) : (m_holdingParts & ~part);
    // Held, not merely cancelled: a toggle or restyle under the pointer must not arm it again.
    if (m_controller)
        m_controller->holdDismiss(m_holdingParts != 0);
}

void NotchPanelView::handleRedactionHover(bool inside)
{
    m_redactionHoverDismissWork.stop();
    if (inside) {
        setHoveringRedactionSummary(true);
        if (m_controller)
            m_controller->cancelDismiss();
    } else {
        // Long enough to travel between the pill and its card without the card closing.
        m_redactionHoverDismissWork.start();
    }
}

void NotchPanelView::setHoveringRedactionSummary(bool hovering)
{
    m_isHoveringRedactionSummary = hovering;
    placeDetail();
    m_detail->setShown(hovering && m_card->showsRedactionRow());
    // A detail that went away holds nothing, whatever its last pointer event was.
    if (!m_detail->isShown() && (m_holdingParts & detailPart))
        setHolding(detailPart, false);
}
