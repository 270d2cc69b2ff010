#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>

class CursorStack;
class PanController;
class QWidget;

// The stage's watch over the editor window's input, installed on the application so that it sees
// events before any widget: Space held (outside a text field) enters pan mode, the wheel pans
// unless the pointer is over a scroll area or a panel kept from panning (the inspector), and the
// middle button drags the canvas, except over a text field (X11 pastes the selection there).
// Events aimed at any other window pass untouched. Main thread.
class StageEventMonitor : public QObject {
    Q_OBJECT
public:
    StageEventMonitor(QWidget* stage, PanController& pan, CursorStack& cursors, QObject* parent = nullptr);
    ~StageEventMonitor() override;

    // Installing twice installs once. Removing leaves pan mode.
    void install();
    void remove();
    bool isInstalled() const { return m_installed; }
    // The wheel never pans over this widget: what it does not scroll itself goes nowhere.
    void keepWheelOver(QWidget* panel);

    // The decision for one event delivered to `target`: true swallows it.
    bool handle(QObject* target, QEvent* event);

    // Points the wheel pans per step of a wheel without pixel deltas.
    static constexpr double wheelStepPoints = 30;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inEditorWindow(QObject* target) const;
    // Whether `from` or a parent of it up to the window is a scroll area or a kept panel.
    bool keptFromPanning(QWidget* from, const QWidget* window) const;
    bool wheelPans(QWidget* target, QPointF globalPosition) const;
    void endMiddleDrag();

    QPointer<QWidget> m_stage;
    PanController& m_pan;
    CursorStack& m_cursors;
    bool m_installed = false;
    bool m_middleDragging = false;
    QPointF m_lastMiddle;
    QList<QPointer<QWidget>> m_wheelKept;
};

// Whether keyboard focus is in a widget that takes typed text.
bool focusTakesText();
// Whether the widget takes typed text (a line edit, a text view's viewport).
bool takesText(const QWidget* widget);
