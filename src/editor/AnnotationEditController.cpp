#include "editor/AnnotationEditController.h"

#include "editor/AnnotationRef.h"
#include "editor/EditorDocument.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace EditingGeometry;

namespace {
double monotonicSeconds()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return double(timer.nsecsElapsed()) / 1e9;
}

// Clamp that never lets a NaN through.
double clampFinite(double v, double lo, double hi)
{
    if (std::isnan(v))
        return 0 < lo ? lo : (0 > hi ? hi : 0);
    return std::clamp(v, lo, hi);
}

bool finitePoint(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

QRectF spanned(QPointF a, QPointF b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
}

bool halfOpenContains(const QRectF& r, QPointF p)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

struct Writing {
    int& depth;
    explicit Writing(int& d)
        : depth(d)
    {
        ++depth;
    }
    ~Writing() { --depth; }
};
}

AnnotationEditController::AnnotationEditController(EditorDocument* document, QObject* parent)
    : QObject(parent)
    , m_doc(document)
    , m_clock(monotonicSeconds)
    , m_lastTool(document ? document->tool() : AnnotationTool::select)
{
    if (!document)
        return;
    connect(document, &EditorDocument::toolChanged, this, [this] {
        const AnnotationTool newTool = m_doc->tool();
        const AnnotationTool oldTool = std::exchange(m_lastTool, newTool);
        toolChanged(oldTool, newTool);
    });
    connect(document, &EditorDocument::editingAnnotationIDChanged, this,
        [this] { editingAnnotationChanged(m_doc->editingAnnotationID()); });
    connect(document, &EditorDocument::historyChanged, this, &AnnotationEditController::documentHistoryChanged);
}

void AnnotationEditController::setFrame(const EditingFrame& frame)
{
    m_frame = frame;
}

void AnnotationEditController::setCanvasFocused(bool focused)
{
    if (m_canvasFocused == focused)
        return;
    m_canvasFocused = focused;
    Q_EMIT canvasFocusedChanged(focused);
}

void AnnotationEditController::setTextFocused(bool focused)
{
    if (m_textFocused == focused)
        return;
    m_textFocused = focused;
    Q_EMIT textFocusedChanged(focused);
}

void AnnotationEditController::pushUndo()
{
    Writing w(m_writing);
    m_doc->pushUndo();
}

// ---- the drag ----------------------------------------------------------------------------

void AnnotationEditController::handleDragChanged(QPointF startLocation, QPointF location)
{
    if (!m_doc)
        return;
    const QPointF p = normalizedPoint(m_frame, location);
    if (!m_gestureStarted) {
        m_gestureStarted = true;
        m_startNorm = normalizedPoint(m_frame, startLocation);
        beginGesture(m_startNorm);
    }
    updateGesture(p);
    Q_EMIT changed();
}

void AnnotationEditController::handleDragEnded(QPointF startLocation, QPointF location)
{
    if (!m_doc)
        return;
    const QPointF p = normalizedPoint(m_frame, location);
    const QPointF d = location - startLocation;
    // NaN distances count as a click.
    const bool moved = std::hypot(d.x(), d.y()) > clickDistance;
    endGesture(p, moved);
    resetGesture();
    Q_EMIT changed();
}

void AnnotationEditController::resetGesture()
{
    m_gestureStarted = false;
    m_movingID.reset();
    m_moveOriginal.reset();
    m_movingShot = false;
    m_movingManualIdx.reset();
    m_manualMoveOriginal.reset();
    m_cropHandle.reset();
    m_cropOriginal.reset();
    m_resizeHandle.reset();
    m_resizeAnnotationBase.reset();
    m_resizeRedactionIdx.reset();
    m_resizeRedactionBase.reset();
}

Annotation AnnotationEditController::newAnnotation(Annotation::Kind kind, QPointF at) const
{
    Annotation a;
    a.id = QUuid::createUuid();
    a.kind = kind;
    a.start = at;
    a.end = at;
    if (kind == Annotation::Kind::pen)
        a.points = { at };
    a.text = kind == Annotation::Kind::text ? QString() : QStringLiteral("Text");
    a.colorHex = m_doc->annotationColor();
    a.fontFraction = 0.05;
    a.fontName = kind == Annotation::Kind::text ? m_doc->annotationFont() : std::nullopt;
    a.alignment = Annotation::Align::leading;
    a.lineWidthFraction = 3.0;
    a.highlightFullCanvas = false;
    a.dashed = false;
    a.fillOpacity = 0;
    return a;
}

