#include "editor_window/StageEventMonitor.h"

#include "editor_window/PanController.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <utility>

bool takesText(const QWidget* widget)
{
    return widget && widget->testAttribute(Qt::WA_InputMethodEnabled) && widget->isEnabled();
}

bool focusTakesText()
{
    return takesText(QApplication::focusWidget());
}

StageEventMonitor::StageEventMonitor(QWidget* stage, PanController& pan, CursorStack& cursors, QObject* parent)
    : QObject(parent)
    , m_stage(stage)
    , m_pan(pan)
    , m_cursors(cursors)
{
}

StageEventMonitor::~StageEventMonitor()
{
    if (m_installed)
        qApp->removeEventFilter(this);
}

void StageEventMonitor::install()
{
    if (m_installed)
        return;
    qApp->installEventFilter(this);
    m_installed = true;
}

void StageEventMonitor::remove()
{
    if (m_installed)
        qApp->removeEventFilter(this);
    m_installed = false;
    // The release of a middle-button drag would now pass unseen: its closed hand goes here.
    endMiddleDrag();
    m_pan.setSpaceHeld(false);
}

void StageEventMonitor::endMiddleDrag()
{
    if (std::exchange(m_middleDragging, false))
        m_cursors.pop();
}

void StageEventMonitor::keepWheelOver(QWidget* panel)
{
    m_wheelKept.append(panel);
}

bool StageEventMonitor::eventFilter(QObject* watched, QEvent* event)
{
    return handle(watched, event);
}

bool StageEventMonitor::inEditorWindow(QObject* target) const
{
    // Widgets only: the window object sees the same input first and hands it to a widget.
    const auto* widget = qobject_cast<const QWidget*>(target);
    return widget && m_stage && widget->window() == m_stage->window();
}

bool StageEventMonitor::keptFromPanning(QWidget* from, const QWidget* window) const
{
    for (QWidget* w = from; w; w = w->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(w))
            return true;
        for (const QPointer<QWidget>& kept : m_wheelKept)
            if (kept == w)
                return true;
        if (w == window)
            break;
    }
    return false;
}

bool StageEventMonitor::wheelPans(QWidget* target, QPointF globalPosition) const
{
    // Decided by what lies under the pointer, found from the global position: a wheel event that
    // a scroll area at its end leaves unused travels on to the panel's parents, and the scroll
    // area hands the very event, still in its viewport's coordinates, to its scroll bar, so the
    // event's local position means a different point at each receiver. A receiver inside the
    // panel never pans either.
    QWidget* window = target->window();
    if (keptFromPanning(target, window))
        return false;
    QWidget* under = window->childAt(window->mapFromGlobal(globalPosition).toPoint());
    return !under || !keptFromPanning(under, window);
}

bool StageEventMonitor::handle(QObject* target, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space || !inEditorWindow(target))
            return false;
        const bool down = event->type() == QEvent::KeyPress;
        // A release always ends pan mode, even one that lands in a text field.
        if (!down && !key->isAutoRepeat())
            m_pan.setSpaceHeld(false);
        if (focusTakesText())
            return false;
        if (down)
            m_pan.setSpaceHeld(true);
        return true;
    }
    case QEvent::Wheel: {
        if (!inEditorWindow(target))
            return false;
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (!wheelPans(static_cast<QWidget*>(target), wheel->globalPosition()))
            return false;
        QPointF delta = wheel->pixelDelta();
        if (delta.isNull())
            delta = QPointF(wheel->angleDelta()) / 120.0 * wheelStepPoints;
        m_pan.moveBy(QSizeF(delta.x(), delta.y()));
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton || !inEditorWindow(target))
            return false;
        // The second press of a double click goes on with the drag its first press began.
        if (event->type() == QEvent::MouseButtonDblClick && m_middleDragging)
            return true;
        // A drag whose release went elsewhere (a menu took it) ends at the next press.
        endMiddleDrag();
        // Over a text field the middle button pastes the X11 selection.
        if (takesText(static_cast<QWidget*>(target)))
            return false;
        m_middleDragging = true;
        m_lastMiddle = mouse->globalPosition();
        m_cursors.push(Qt::ClosedHandCursor);
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_middleDragging || !inEditorWindow(target))
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::MiddleButton)) {
            endMiddleDrag(); // the release was lost
            return false;
        }
        const QPointF delta = mouse->globalPosition() - m_lastMiddle;
        m_lastMiddle = mouse->globalPosition();
        m_pan.moveBy(QSizeF(delta.x(), delta.y()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton || !m_middleDragging || !inEditorWindow(target))
            return false;
        endMiddleDrag();
        return true;
    }
    case QEvent::ApplicationDeactivate:
        // Focus gone: the Space release will go elsewhere.
        m_pan.setSpaceHeld(false);
        return false;
    case QEvent::WindowDeactivate:
        if (m_stage && target == m_stage->window())
            m_pan.setSpaceHeld(false);
        return false;
    default:
        return false;
    }
}
