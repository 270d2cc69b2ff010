#include "app/WindowDragArea.h"

#include <QMouseEvent>
#include <QWindow>

WindowDragArea::WindowDragArea(QWidget* parent)
    : QWidget(parent)
{
}

void WindowDragArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    QWidget* host = window();
    QWindow* handle = host->windowHandle();
    m_systemMove = handle && handle->startSystemMove();
    m_dragging = !m_systemMove;
    m_pressGlobal = event->globalPosition().toPoint();
    m_windowStart = host->pos();
    event->accept();
}

void WindowDragArea::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        event->ignore();
        return;
    }
    window()->move(m_windowStart + (event->globalPosition().toPoint() - m_pressGlobal));
    event->accept();
}

void WindowDragArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        event->accept();
        return;
    }
    event->ignore();
}