void AnnotationEditController::beginGesture(QPointF s)
{
    finishTextEditing();
    const AnnotationTool tool = m_doc->tool();
    switch (tool) {
    case AnnotationTool::select:
        if (beginResize(s) || beginMoveAtPoint(s))
            return;
        if (m_shotDraggable && halfOpenContains(m_frame.shotRectNorm, s)) {
            m_doc->setSelectedAnnotation(std::nullopt);
            m_movingShot = true;
            m_shotOffsetOriginal = m_doc->settings().shotOffset;
            pushUndo();
            return;
        }
        m_doc->setSelectedAnnotation(std::nullopt);
        m_doc->setSelectedManualRedaction(std::nullopt);
        return;
    case AnnotationTool::text:
        return;
    case AnnotationTool::blur:
        m_blurDraft = QRectF(s, QSizeF(0, 0));
        return;
    case AnnotationTool::crop: {
        m_cropOriginal = m_doc->settings().cropRect.normalized();
        m_cropHandle = cropHandleAt(m_frame, m_doc->settings().cropRect, s);
        if (m_cropHandle)
            pushUndo();
        return;
    }
    default:
        if (const std::optional<Annotation::Kind> kind = annotationKind(tool))
            m_draft = newAnnotation(*kind, s);
        return;
    }
}

bool AnnotationEditController::beginResize(QPointF s)
{
    const std::optional<ResizeHandle> h = resizeHandleAt(m_frame, *m_doc, s);
    if (!h)
        return false;
    m_resizeHandle = h;
    if (const std::optional<Annotation> a = m_doc->selectedAnnotationValue()) {
        m_resizeAnnotationBase = a;
    } else {
        const std::optional<int> i = m_doc->selectedManualRedaction();
        const QList<QRectF> manual = m_doc->manualRedactions();
        if (i && *i >= 0 && *i < manual.size()) {
            m_resizeRedactionIdx = i;
            m_resizeRedactionBase = manual[*i];
        }
    }
    setCanvasFocused(true);
    pushUndo();
    return true;
}

bool AnnotationEditController::beginMoveAtPoint(QPointF s)
{
    if (const std::optional<Annotation> a = hitAnnotation(m_doc->annotations(), s)) {
        m_doc->setSelectedAnnotation(a->id);
        m_doc->setSelectedManualRedaction(std::nullopt);
        m_movingID = a->id;
        m_moveOriginal = a;
        setCanvasFocused(true);
        pushUndo();
        return true;
    }
    if (!halfOpenContains(m_frame.imageRectNorm, s))
        return false;
    const std::optional<int> i = m_doc->manualRedactionIndex(imagePointFromCanvas(m_frame, s));
    if (!i)
        return false;
    m_doc->setSelectedAnnotation(std::nullopt);
    m_doc->setSelectedManualRedaction(i);
    m_movingManualIdx = i;
    m_manualMoveOriginal = m_doc->manualRedactions().value(*i);
    setCanvasFocused(true);
    pushUndo();
    return true;
}

void AnnotationEditController::updateGesture(QPointF p)
{
    Writing w(m_writing);
    const QPointF total = p - m_startNorm;

    if (m_resizeHandle && m_resizeAnnotationBase) {
        applyResizedAnnotation(*m_resizeAnnotationBase, *m_resizeHandle, p);
        return;
    }
    if (m_resizeHandle) {
        if (!m_resizeRedactionIdx || !m_resizeRedactionBase)
            return;
        const std::optional<QPointF> d = manualRedactionDelta(m_frame, total);
        if (!d || !finitePoint(*d))
            return;
        m_doc->updateManualRedaction(*m_resizeRedactionIdx,
            resizedRect(imageHandle(m_frame, *m_resizeHandle), *m_resizeRedactionBase, d->x(), d->y()));
        return;
    }
    const AnnotationTool tool = m_doc->tool();
    if (tool == AnnotationTool::crop) {
        if (!m_cropHandle || !m_cropOriginal)
            return;
        const std::optional<QPointF> d = cropDelta(m_frame, total);
        if (!d || !finitePoint(*d))
            return;
        BeautifySettings s = m_doc->settings();
        s.cropRect = resizedCropRect(imageHandle(m_frame, *m_cropHandle), *m_cropOriginal, d->x(), d->y());
        m_doc->setSettings(s);
        return;
    }
    if (tool == AnnotationTool::blur && m_blurDraft) {
        const QRectF& i = m_frame.imageRectNorm;
        const auto into = [&i](QPointF q) {
            return QPointF(clampFinite(q.x(), std::min(i.left(), i.right()), std::max(i.left(), i.right())),
                clampFinite(q.y(), std::min(i.top(), i.bottom()), std::max(i.top(), i.bottom())));
        };
        m_blurDraft = spanned(into(m_startNorm), into(p));
        return;
    }
    if (m_movingShot) {
        BeautifySettings s = m_doc->settings();
        s.shotOffset = QSizeF(clampFinite(m_shotOffsetOriginal.width() + total.x(), -0.5, 0.5),
            clampFinite(m_shotOffsetOriginal.height() + total.y(), -0.5, 0.5));
        m_doc->setSettings(s);
        return;
    }
    if (m_movingManualIdx && m_manualMoveOriginal) {
        const std::optional<QPointF> d = manualRedactionDelta(m_frame, total);
        if (!d || !finitePoint(*d))
            return;
        const QRectF& r = *m_manualMoveOriginal;
        const double x = std::min(std::max(r.left() + d->x(), 0.0), 1 - r.width());
        const double y = std::min(std::max(r.top() + d->y(), 0.0), 1 - r.height());
        m_doc->updateManualRedaction(*m_movingManualIdx, QRectF(x, y, r.width(), r.height()));
        return;
    }
    if (m_draft) {
        if (m_draft->kind == Annotation::Kind::pen)
            m_draft->points.append(p);
        m_draft->end = p;
        return;
    }
    if (!m_movingID || !m_moveOriginal)
        return;
    Annotation moved = *m_moveOriginal;
    moved.translate(total.x(), total.y());
    editAnnotation(*m_movingID, [&moved](Annotation& a) {
        a.start = moved.start;
        a.end = moved.end;
        a.points = moved.points;
    });
}

