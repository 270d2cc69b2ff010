#include "editor/AnnotationEditingLayer.h"

#include "editor/AnnotationEditController.h"
#include "editor/EditingFloatingParts.h"
#include "editor/EditingOverlay.h"
#include "editor/EditorDocument.h"
#include "editor/FormatBarContainer.h"
#include "editor/FormatBarFactory.h"
#include "editor/StandardFormatBarFactory.h"
#include "render/AnnotationLayer.h"
#include "render/CanvasLayout.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <tuple>
#include <cmath>

using namespace EditingGeometry;

AnnotationEditingLayer::AnnotationEditingLayer(EditorDocument* document, QWidget* parent)
    : QWidget(parent)
    , m_controller(new AnnotationEditController(document, this))
    , m_floating(new EditingFloatingParts(this, m_controller))
{
    static StandardFormatBarFactory standardBars;
    m_floating->setFormatBarFactory(&standardBars);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    Theme::followColorScheme(this);

    if (document) {
        for (auto changed : { &EditorDocument::annotationsChanged, &EditorDocument::selectedAnnotationChanged,
                 &EditorDocument::selectedManualRedactionChanged, &EditorDocument::manualRedactionsChanged,
                 &EditorDocument::settingsChanged, &EditorDocument::editingAnnotationIDChanged })
            connect(document, changed, this, &AnnotationEditingLayer::refresh);
        connect(document, &EditorDocument::toolChanged, this, &AnnotationEditingLayer::invalidate);
    }
    connect(m_controller, &AnnotationEditController::changed, this, &AnnotationEditingLayer::refresh);
    connect(m_controller, &AnnotationEditController::canvasFocusedChanged, this, [this](bool focused) {
        if (focused && !hasFocus())
            setFocus(Qt::MouseFocusReason);
    });
    connect(m_controller, &AnnotationEditController::textFocusedChanged, m_floating, &EditingFloatingParts::focusTextField);
}

AnnotationEditingLayer::~AnnotationEditingLayer() = default;

QWidget* AnnotationEditingLayer::overlayHost() const
{
    return m_floating->host();
}

void AnnotationEditingLayer::setOverlayHost(QWidget* host)
{
    m_floating->setHost(host);
}

void AnnotationEditingLayer::setFormatBarFactory(FormatBarFactory* factory)
{
    m_floating->setFormatBarFactory(factory);
}

QLineEdit* AnnotationEditingLayer::textField() const
{
    return m_floating->textField();
}

QAbstractButton* AnnotationEditingLayer::cropCancelButton() const
{
    return m_floating->cropCancelButton();
}

QAbstractButton* AnnotationEditingLayer::cropConfirmButton() const
{
    return m_floating->cropConfirmButton();
}

FormatBarContainer* AnnotationEditingLayer::formatBar() const
{
    return m_floating->formatBar();
}

EditorDocument* AnnotationEditingLayer::document() const
{
    return m_controller->document();
}

EditingFrame AnnotationEditingLayer::frame() const
{
    return m_controller->frame();
}

void AnnotationEditingLayer::setFrame(const EditingFrame& frame)
{
    const bool moved = !(m_controller->frame() == frame);
    m_controller->setFrame(frame);
    const QSizeF s = frame.displaySize;
    const bool usable = std::isfinite(s.width()) && std::isfinite(s.height()) && s.width() > 0 && s.height() > 0;
    const QSize size = usable ? QSize(int(std::ceil(std::min(s.width(), 1e6))), int(std::ceil(std::min(s.height(), 1e6))))
                              : QSize(0, 0);
    if (this->size() != size)
        resize(size);
    if (moved)
        invalidate();
    else
        refresh();
}

void AnnotationEditingLayer::setShotDraggable(bool draggable)
{
    m_controller->setShotDraggable(draggable);
}

