#include "editor_window/EmptyStateView.h"

#include "capture/CaptureManager.h"
#include "capture/CapturedShot.h"
#include "core/Async.h"
#include "core/Log.h"
#include "editor_window/DroppedImage.h"
#include "editor_window/EmptyStateControls.h"
#include "platform/KeystrokeScreenshotTool.h"
#include "platform/PlatformTexts.h"
#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Spring.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGraphicsEffect>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPainter>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace {

bool isDark(const QWidget* w)
{
    return Theme::colorScheme(w) == ColorScheme::dark;
}

QColor accentAt(const QWidget* w, double opacity)
{
    QColor c = Theme::accentFor(Theme::colorScheme(w));
    c.setAlphaF(float(opacity));
    return c;
}

}

// The header and hint capsule around the card: painted, no controls.
class EmptyStateView::Content : public QWidget {
public:
    using QWidget::QWidget;
    QRect headerRect, hintRect;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const ColorScheme scheme = Theme::colorScheme(this);
        const bool dark = scheme == ColorScheme::dark;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        double y = headerRect.top();
        const double cx = width() / 2.0;
        const QIcon icon = QApplication::windowIcon();
        if (!icon.isNull()) {
            const QRectF box(cx - 42, y, 84, 84);
            QPainterPath shape;
            shape.addRoundedRect(box.adjusted(6, 6, -6, -6), 18, 18);
            paintShadow(p, shape, dark ? Theme::rgb(0, 0, 0, 0.5) : Theme::rgb(0, 0, 0, 0.22), 18, QPointF(0, 10));
            p.drawPixmap(box.toRect(), icon.pixmap(QSize(84, 84), devicePixelRatioF()));
            y += 84 + 12;
        }
        p.setPen(Theme::primaryText(scheme));
        p.setFont(Theme::font(25, QFont::DemiBold));
        const double titleH = QFontMetricsF(p.font()).height();
        p.drawText(QRectF(0, y, width(), titleH), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Lumaforge"));
        y += titleH + 5;
        p.setPen(Theme::secondaryText(scheme));
        p.setFont(Theme::font(13.5));
        p.drawText(QRectF(0, y, width(), 24), Qt::AlignHCenter | Qt::AlignTop, tr("Drop a screenshot to make it pop."));

        // The hint capsule.
        const QString hint = platformText("Press ⇧⌘4 — new screenshots open here automatically.")
                                 .arg(DesktopScreenshotKeys::forSession().text(SystemCapture::selection));
        const QFont font = Theme::font(12);
        const double tw = QFontMetricsF(font).horizontalAdvance(hint);
        const double w = Symbols::extent(11) + 6 + tw + 28;
        const QRectF capsule(cx - w / 2, hintRect.top(), w, 30);
        QPainterPath shape;
        shape.addRoundedRect(capsule, 15, 15);
        p.fillPath(shape, dark ? Theme::rgb(255, 255, 255, 0.05) : Theme::rgb(255, 255, 255, 0.55));
        p.setPen(QPen(dark ? Theme::rgb(255, 255, 255, 0.08) : Theme::rgb(0, 0, 0, 0.06), 0.5));
        QPainterPath inner;
        inner.addRoundedRect(capsule.adjusted(0.25, 0.25, -0.25, -0.25), 14.75, 14.75);
        p.drawPath(inner);
        const QColor secondary = Theme::secondaryText(scheme);
        Symbols::paint(p, u"sparkles", QPointF(capsule.left() + 14 + Symbols::extent(11) / 2, capsule.center().y()), 11, secondary);
        p.setFont(font);
        p.setPen(secondary);
        p.drawText(QRectF(capsule.left() + 14 + Symbols::extent(11) + 6, capsule.top(), tw + 2, 30),
            Qt::AlignVCenter | Qt::AlignLeft, hint);
    }
};