void AnnotationEditController::applyResizedAnnotation(const Annotation& base, ResizeHandle handle, QPointF p)
{
    editAnnotation(base.id, [&](Annotation& a) {
        if (handle == ResizeHandle::endPoint) {
            a.end = p;
        } else if (handle == ResizeHandle::startPoint) {
            a.start = p;
        } else {
            const QPointF d = p - m_startNorm;
            const QRectF r = resizedRect(handle, base.boundingRect(), d.x(), d.y());
            a.start = r.topLeft();
            a.end = r.bottomRight();
        }
    });
}

void AnnotationEditController::endGesture(QPointF p, bool moved)
{
    if (m_movingShot || m_movingManualIdx || m_resizeHandle)
        return;
    const AnnotationTool tool = m_doc->tool();
    if (tool == AnnotationTool::crop)
        return;
    if (tool == AnnotationTool::blur && m_blurDraft) {
        const QRectF b = *std::exchange(m_blurDraft, std::nullopt);
        const QPointF a = imagePointFromCanvas(m_frame, b.topLeft());
        const QPointF c = imagePointFromCanvas(m_frame, b.bottomRight());
        Writing w(m_writing);
        m_doc->addManualRedaction(spanned(a, c));
        return;
    }
    if (!m_draft) {
        if (tool == AnnotationTool::text && !moved) {
            const Annotation a = newAnnotation(Annotation::Kind::text, p);
            {
                Writing w(m_writing);
                m_doc->addAnnotation(a);
            }
            beginTextEditing(a);
        } else if (tool == AnnotationTool::select && !moved) {
            const std::optional<Annotation> a = hitAnnotation(m_doc->annotations(), p);
            if (a && a->kind == Annotation::Kind::text) {
                const double now = m_clock();
                if (m_lastTextClick && m_lastTextClick->id == a->id && now - m_lastTextClick->time < doubleClickInterval) {
                    beginTextEditing(*a);
                    m_lastTextClick.reset();
                } else {
                    m_lastTextClick = TextClick { a->id, now };
                }
            }
        }
        return;
    }
    const Annotation d = *std::exchange(m_draft, std::nullopt);
    const bool keep = d.kind == Annotation::Kind::pen
        ? d.points.size() > 2
        : (std::abs(d.end.x() - d.start.x()) > 0.01 || std::abs(d.end.y() - d.start.y()) > 0.01);
    if (!keep)
        return;
    {
        Writing w(m_writing);
        m_doc->addAnnotation(d);
    }
    // The tool change below runs toolChanged at once, which selects this id.
    m_pendingSelectID = d.id;
    m_doc->setTool(AnnotationTool::select);
}

// ---- text editing ------------------------------------------------------------------------

void AnnotationEditController::beginTextEditing(const Annotation& a)
{
    m_doc->setSelectedAnnotation(a.id);
    m_editingTextID = a.id;
    m_doc->setEditingAnnotationID(a.id);
    m_doc->setEditingText(true);
    // The field shows on this change; focus it once it is there.
    QTimer::singleShot(0, this, [this, id = a.id] {
        if (m_editingTextID == id)
            setTextFocused(true);
    });
    Q_EMIT changed();
}

