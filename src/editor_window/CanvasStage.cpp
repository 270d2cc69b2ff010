#include "editor_window/CanvasStage.h"

#include "editor/AnnotationEditingLayer.h"
#include "editor/EditorDocument.h"
#include "editor_window/StageEventMonitor.h"
#include "model/Preferences.h"
#include "model/WatermarkConfig.h"
#include "ui/BeautifiedCanvas.h"
#include "ui/Spring.h"
#include "ui/Theme.h"

#include <QMouseEvent>
#include <QNativeGestureEvent>

namespace {

// Every mark but the text being typed, which its field shows. Texts are painted with the others,
// under any highlight's dimming, exactly as a copy or an export paints them.
QList<Annotation> withoutEditedText(const QList<Annotation>& annotations, const std::optional<QUuid>& editing)
{
    if (!editing)
        return annotations;
    QList<Annotation> kept;
    for (const Annotation& a : annotations)
        if (a.id != *editing)
            kept.append(a);
    return kept;
}

QRectF lerp(const QRectF& a, const QRectF& b, double t)
{
    return { a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t, a.width() + (b.width() - a.width()) * t,
        a.height() + (b.height() - a.height()) * t };
}

// Lies over everything while Space is held: a drag pans instead of editing.
class PanDragOverlay : public QWidget {
public:
    PanDragOverlay(PanController& pan, CursorStack& cursors, QWidget* parent)
        : QWidget(parent)
        , m_pan(pan)
        , m_cursors(cursors)
    {
        setObjectName(QStringLiteral("panOverlay"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        // A drag whose release never came (Space let go first) is over.
        endDrag();
        m_press = event->position();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_press)
            return;
        const QPointF translation = event->position() - *m_press;
        if (!m_pan.start) {
            if (std::hypot(translation.x(), translation.y()) < 10)
                return;
            m_pan.start = m_pan.offset();
            m_cursors.set(Qt::ClosedHandCursor);
        }
        m_pan.setOffset(*m_pan.start + QSizeF(translation.x(), translation.y()));
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            endDrag();
    }
    // Space let go before the button: the release goes elsewhere, so the drag ends here, or the
    // next Space-drag would start from this one's offset.
    void hideEvent(QHideEvent*) override { endDrag(); }

private:
    void endDrag()
    {
        m_press.reset();
        if (m_pan.start) {
            m_pan.start.reset();
            if (m_pan.spaceHeld())
                m_cursors.set(Qt::OpenHandCursor);
        }
    }

    PanController& m_pan;
    CursorStack& m_cursors;
    std::optional<QPointF> m_press;
};

}

CanvasStage::CanvasStage(EditorDocument& document, Preferences& prefs, std::function<bool()> copyAndClose,
    QWidget* parent)
    : QWidget(parent)
    , m_doc(document)
    , m_prefs(prefs)
    , m_copyAndClose(std::move(copyAndClose))
    , m_monitor(new StageEventMonitor(this, m_pan, m_cursors, this))
    , m_canvas(new BeautifiedCanvas(this))
    , m_motion(new SpringAnimation(Spring { 0.35, 0.85 }, this))
    , m_panReset(new SpringAnimation(Spring { 0.3, 0.8 }, this))
{
    setObjectName(QStringLiteral("canvasStage"));
    setAttribute(Qt::WA_AcceptTouchEvents);
    // A click on the stage takes the keyboard from a text field, so Space and Delete act here.
    setFocusPolicy(Qt::ClickFocus);
    m_canvas->setObjectName(QStringLiteral("stageCanvas"));
    m_layer = new AnnotationEditingLayer(&m_doc, this);
    m_layer->setOverlayHost(this);
    m_panOverlay = new PanDragOverlay(m_pan, m_cursors, this);
    m_panOverlay->hide();

    connect(m_motion, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_shown = lerp(m_motionFrom, m_target.displayRect(), value.toDouble());
        placeChildren();
    });
    connect(m_motion, &QVariantAnimation::finished, this, [this] {
        m_shown = m_target.displayRect();
        placeChildren();
        m_canvas->setInMotion(false);
    });
    connect(m_panReset, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_pan.setOffset(m_panResetFrom * (1 - value.toDouble()));
    });

    connect(&m_pan, &PanController::offsetChanged, this, [this] { relayout(false); });
    connect(&m_pan, &PanController::spaceHeldChanged, this, [this](bool held) {
        if (held)
            m_cursors.push(Qt::OpenHandCursor);
        else
            m_cursors.pop();
        m_panOverlay->setVisible(held);
        m_panOverlay->raise();
    });

    connect(&m_doc, &EditorDocument::settingsChanged, this, [this] {
        refreshContent();
        relayout(true);
    });
    connect(&m_doc, &EditorDocument::toolChanged, this, [this] {
        refreshContent();
        relayout(false);
    });
    // A zoom outside animateZoom (a pinch) applies at once.
    connect(&m_doc, &EditorDocument::zoomChanged, this, [this] { relayout(m_zoomAnimated, 0.3, 0.8); });
    connect(&m_doc, &EditorDocument::panResetTokenChanged, this, &CanvasStage::resetPanOffset);
    for (auto signal : { &EditorDocument::annotationsChanged, &EditorDocument::redactionRectsChanged,
             &EditorDocument::manualRedactionsChanged, &EditorDocument::editingAnnotationIDChanged })
        connect(&m_doc, signal, this, &CanvasStage::refreshContent);
    for (auto signal : { &Preferences::watermarkTextChanged, &Preferences::watermarkLogoChanged,
             &Preferences::watermarkPositionChanged })
        connect(&m_prefs, signal, this, &CanvasStage::refreshContent);
    Theme::followColorScheme(this);

    refreshContent();
    relayout(false);
}