// The drop card: symbol, texts and the two buttons on a dashed rounded card.
class EmptyStateView::Card : public QWidget {
public:
    Card(EmptyStateView* view, QWidget* parent)
        : QWidget(parent)
        , m_view(view)
        , m_pop(new SpringAnimation(Spring { 0.3, 0.6 }, this))
        , m_bounce(new QVariantAnimation(this))
    {
        m_pop->setStartValue(1.0);
        m_pop->setEndValue(1.0);
        connect(m_pop, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
        m_bounce->setDuration(450);
        m_bounce->setStartValue(0.0);
        m_bounce->setEndValue(1.0);
        connect(m_bounce, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    }
    void targetChanged(bool targeted)
    {
        m_pop->retarget(targeted ? 1.08 : 1.0);
        m_bounce->stop();
        m_bounce->start();
    }
    // The symbol's hop on each change of the drag state: up and back, settling.
    double hop() const
    {
        if (m_bounce->state() != QAbstractAnimation::Running)
            return 0;
        const double t = m_bounce->currentValue().toDouble();
        return -8 * std::abs(std::sin(t * 2 * M_PI)) * (1 - t);
    }
    double pop() const
    {
        return m_pop->state() == QAbstractAnimation::Running ? m_pop->currentValue().toDouble()
                                                             : m_pop->endValue().toDouble();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const ColorScheme scheme = Theme::colorScheme(this);
        const bool dark = scheme == ColorScheme::dark;
        const bool targeted = m_view->targeted();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QRectF card = QRectF(rect()).adjusted(30, 12, -30, -48);
        const QPainterPath shape = continuousRoundedRect(card, 22);
        paintShadow(p, shape, dark ? Theme::rgb(0, 0, 0, 0.35) : Theme::rgb(0, 0, 0, 0.10), 30, QPointF(0, 18));
        QColor material = Theme::materialFill(scheme);
        material.setAlphaF(material.alphaF() * (dark ? 0.6f : 0.9f));
        p.fillPath(shape, material);
        p.fillPath(shape, dark ? Theme::rgb(255, 255, 255, 0.02) : Theme::rgb(255, 255, 255, 0.40));
        const double line = targeted ? 2 : 1.5;
        QPen dash(targeted ? Theme::accentFor(scheme) : (dark ? Theme::rgb(255, 255, 255, 0.14) : Theme::rgb(0, 0, 0, 0.10)),
            line);
        dash.setDashPattern({ 9 / line, 7 / line });
        p.setPen(dash);
        p.setBrush(Qt::NoBrush);
        p.drawPath(continuousRoundedRect(card.adjusted(line / 2, line / 2, -line / 2, -line / 2), 22 - line / 2));

        // Symbol, 76 pt circle, grown while a drag hovers.
        const double titleH = QFontMetricsF(Theme::font(16, QFont::DemiBold)).height();
        const double subH = QFontMetricsF(Theme::font(12)).height();
        const double stackH = 76 + 18 + titleH + 3 + subH + 18 + 4 + 38;
        double y = card.center().y() - stackH / 2;
        const QPointF centre(card.center().x(), y + 38);
        p.save();
        p.translate(centre + QPointF(0, hop()));
        p.scale(pop(), pop());
        p.setPen(Qt::NoPen);
        p.setBrush(accentAt(this, targeted ? 0.22 : 0.12));
        p.drawEllipse(QPointF(0, 0), 38, 38);
        Symbols::paint(p, targeted ? u"tray.and.arrow.down.fill" : u"photo.badge.plus", QPointF(0, 0), 30,
            Theme::accentFor(scheme));
        p.restore();
        y += 76 + 18;
        p.setPen(Theme::primaryText(scheme));
        p.setFont(Theme::font(16, QFont::DemiBold));
        p.drawText(QRectF(card.left(), y, card.width(), titleH), Qt::AlignCenter,
            targeted ? tr("Drop to open") : tr("Drag an image here"));
        y += titleH + 3;
        p.setPen(Theme::secondaryText(scheme));
        p.setFont(Theme::font(12));
        p.drawText(QRectF(card.left(), y, card.width(), subH), Qt::AlignCenter,
            tr("PNG, JPG, HEIC — or paste from the clipboard"));
    }

private:
    EmptyStateView* m_view;
    SpringAnimation* m_pop;
    QVariantAnimation* m_bounce;
};

// The notice shown while the screenshot folder cannot be read.
class EmptyStateView::Notice : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const ColorScheme scheme = Theme::colorScheme(this);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QRectF box = QRectF(rect()).adjusted(8, 2, -8, -12);
        const QPainterPath shape = continuousRoundedRect(box, 12);
        paintShadow(p, shape, Theme::rgb(0, 0, 0, 0.15), 8, QPointF(0, 4));
        QColor fill = Theme::materialFill(scheme);
        fill.setAlphaF(std::max(fill.alphaF(), 0.92f));
        p.fillPath(shape, fill);
        p.setPen(QPen(QColor(255, 149, 0, 102), 1));
        p.drawPath(continuousRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 11.5));
        const double x = box.left() + 16;
        Symbols::paint(p, u"folder.badge.questionmark", QPointF(x + Symbols::extent(14) / 2, box.center().y()), 14,
            QColor(255, 149, 0));
        const double tx = x + Symbols::extent(14) + 10;
        const QFont bold = Theme::font(12, QFont::DemiBold), small = Theme::font(11);
        const double h1 = QFontMetricsF(bold).height(), h2 = QFontMetricsF(small).height();
        const double top = box.center().y() - (h1 + 1 + h2) / 2;
        p.setPen(Theme::primaryText(scheme));
        p.setFont(bold);
        p.drawText(QRectF(tx, top, box.width(), h1), Qt::AlignLeft | Qt::AlignVCenter,
            platformText("Desktop folder access needed"));
        p.setPen(Theme::secondaryText(scheme));
        p.setFont(small);
        p.drawText(QRectF(tx, top + h1 + 1, box.width() - 200, h2), Qt::AlignLeft | Qt::AlignVCenter,
            platformText("Go to System Settings › Privacy & Security › Files and Folders"));
    }
};

