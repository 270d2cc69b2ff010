#pragma once

#include "editor_window/PanController.h"
#include "editor_window/StageLayout.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AnnotationEditingLayer;
class BeautifiedCanvas;
class EditorDocument;
class Preferences;
class SpringAnimation;
class StageEventMonitor;

// The centre of the editor: the document's canvas, fitted, zoomed and panned, with the editing
// layer laid exactly over it (the layer's crop buttons, text field and format bars live on the
// stage, as they may reach past the canvas). Clicks on the background around the canvas clear the
// selection; a double click copies and closes. Space-drag, the middle button and the wheel pan; a
// pinch zooms.
class CanvasStage : public QWidget {
    Q_OBJECT
public:
    CanvasStage(EditorDocument& document, Preferences& prefs, std::function<bool()> copyAndClose,
        QWidget* parent = nullptr);
    ~CanvasStage() override;

    // Runs `change` (a zoom of the document) and moves the canvas to the new zoom with a spring
    // (response 0.3 s, damping 0.8).
    void animateZoom(const std::function<void()>& change);

    PanController& pan() { return m_pan; }
    const CursorStack& cursors() const { return m_cursors; }
    StageEventMonitor& monitor() { return *m_monitor; }
    BeautifiedCanvas* canvas() const { return m_canvas; }
    AnnotationEditingLayer* editingLayer() const { return m_layer; }
    // Where the layout puts the canvas now, and where it is shown (they differ while animating).
    StageGeometry::Layout targetLayout() const { return m_target; }
    QRectF shownRect() const { return m_shown; }
    // Settles every running animation at its end (tests, screenshots).
    void finishAnimations();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void relayout(bool animated, double response = 0.35, double damping = 0.85);
    void placeChildren();
    void refreshContent();
    void clearSelection();
    void applyPinch(double magnification);
    void resetPanOffset();
    bool onBackground(QPointF position) const;

    EditorDocument& m_doc;
    Preferences& m_prefs;
    std::function<bool()> m_copyAndClose;
    PanController m_pan;
    CursorStack m_cursors;
    StageEventMonitor* m_monitor;
    BeautifiedCanvas* m_canvas;
    AnnotationEditingLayer* m_layer;
    QWidget* m_panOverlay;
    StageGeometry::Layout m_target;
    QRectF m_shown;
    QRectF m_motionFrom;
    SpringAnimation* m_motion;
    SpringAnimation* m_panReset;
    QSizeF m_panResetFrom;
    std::optional<double> m_activeGestureZoom;
    double m_pinchMagnification = 1;
    bool m_zoomAnimated = false;
};