void AnnotationEditingLayer::refresh()
{
    // Only where the drawing changed: what was drawn before and what is drawn now, and for the
    // crop the strip between its old and new outline (the dimming elsewhere stays as it was).
    QList<OverlayItem> now = overlayItems();
    const std::optional<QRect> hole = cropHole();
    QRegion dirty = changedRegion(m_lastOverlay, now);
    // A pen stroke being drawn only grows at its end: repaint just the new part.
    const std::optional<Annotation>& draft = m_controller->draft();
    const QRegion draftNow = draft ? draftRegion(*draft, 0) : QRegion();
    const bool grew = draft && m_lastDraft && draft->kind == Annotation::Kind::pen && draft->id == m_lastDraft->id
        && m_lastDraft->points > 0 && draft->points.size() >= m_lastDraft->points
        && samePoint(draft->points[m_lastDraft->points - 1], m_lastDraft->lastPoint);
    if (grew)
        dirty |= draft->points.size() > m_lastDraft->points ? draftRegion(*draft, m_lastDraft->points) : QRegion();
    else
        dirty |= m_lastDraftRegion | draftNow;
    m_lastDraftRegion = draftNow;
    if (draft)
        m_lastDraft = DraftMark { draft->id, draft->points.size(), draft->points.isEmpty() ? QPointF() : draft->points.last() };
    else
        m_lastDraft.reset();
    if (hole.has_value() != m_lastCropHole.has_value()) {
        dirty = rect();
    } else if (hole && *hole != *m_lastCropHole) {
        // The frame along the edges, and the handles at the corners and midpoints.
        const auto ring = [](const QRect& r) {
            QRegion edges = QRegion(r.adjusted(-2, -2, 2, 2)) - QRegion(r.adjusted(2, 2, -2, -2));
            for (const QPointF& p : boxHandlePoints(QRectF(r)))
                edges |= QRect(p.toPoint() - QPoint(8, 8), QSize(17, 17));
            return edges;
        };
        dirty |= (QRegion(*hole) ^ QRegion(*m_lastCropHole)) | ring(*hole) | ring(*m_lastCropHole);
    }
    m_lastOverlay = std::move(now);
    m_lastCropHole = hole;
    dirty &= rect();
    if (!dirty.isEmpty()) {
        m_dirty |= dirty;
        update(dirty);
    }
    m_floating->sync();
}

void AnnotationEditingLayer::invalidate()
{
    m_lastOverlay = overlayItems();
    m_lastDraftRegion = m_controller->draft() ? draftRegion(*m_controller->draft(), 0) : QRegion();
    m_lastDraft.reset();
    m_lastCropHole = cropHole();
    m_dirty = rect();
    update();
    m_floating->sync();
}

std::optional<QRect> AnnotationEditingLayer::cropHole() const
{
    EditorDocument* doc = document();
    const EditingFrame f = frame();
    if (!doc || doc->tool() != AnnotationTool::crop || !f.hasSize())
        return std::nullopt;
    const QRectF c = viewRectFromImageRect(f, doc->settings().cropRect.normalized());
    if (!std::isfinite(c.x() + c.y() + c.width() + c.height()))
        return QRect();
    return c.toAlignedRect().intersected(rect().adjusted(-16, -16, 16, 16));
}

QRegion AnnotationEditingLayer::draftRegion(const Annotation& draft, qsizetype fromPoint) const
{
    const EditingFrame f = frame();
    const QSizeF size = f.displaySize;
    const auto inPoints = [&](const QRectF& r) {
        return QRectF(r.x() * size.width(), r.y() * size.height(), r.width() * size.width(), r.height() * size.height());
    };
    const QRect bounds = rect().adjusted(-16, -16, 16, 16);
    const auto grown = [&](const QRectF& r, double margin) {
        if (!std::isfinite(r.x() + r.y() + r.width() + r.height()) || !std::isfinite(margin))
            return QRect();
        return r.adjusted(-margin, -margin, margin, margin).toAlignedRect().intersected(bounds);
    };
    if (draft.kind == Annotation::Kind::highlight)
        return QRegion(grown(inPoints(f.imageRectNorm), 2)) | grown(inPoints(draft.boundingRect()), 4);
    // Stroke, arrow head and shadow around the drawn span.
    const double shorter = std::min(size.width(), size.height());
    const double margin = 2 * annotationLineWidth(draft.lineWidthFraction, size) + std::max(shorter * 0.05, 10.0) + 4;
    if (draft.kind == Annotation::Kind::pen && fromPoint > 0 && fromPoint < draft.points.size()) {
        // Only the segments from the last known point on.
        Annotation tail = draft;
        tail.points = draft.points.mid(fromPoint - 1);
        return QRegion(grown(inPoints(tail.boundingRect()), margin));
    }
    return QRegion(grown(inPoints(draft.boundingRect()), margin));
}