EmptyStateView::EmptyStateView(CaptureManager& capture, Hooks hooks, QWidget* parent)
    : QWidget(parent)
    , m_capture(capture)
    , m_hooks(std::move(hooks))
    , m_glow(new QVariantAnimation(this))
    , m_appear(new SpringAnimation(Spring { 0.6, 0.85 }, this))
    , m_noticeSlide(new SpringAnimation(Spring { 0.45, 0.8 }, this))
{
    setObjectName(QStringLiteral("emptyState"));
    setAcceptDrops(true);
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    m_content = new Content(this);
    auto* appear = new AppearEffect(m_content);
    m_content->setGraphicsEffect(appear);
    m_card = new Card(this, m_content);
    m_paste = new CardButton(CardButton::Look::primary, QStringLiteral("doc.on.clipboard"), tr("Paste"), m_card);
    m_paste->setObjectName(QStringLiteral("paste"));
    m_openFile = new CardButton(CardButton::Look::secondary, QStringLiteral("folder"), tr("Open File…"), m_card);
    m_openFile->setObjectName(QStringLiteral("openFile"));
    m_settings = new GearButton(this);
    m_notice = new Notice(this);
    m_notice->setObjectName(QStringLiteral("permissionNotice"));
    m_noticeButton = new CardButton(CardButton::Look::notice, {}, platformText("Open Settings"), m_notice);
    m_noticeButton->setObjectName(QStringLiteral("openPrivacySettings"));

    connect(m_paste, &QAbstractButton::clicked, this, [this] {
        if (m_hooks.paste)
            m_hooks.paste();
    });
    connect(m_openFile, &QAbstractButton::clicked, this, [this] { m_capture.importFromFile(); });
    connect(m_settings, &QAbstractButton::clicked, this, [this] {
        if (m_hooks.openSettings)
            m_hooks.openSettings();
    });
    connect(m_noticeButton, &QAbstractButton::clicked, this, [this] {
        if (m_hooks.openPrivacySettings)
            m_hooks.openPrivacySettings();
    });

    m_glow->setDuration(300);
    m_glow->setEasingCurve(QEasingCurve::OutCubic);
    m_glow->setStartValue(0.85);
    m_glow->setEndValue(0.85);
    connect(m_glow, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    m_appear->setStartValue(0.0);
    m_appear->setEndValue(0.0);
    connect(m_appear, &QVariantAnimation::valueChanged, this,
        [appear](const QVariant& v) { appear->setProgress(v.toDouble()); });
    connect(m_noticeSlide, &QVariantAnimation::valueChanged, this, &EmptyStateView::placeChildren);

    connect(&m_capture, &CaptureManager::desktopPermissionDeniedChanged, this, &EmptyStateView::updateNotice);
    m_noticeSlide->setStartValue(0.0);
    m_noticeSlide->setEndValue(m_capture.desktopPermissionDenied() ? 1.0 : 0.0);
    Theme::followColorScheme(this);
    placeChildren();
}

EmptyStateView::~EmptyStateView() = default;

void EmptyStateView::failureToast(const QString& message)
{
    if (m_hooks.failureToast)
        m_hooks.failureToast(message);
}

bool EmptyStateView::noticeShown() const
{
    return m_capture.desktopPermissionDenied();
}

void EmptyStateView::updateNotice()
{
    m_noticeSlide->retarget(m_capture.desktopPermissionDenied() ? 1.0 : 0.0);
}

void EmptyStateView::finishAnimations()
{
    for (QVariantAnimation* a : { static_cast<QVariantAnimation*>(m_appear), static_cast<QVariantAnimation*>(m_noticeSlide), m_glow }) {
        const QVariant end = a->endValue();
        a->stop();
        a->setStartValue(end);
        a->setEndValue(end);
        a->setDuration(a->duration());
        Q_EMIT a->valueChanged(end);
    }
    static_cast<AppearEffect*>(m_content->graphicsEffect())->setProgress(m_appeared ? 1 : 0);
    placeChildren();
    update();
}

void EmptyStateView::setTargeted(bool targeted)
{
    if (targeted == m_targeted)
        return;
    m_targeted = targeted;
    m_glow->stop();
    m_glow->setStartValue(m_glow->currentValue().isValid() ? m_glow->currentValue() : QVariant(0.85));
    m_glow->setEndValue(targeted ? 1.0 : 0.85);
    m_glow->start();
    m_card->targetChanged(targeted);
    m_card->update();
    update();
}

void EmptyStateView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        m_appear->retarget(1.0);
    }
}

