#pragma once

#include "editor/EditingGeometry.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QRegion>
#include <QUuid>
#include <QWidget>

#include <array>
#include <optional>

class AnnotationEditController;
class EditingFloatingParts;
class EditorDocument;
class FormatBarContainer;
class FormatBarFactory;

// The interactive layer laid exactly over the rendered canvas. It draws what the canvas leaves
// out: the annotation being drawn, the blur rectangle, the selection outline and handles, the crop
// dimming, the inline text field of the text being typed and the format bars, and it turns mouse
// and key input into the gestures of AnnotationEditController. Finished marks, texts among them,
// are the canvas's: they lie under a highlight's dimming there, as in every render.
//
// The crop buttons, the inline text field and the format bars may reach past the canvas; they
// live in the overlay host (by default the layer itself), which the stage sets to a widget of its
// own size lying above the layer.
class AnnotationEditingLayer : public QWidget {
    Q_OBJECT
public:
    explicit AnnotationEditingLayer(EditorDocument* document, QWidget* parent = nullptr);
    ~AnnotationEditingLayer() override;

    EditorDocument* document() const;
    AnnotationEditController* controller() const { return m_controller; }

    // Where the canvas is drawn; the layer resizes itself to `displaySize`.
    EditingFrame frame() const;
    void setFrame(const EditingFrame& frame);
    // Whether the select tool may drag the screenshot (the stage passes "not balanced").
    void setShotDraggable(bool draggable);

    void setOverlayHost(QWidget* host);
    QWidget* overlayHost() const;
    // Not owned; the standard bars unless set, null shows empty ones.
    void setFormatBarFactory(FormatBarFactory* factory);

    // The floating parts, for the stage and for tests.
    QLineEdit* textField() const;
    QAbstractButton* cropCancelButton() const;
    QAbstractButton* cropConfirmButton() const;
    // The bar shown for the selection, if any (text, highlight or shape slot).
    FormatBarContainer* formatBar() const;

    // Draws everything but the floating widgets into a painter in layer points.
    void paintOverlays(QPainter& painter) const;
    // What changes since the last paint asked to repaint: the layer repaints only where its
    // drawing changed.
    QRegion dirtyRegion() const { return m_dirty; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void refresh();
    void press(QPointF position);
    // The overlays other than the crop dimming and the drawing in progress, each by its look and
    // where it is drawn (layer points); and where the drawing is, from one of its pen points on.
    struct OverlayItem {
        size_t key = 0;
        QRect rect;
    };
    QList<OverlayItem> overlayItems() const;
    static QRegion changedRegion(QList<OverlayItem> before, QList<OverlayItem> after);
    QRegion draftRegion(const Annotation& draft, qsizetype fromPoint) const;
    std::optional<QRect> cropHole() const;
    void invalidate();

    AnnotationEditController* m_controller;
    EditingFloatingParts* m_floating;
    bool m_dragging = false;
    QPointF m_dragStart;
    QPointF m_dragLast;
    QList<OverlayItem> m_lastOverlay;
    std::optional<QRect> m_lastCropHole;
    struct DraftMark {
        QUuid id;
        qsizetype points = 0;
        QPointF lastPoint;
    };
    std::optional<DraftMark> m_lastDraft;
    QRegion m_lastDraftRegion;
    QRegion m_dirty;
};