QList<AnnotationEditingLayer::OverlayItem> AnnotationEditingLayer::overlayItems() const
{
    EditorDocument* doc = document();
    const EditingFrame f = frame();
    if (!doc || !f.hasSize())
        return {};
    const QSizeF size = f.displaySize;
    const QRect bounds = rect().adjusted(-16, -16, 16, 16);
    QList<OverlayItem> items;
    // An item is what it looks like (`look`) and where it is drawn.
    const auto add = [&](size_t look, const QRectF& r, double margin) {
        if (!std::isfinite(r.x() + r.y() + r.width() + r.height()))
            return;
        const QRect area = r.adjusted(-margin, -margin, margin, margin).toAlignedRect().intersected(bounds);
        if (!area.isEmpty())
            items.append({ qHashMulti(look, area.x(), area.y(), area.width(), area.height()), area });
    };
    enum Look : size_t { outline = 1, handle, blurRect };
    const auto addHandles = [&](const QRectF& r) {
        for (const QPointF& p : boxHandlePoints(r))
            add(handle, QRectF(p, QSizeF(0, 0)), EditingOverlay::handleSide / 2 + 3);
    };
    const auto inPoints = [&](const QRectF& r) {
        return QRectF(r.x() * size.width(), r.y() * size.height(), r.width() * size.width(), r.height() * size.height());
    };

    const std::optional<Annotation> selected = doc->selectedAnnotationValue();
    if (selected) {
        add(outline, EditingOverlay::annotationOutlineRect(*selected, size), 2);
        if (doc->tool() == AnnotationTool::select) {
            if (selected->kind == Annotation::Kind::arrow || selected->kind == Annotation::Kind::line) {
                add(handle, inPoints(QRectF(selected->start, QSizeF(0, 0))), EditingOverlay::handleSide / 2 + 3);
                add(handle, inPoints(QRectF(selected->end, QSizeF(0, 0))), EditingOverlay::handleSide / 2 + 3);
            } else if (selected->kind != Annotation::Kind::text && selected->kind != Annotation::Kind::pen) {
                addHandles(inPoints(selected->boundingRect()));
            }
        }
    }
    const QList<QRectF> manual = doc->manualRedactions();
    const std::optional<int> redaction = doc->selectedManualRedaction();
    if (redaction && *redaction >= 0 && *redaction < manual.size()) {
        const QRectF r = viewRectFromImageRect(f, manual[*redaction]);
        add(outline, EditingOverlay::redactionOutlineRect(r), 2);
        if (!selected && doc->tool() == AnnotationTool::select)
            addHandles(r);
    }
    if (const std::optional<QRectF>& b = m_controller->blurDraft())
        add(blurRect, inPoints(*b), 2);
    return items;
}

QRegion AnnotationEditingLayer::changedRegion(QList<OverlayItem> before, QList<OverlayItem> after)
{
    // Items drawn alike in both pictures need no repaint; every other one does, where it was and
    // where it is.
    const auto less = [](const OverlayItem& a, const OverlayItem& b) {
        return std::make_tuple(a.key, a.rect.left(), a.rect.top(), a.rect.right(), a.rect.bottom())
            < std::make_tuple(b.key, b.rect.left(), b.rect.top(), b.rect.right(), b.rect.bottom());
    };
    std::sort(before.begin(), before.end(), less);
    std::sort(after.begin(), after.end(), less);
    QList<OverlayItem> changed;
    std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(changed), less);
    QRegion region;
    for (const OverlayItem& item : changed)
        region |= item.rect;
    return region;
}

// ---- painting ----------------------------------------------------------------------------