CanvasStage::~CanvasStage()
{
    // Whatever cursor a press pushed comes off with the stage.
    m_monitor->remove();
    m_cursors.clear();
}

void CanvasStage::refreshContent()
{
    const BeautifySettings settings = StageGeometry::stageSettings(m_doc.settings(), m_doc.tool());
    // While cropping, the whole image shows and the marks stay over what they were drawn on.
    const QList<Annotation> marks
        = remappedAnnotations(m_doc.image().deviceIndependentSize(), m_doc.settings(), settings, m_doc.annotations());
    m_canvas->setContent({ m_doc.image(), settings, withoutEditedText(marks, m_doc.editingAnnotationID()),
        m_doc.allRedactionRects(), currentWatermarkConfig(m_prefs) });
    m_canvas->setColorScheme(Theme::colorScheme(this));
}

void CanvasStage::relayout(bool animated, double response, double damping)
{
    const QRectF before = m_shown;
    m_target = StageGeometry::layout(m_doc.image().deviceIndependentSize(), m_doc.settings(), m_doc.tool(), m_doc.zoom(),
        QSizeF(size()), m_pan.offset());
    m_layer->setFrame({ m_target.displaySize, m_target.shotRectNorm, m_target.imageRectNorm, m_target.canvas.crop,
        m_target.settings.flipH, m_target.settings.flipV });
    m_layer->setShotDraggable(m_target.shotDraggable);

    const bool wasMoving = m_motion->state() == QAbstractAnimation::Running;
    if (animated && !before.isEmpty() && isVisible() && before != m_target.displayRect()) {
        m_motionFrom = before;
        m_motion->stop();
        m_motion->setSpring(Spring { response, damping });
        m_motion->setStartValue(0.0);
        m_motion->setEndValue(1.0);
        m_canvas->setInMotion(true);
        m_motion->start();
        return;
    }
    if (wasMoving)
        return; // the running motion heads for the new target
    m_shown = m_target.displayRect();
    placeChildren();
}

void CanvasStage::placeChildren()
{
    const QRect rounded(QPoint(int(std::lround(m_shown.left())), int(std::lround(m_shown.top()))),
        QSize(int(std::lround(m_shown.width())), int(std::lround(m_shown.height()))));
    m_canvas->setGeometry(rounded);
    m_layer->setGeometry(rounded);
    m_panOverlay->setGeometry(rect());
}

void CanvasStage::animateZoom(const std::function<void()>& change)
{
    m_zoomAnimated = true;
    change();
    m_zoomAnimated = false;
}

void CanvasStage::finishAnimations()
{
    if (m_panReset->state() == QAbstractAnimation::Running) {
        m_panReset->stop();
        m_pan.setOffset(QSizeF(0, 0));
    }
    if (m_motion->state() == QAbstractAnimation::Running) {
        m_motion->stop();
        m_shown = m_target.displayRect();
        placeChildren();
        m_canvas->setInMotion(false);
    }
}

void CanvasStage::resetPanOffset()
{
    m_panResetFrom = m_pan.offset();
    m_panReset->stop();
    if (m_panResetFrom.isNull() || !isVisible()) {
        m_pan.setOffset(QSizeF(0, 0));
        return;
    }
    m_panReset->setStartValue(0.0);
    m_panReset->setEndValue(1.0);
    m_panReset->start();
}

void CanvasStage::clearSelection()
{
    m_doc.setSelectedAnnotation(std::nullopt);
    m_doc.setSelectedManualRedaction(std::nullopt);
    m_doc.setEditingText(false);
    m_doc.setEditingAnnotationID(std::nullopt);
}

bool CanvasStage::onBackground(QPointF position) const
{
    return !m_shown.contains(position);
}

void CanvasStage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && onBackground(event->position())) {
        clearSelection();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CanvasStage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && onBackground(event->position())) {
        event->accept();
        if (m_copyAndClose)
            m_copyAndClose();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CanvasStage::applyPinch(double magnification)
{
    if (!m_activeGestureZoom)
        m_activeGestureZoom = m_doc.zoom();
    m_doc.setZoom(StageGeometry::pinchZoom(*m_activeGestureZoom, magnification));
}

bool CanvasStage::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        switch (gesture->gestureType()) {
        case Qt::BeginNativeGesture:
            m_pinchMagnification = 1;
            break;
        case Qt::ZoomNativeGesture:
            // Each event carries the change since the last one.
            m_pinchMagnification *= 1 + gesture->value();
            applyPinch(m_pinchMagnification);
            break;
        case Qt::EndNativeGesture:
            m_activeGestureZoom.reset();
            m_pinchMagnification = 1;
            break;
        default:
            break;
        }
        return true;
    }
    return QWidget::event(event);
}

void CanvasStage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout(false);
}

void CanvasStage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_monitor->install();
}

void CanvasStage::hideEvent(QHideEvent* event)
{
    m_monitor->remove();
    QWidget::hideEvent(event);
}
