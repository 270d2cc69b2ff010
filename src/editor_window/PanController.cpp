#include "editor_window/PanController.h"

#include <QCursor>
#include <QGuiApplication>

void PanController::setSpaceHeld(bool held)
{
    if (held == m_spaceHeld)
        return;
    m_spaceHeld = held;
    Q_EMIT spaceHeldChanged(held);
}

void PanController::setOffset(QSizeF offset)
{
    if (offset == m_offset)
        return;
    m_offset = offset;
    Q_EMIT offsetChanged();
}

void CursorStack::push(Qt::CursorShape shape)
{
    QGuiApplication::setOverrideCursor(QCursor(shape));
    ++m_depth;
}

void CursorStack::set(Qt::CursorShape shape)
{
    if (m_depth > 0)
        QGuiApplication::changeOverrideCursor(QCursor(shape));
}

void CursorStack::pop()
{
    if (m_depth == 0)
        return;
    QGuiApplication::restoreOverrideCursor();
    --m_depth;
}

void CursorStack::clear()
{
    while (m_depth > 0)
        pop();
}
