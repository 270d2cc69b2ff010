#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>

class CursorStack;
class PanController;
class QWidget;

// The stage's watch over the editor window's input, installed on the application so that it sees
// events before any widget: Space held (outside a text field) enters pan mode, the wheel pans
// unless it is over a scroll area, and the middle button drags the canvas. Events aimed at any
// other window pass untouched. Main thread.
class StageEventMonitor : public QObject {
    Q_OBJECT
public:
    StageEventMonitor(QWidget* stage, PanController& pan, CursorStack& cursors, QObject* parent = nullptr);
    ~StageEventMonitor() override;

    // Installing twice installs once. Removing leaves pan mode.
    void install();
    void remove();
    bool isInstalled() const { return m_installed; }

    // The decision for one event delivered to `target`: true swallows it.
    bool handle(QObject* target, QEvent* event);

    // Points the wheel pans per step of a wheel without pixel deltas.
    static constexpr double wheelStepPoints = 30;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inEditorWindow(QObject* target) const;

    QPointer<QWidget> m_stage;
    PanController& m_pan;
    CursorStack& m_cursors;
    bool m_installed = false;
    bool m_middleDragging = false;
    QPointF m_lastMiddle;
};

// Whether keyboard focus is in a widget that takes typed text.
bool focusTakesText();