void EmptyStateView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeChildren();
}

void EmptyStateView::placeChildren()
{
    // The content column: header, card, hint; centred.
    const int cardWidth = std::min(480, width() - 80) + 60; // the card's shadow room each side
    const int iconHeight = QApplication::windowIcon().isNull() ? 0 : 84 + 12;
    const int headerHeight = iconHeight + int(QFontMetricsF(Theme::font(25, QFont::DemiBold)).height()) + 5
        + int(QFontMetricsF(Theme::font(13.5)).height());
    const int cardHeight = 300 + 60;
    const int total = headerHeight + 26 + 300 + 26 + 30;
    const int top = std::max(40, (height() - total) / 2);
    m_content->setGeometry(0, 0, width(), height());
    m_content->headerRect = QRect(0, top, width(), headerHeight);
    m_card->setGeometry((width() - cardWidth) / 2, top + headerHeight + 26 - 12, cardWidth, cardHeight);
    m_content->hintRect = QRect(0, top + headerHeight + 26 + 300 + 26, width(), 30);

    // Buttons, centred in the card's lower part.
    const QSize paste = m_paste->sizeHint(), open = m_openFile->sizeHint();
    const double titleH = QFontMetricsF(Theme::font(16, QFont::DemiBold)).height();
    const double subH = QFontMetricsF(Theme::font(12)).height();
    const double stackH = 76 + 18 + titleH + 3 + subH + 18 + 4 + 38;
    const int buttonsTop = int(12 + 150 - stackH / 2 + stackH - 38);
    const int rowWidth = paste.width() + 10 + open.width();
    const int x = (cardWidth - rowWidth) / 2;
    m_paste->setGeometry(x, buttonsTop, paste.width(), 38);
    m_openFile->setGeometry(x + paste.width() + 10, buttonsTop, open.width(), 38);

    m_settings->move(width() - 12 - 26, 12);
    m_settings->raise();

    // The notice slides up from the bottom edge.
    const double t = m_noticeSlide->state() == QAbstractAnimation::Running ? m_noticeSlide->currentValue().toDouble()
                                                                           : m_noticeSlide->endValue().toDouble();
    const int noticeHeight = 64;
    const int restY = height() - noticeHeight - 4;
    m_notice->setGeometry(16, int(restY + (1 - t) * (noticeHeight + 8)), width() - 32, noticeHeight);
    m_notice->setVisible(t > 0.01);
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(m_notice->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(m_notice);
        m_notice->setGraphicsEffect(effect);
    }
    effect->setOpacity(std::clamp(t, 0.0, 1.0));
    const QSize b = m_noticeButton->sizeHint();
    m_noticeButton->setGeometry(m_notice->width() - 8 - 16 - b.width(), (noticeHeight - 10 - b.height()) / 2,
        b.width(), b.height());
    m_notice->raise();
}