void AnnotationEditController::finishTextEditing()
{
    if (!m_doc)
        return;
    if (const std::optional<QUuid> id = std::exchange(m_editingTextID, std::nullopt)) {
        const std::optional<Annotation> edited = AnnotationRef(m_doc, *id).value();
        if (edited && edited->text.isEmpty())
            removeAnnotations([&](const Annotation& a) { return a.id == *id; });
    }
    m_doc->setEditingAnnotationID(std::nullopt);
    m_doc->setEditingText(false);
    setTextFocused(false);
    Q_EMIT changed();
}

QString AnnotationEditController::editedText() const
{
    if (!m_doc || !m_editingTextID)
        return {};
    const std::optional<Annotation> edited = AnnotationRef(m_doc, *m_editingTextID).value();
    return edited ? edited->text : QString();
}

void AnnotationEditController::setEditedText(const QString& text)
{
    if (!m_doc || !m_editingTextID)
        return;
    Writing w(m_writing);
    editAnnotation(*m_editingTextID, [&text](Annotation& a) { a.text = text; });
}

// ---- reactions and commands --------------------------------------------------------------

void AnnotationEditController::toolChanged(AnnotationTool oldTool, AnnotationTool newTool)
{
    finishTextEditing();
    removeAnnotations([](const Annotation& a) { return a.kind == Annotation::Kind::text && a.text.isEmpty(); });
    m_doc->setSelectedAnnotation(std::exchange(m_pendingSelectID, std::nullopt));
    m_doc->setSelectedManualRedaction(std::nullopt);
    resetGesture();
    m_blurDraft.reset();
    m_draft.reset();
    if (newTool == AnnotationTool::crop && oldTool != AnnotationTool::crop)
        m_cropOnEnter = m_doc->settings().cropRect;
    Q_EMIT changed();
}

void AnnotationEditController::editingAnnotationChanged(const std::optional<QUuid>& id)
{
    if (id || !m_editingTextID)
        return;
    const QUuid editing = *std::exchange(m_editingTextID, std::nullopt);
    removeAnnotations([&](const Annotation& a) { return a.id == editing && a.text.isEmpty(); });
    setTextFocused(false);
    Q_EMIT changed();
}

void AnnotationEditController::deleteCommand()
{
    if (!m_doc)
        return;
    {
        Writing w(m_writing);
        // A stale redaction index deletes nothing; the selected annotation goes instead of nothing.
        if (!(m_doc->selectedManualRedaction() && m_doc->deleteSelectedManualRedaction())) {
            if (m_doc->selectedManualRedaction())
                m_doc->setSelectedManualRedaction(std::nullopt);
            m_doc->deleteSelectedAnnotation();
        }
    }
    // A drag that grabbed something lets go of it: a redaction's index now names its neighbour,
    // which the drag's next step would otherwise move over the deleted one's place.
    if (m_gestureStarted) {
        resetGesture();
        m_gestureStarted = true;
        Q_EMIT changed();
    }
}

void AnnotationEditController::cancelCrop()
{
    if (!m_doc)
        return;
    if (m_cropOnEnter) {
        BeautifySettings s = m_doc->settings();
        s.cropRect = *m_cropOnEnter;
        Writing w(m_writing);
        m_doc->setSettings(s);
    }
    m_doc->setTool(AnnotationTool::select);
}

void AnnotationEditController::confirmCrop()
{
    if (m_doc)
        m_doc->setTool(AnnotationTool::select);
}

// ---- helpers -----------------------------------------------------------------------------

bool AnnotationEditController::editAnnotation(const QUuid& id, const std::function<void(Annotation&)>& change)
{
    return AnnotationRef(m_doc, id).edit(change);
}

void AnnotationEditController::removeAnnotations(const std::function<bool(const Annotation&)>& matches)
{
    QList<Annotation> list = m_doc->annotations();
    if (list.removeIf(matches) > 0) {
        Writing w(m_writing);
        m_doc->setAnnotations(list);
    }
}

void AnnotationEditController::documentHistoryChanged()
{
    // Someone else stepped the history (undo during a drag): what was grabbed at the press may be
    // gone or restored, so the drag stops acting on it rather than writing over the result.
    if (m_writing || !m_gestureStarted)
        return;
    // The drag stays started, so its remaining events grab nothing new.
    resetGesture();
    m_gestureStarted = true;
    Q_EMIT changed();
}
