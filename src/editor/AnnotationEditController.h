#pragma once

#include "editor/EditingGeometry.h"
#include "model/Annotation.h"
#include "model/AnnotationTool.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class EditorDocument;

// What one drag does on the editor canvas, per tool: select, move and resize annotations and
// hand-drawn redactions, move the screenshot, draw, crop, place and edit text. It holds no widget,
// so the view only feeds it pointer locations (in the layer's points) and draws its state.
//
// Undo steps are taken only at a press that grabs something, at the commit of a drawing, a text
// or a blur rectangle, and at a delete; never while dragging, typing or cancelling a crop.
// Main thread only.
class AnnotationEditController : public QObject {
    Q_OBJECT
public:
    // Monotonic seconds; the second click on a text is timed with it.
    using Clock = std::function<double()>;
    static constexpr double doubleClickInterval = 0.45;
    static constexpr double clickDistance = 5.0; // points; exactly 5 is still a click

    explicit AnnotationEditController(EditorDocument* document, QObject* parent = nullptr);

    EditorDocument* document() const { return m_doc; }
    void setClock(Clock clock) { m_clock = std::move(clock); }

    const EditingFrame& frame() const { return m_frame; }
    void setFrame(const EditingFrame& frame);
    bool shotDraggable() const { return m_shotDraggable; }
    void setShotDraggable(bool draggable) { m_shotDraggable = draggable; }

    // The drag gesture, in the layer's points: every event while the button is down (the first at
    // the press itself), then the release.
    void handleDragChanged(QPointF startLocation, QPointF location);
    void handleDragEnded(QPointF startLocation, QPointF location);

    // Delete key: the selected hand-drawn redaction wins over the selected annotation.
    void deleteCommand();
    // Crop buttons: cancel restores the crop in force when the tool was entered.
    void cancelCrop();
    void confirmCrop();

    // Inline text editing. The text of the annotation being edited ("" without one); setting it
    // writes only that annotation's text, without an undo step.
    QString editedText() const;
    void setEditedText(const QString& text);
    // Ends the inline edit (Return, next press, tool change); an emptied text is removed.
    void finishTextEditing();

    // Reactions to the document, connected by the constructor (not run for the values present
    // when the controller is made).
    void toolChanged(AnnotationTool oldTool, AnnotationTool newTool);
    void editingAnnotationChanged(const std::optional<QUuid>& id);

    // State the view draws.
    const std::optional<Annotation>& draft() const { return m_draft; }
    const std::optional<QRectF>& blurDraft() const { return m_blurDraft; } // canvas-normalised
    std::optional<QUuid> editingTextID() const { return m_editingTextID; }
    bool textFocused() const { return m_textFocused; }
    bool canvasFocused() const { return m_canvasFocused; }
    void setCanvasFocused(bool focused);
    std::optional<QRectF> cropOnEnter() const { return m_cropOnEnter; }
    std::optional<QUuid> pendingSelectID() const { return m_pendingSelectID; }
    bool isDragging() const { return m_gestureStarted; }
    // The line-width field's text, shared with the format bars.
    QString* widthText() { return &m_widthText; }

Q_SIGNALS:
    // Something the view draws changed (drafts, editing state, focus).
    void changed();
    void textFocusedChanged(bool focused);
    void canvasFocusedChanged(bool focused);

private:
    void beginGesture(QPointF s);
    void updateGesture(QPointF p);
    void endGesture(QPointF p, bool moved);
    void resetGesture();
    bool beginResize(QPointF s);
    bool beginMoveAtPoint(QPointF s);
    void applyResizedAnnotation(const Annotation& base, ResizeHandle handle, QPointF p);
    void beginTextEditing(const Annotation& a);
    void setTextFocused(bool focused);
    void pushUndo();
    // Writes the annotation list with the annotation of `id` changed; false when it is gone.
    bool editAnnotation(const QUuid& id, const std::function<void(Annotation&)>& change);
    void removeAnnotations(const std::function<bool(const Annotation&)>& matches);
    void documentHistoryChanged();
    Annotation newAnnotation(Annotation::Kind kind, QPointF at) const;

    QPointer<EditorDocument> m_doc;
    Clock m_clock;
    EditingFrame m_frame;
    bool m_shotDraggable = true;
    AnnotationTool m_lastTool;
    // Set while this controller writes to the document, so its own undo steps are not taken
    // for someone else's.
    int m_writing = 0;

    std::optional<Annotation> m_draft;
    bool m_gestureStarted = false;
    QPointF m_startNorm;
    std::optional<QUuid> m_movingID;
    std::optional<Annotation> m_moveOriginal;
    bool m_movingShot = false;
    QSizeF m_shotOffsetOriginal;
    std::optional<QRectF> m_blurDraft;
    std::optional<int> m_movingManualIdx;
    std::optional<QRectF> m_manualMoveOriginal;
    QString m_widthText = QStringLiteral("3");
    std::optional<CropHandle> m_cropHandle;
    std::optional<QRectF> m_cropOriginal;
    std::optional<QRectF> m_cropOnEnter;
    std::optional<ResizeHandle> m_resizeHandle;
    std::optional<Annotation> m_resizeAnnotationBase;
    std::optional<int> m_resizeRedactionIdx;
    std::optional<QRectF> m_resizeRedactionBase;
    std::optional<QUuid> m_pendingSelectID;
    struct TextClick {
        QUuid id;
        double time = 0;
    };
    std::optional<TextClick> m_lastTextClick;
    std::optional<QUuid> m_editingTextID;
    bool m_textFocused = false;
    bool m_canvasFocused = false;
};
