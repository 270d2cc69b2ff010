#include "app/WindowConfigurator.h"

#include <QEvent>
#include <QLayout>

#include <cmath>

WindowConfigurator::WindowConfigurator(qreal toolbarHeight, QWidget* parent)
    : QWidget(parent)
    , m_toolbarHeight(toolbarHeight)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(0, 0);
    attach();
}

bool WindowConfigurator::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
        attach();
    return QWidget::event(event);
}

bool WindowConfigurator::eventFilter(QObject* watched, QEvent* event)
{
    // The content's minimum changes whenever its layout does.
    if (watched == m_window && event->type() == QEvent::LayoutRequest)
        applyMinimumSize();
    return false;
}

void WindowConfigurator::attach()
{
    QWidget* host = window();
    if (host == this || !host || host == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = host;
    // Keep the desktop's decorations: a frameless window could not be moved or resized by the
    // window manager's own handles.
    if (host->windowFlags().testFlag(Qt::FramelessWindowHint))
        host->setWindowFlag(Qt::FramelessWindowHint, false);
    host->installEventFilter(this);
    applyMinimumSize();
}

void WindowConfigurator::applyMinimumSize()
{
    if (!m_window)
        return;
    QSize minimum = m_window->layout() ? m_window->layout()->totalMinimumSize() : m_window->minimumSizeHint();
    minimum = minimum.expandedTo(QSize(0, int(std::ceil(m_toolbarHeight))));
    if (minimum.isValid() && m_window->minimumSize() != minimum)
        m_window->setMinimumSize(minimum);
}