void EmptyStateView::paintEvent(QPaintEvent*)
{
    const bool dark = isDark(this);
    QPainter p(this);
    p.fillRect(rect(), dark ? Theme::rgb(0x10, 0x10, 0x13) : Theme::rgb(0xEE, 0xEE, 0xF3));
    // The glow: the accent fading out from the centre, softened past its edge like a blur.
    const double opacity = m_glow->state() == QAbstractAnimation::Running ? m_glow->currentValue().toDouble()
                                                                          : m_glow->endValue().toDouble();
    QRadialGradient glow(QRectF(rect()).center(), 460 + 50);
    glow.setColorAt(0, accentAt(this, dark ? 0.30 : 0.18));
    glow.setColorAt(0.55, accentAt(this, (dark ? 0.30 : 0.18) * 0.4));
    glow.setColorAt(1, accentAt(this, 0));
    p.setOpacity(opacity);
    p.fillRect(rect(), glow);
}

void EmptyStateView::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedImage::accepts(*event->mimeData())) {
        event->acceptProposedAction();
        setTargeted(true);
    }
}

void EmptyStateView::dragLeaveEvent(QDragLeaveEvent* event)
{
    QWidget::dragLeaveEvent(event);
    setTargeted(false);
}

void EmptyStateView::dropEvent(QDropEvent* event)
{
    setTargeted(false);
    if (handleImageDrop(*event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

bool EmptyStateView::handleImageDrop(const QMimeData& mime)
{
    const DroppedImage item = DroppedImage::decide(mime);
    switch (item.kind) {
    case DroppedImage::Kind::none:
        return false;
    case DroppedImage::Kind::remote:
        // Reading it would reach the network.
        logLine(QStringLiteral("drop refused: only local files are opened"));
        failureToast(tr("Only files on this computer can be opened"));
        return false;
    case DroppedImage::Kind::imageData:
    case DroppedImage::Kind::localFile:
        break;
    }
    runInBackground(QThreadPool::globalInstance(), this, [item] { return item.load(); },
        [this, item](const ImageFile::Result& result) {
            if (!result.ok()) {
                logLine(QStringLiteral("drop refused: %1").arg(result.error));
                const QString name = item.kind == DroppedImage::Kind::localFile ? QFileInfo(item.path).fileName() : QString();
                failureToast(name.isEmpty() ? tr("Couldn't open the dropped image: %1").arg(result.error)
                                            : tr("Couldn't open %1: %2").arg(name, result.error));
                Q_EMIT dropLoaded(false);
                return;
            }
            importDroppedImage(result.image, item.kind == DroppedImage::Kind::localFile ? item.path : QString());
            Q_EMIT dropLoaded(true);
        });
    return true;
}

void EmptyStateView::importDroppedImage(const QImage& image, const QString& filePath)
{
    if (image.isNull())
        return;
    const CapturedShot shot = CapturedShot::make(image, filePath);
    m_capture.addRecent(shot);
    m_capture.sendImport(shot);
}

QWidget* EmptyStateView::notice() const
{
    return m_notice;
}