void AnnotationEditingLayer::paintOverlays(QPainter& painter) const
{
    EditorDocument* doc = document();
    const EditingFrame f = frame();
    if (!doc || !f.hasSize())
        return;
    const QSizeF size = f.displaySize;
    const QRectF layerRect(QPointF(0, 0), size);
    const AnnotationTool tool = doc->tool();
    const std::optional<Annotation> selected = doc->selectedAnnotationValue();
    const std::optional<QUuid> editing = m_controller->editingTextID();
    const QList<QRectF> manual = doc->manualRedactions();
    const std::optional<int> redaction = doc->selectedManualRedaction();
    const bool redactionInRange = redaction && *redaction >= 0 && *redaction < manual.size();

    if (selected && !(selected->kind == Annotation::Kind::text && selected->id == editing))
        EditingOverlay::paintSelectionOutline(painter, EditingOverlay::annotationOutlineRect(*selected, size));
    if (redactionInRange) {
        const QRectF r = viewRectFromImageRect(f, manual[*redaction]);
        EditingOverlay::paintSelectionOutline(painter, EditingOverlay::redactionOutlineRect(r));
    }

    if (tool == AnnotationTool::select) {
        if (selected) {
            switch (selected->kind) {
            case Annotation::Kind::box:
            case Annotation::Kind::ellipse:
            case Annotation::Kind::highlight: {
                const QRectF r = selected->boundingRect();
                EditingOverlay::paintResizeHandles(painter,
                    QRectF(r.x() * size.width(), r.y() * size.height(), r.width() * size.width(), r.height() * size.height()));
                break;
            }
            case Annotation::Kind::arrow:
            case Annotation::Kind::line:
                EditingOverlay::paintResizeHandle(painter, QPointF(selected->start.x() * size.width(), selected->start.y() * size.height()));
                EditingOverlay::paintResizeHandle(painter, QPointF(selected->end.x() * size.width(), selected->end.y() * size.height()));
                break;
            case Annotation::Kind::text:
            case Annotation::Kind::pen:
                break;
            }
        } else if (redactionInRange) {
            EditingOverlay::paintResizeHandles(painter, viewRectFromImageRect(f, manual[*redaction]));
        }
    }

    if (const std::optional<Annotation>& draft = m_controller->draft()) {
        // One mark alone draws the same either way; only a highlight needs the dimming, whose
        // screenshot corner radius is in canvas points while the layer shows the canvas scaled.
        if (draft->kind == Annotation::Kind::highlight) {
            BeautifySettings shown = doc->settings();
            shown.cropRect = f.crop;
            const CanvasLayout layout = canvasLayout(doc->image(), shown);
            const double scale = layout.canvasWidth > 0 ? size.width() / layout.canvasWidth : 1.0;
            paintAnnotations(painter, layerRect, { *draft }, f.imageRectNorm, std::max(0.0, shown.radius) * scale);
        } else {
            paintAnnotation(painter, layerRect, *draft);
        }
    }

    if (const std::optional<QRectF>& b = m_controller->blurDraft()) {
        const QRectF r(b->x() * size.width(), b->y() * size.height(), b->width() * size.width(), b->height() * size.height());
        EditingOverlay::paintBlurDraft(painter, r, Theme::colorScheme(this) == ColorScheme::dark);
    }

    if (tool == AnnotationTool::crop) {
        const QRectF c = viewRectFromImageRect(f, doc->settings().cropRect.normalized());
        EditingOverlay::paintCropOverlay(painter, layerRect, c, boxHandlePoints(c));
    }
}

void AnnotationEditingLayer::paintEvent(QPaintEvent* event)
{
    m_dirty = QRegion();
    QPainter painter(this);
    // Qt clips to the changed region without saying so; said explicitly, the painters below can
    // skip work (shadows, dimming) outside it.
    painter.setClipRegion(event->region());
    paintOverlays(painter);
}

// ---- input -------------------------------------------------------------------------------

void AnnotationEditingLayer::press(QPointF position)
{
    // A drag whose release went elsewhere (a menu opened mid-drag) ends where it was last seen,
    // before this press starts its own; otherwise this press would carry it on.
    if (m_dragging || m_controller->isDragging())
        m_controller->handleDragEnded(m_dragStart, m_dragLast);
    m_dragging = true;
    m_dragStart = position;
    m_dragLast = position;
    m_controller->handleDragChanged(position, position);
}

void AnnotationEditingLayer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    press(event->position());
}

void AnnotationEditingLayer::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second press is still a press of the drag (unless its press already came).
    if (!m_dragging)
        mousePressEvent(event);
}

void AnnotationEditingLayer::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    m_dragLast = event->position();
    m_controller->handleDragChanged(m_dragStart, event->position());
}

void AnnotationEditingLayer::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_controller->handleDragEnded(m_dragStart, event->position());
}

namespace {
bool isDeleteKey(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && modifiers == Qt::NoModifier;
}
}

void AnnotationEditingLayer::keyPressEvent(QKeyEvent* event)
{
    if (isDeleteKey(event)) {
        m_controller->deleteCommand();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AnnotationEditingLayer::focusInEvent(QFocusEvent* event)
{
    m_controller->setCanvasFocused(true);
    QWidget::focusInEvent(event);
}

void AnnotationEditingLayer::focusOutEvent(QFocusEvent* event)
{
    m_controller->setCanvasFocused(false);
    QWidget::focusOutEvent(event);
}

bool AnnotationEditingLayer::event(QEvent* event)
{
    // With the keyboard here, Delete is this layer's (a selected redaction wins over the
    // annotation), not the window's shortcut, which would take it first.
    if (event->type() == QEvent::ShortcutOverride && isDeleteKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    const bool handled = QWidget::event(event);
    // The floating parts follow the layer wherever their host is.
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        m_floating->sync();
        break;
    default:
        break;
    }
    return handled;
}
