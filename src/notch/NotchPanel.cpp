#include "notch/NotchPanel.h"

#include "notch/NotchPanelView.h"

#include <QResizeEvent>

NotchPanel::NotchPanel()
    : FloatingPanel(false)
{
    // Not "Lumaforge": that title marks the main window, which bringing the editor forward raises.
    setWindowTitle(QStringLiteral("Lumaforge Shot"));
    setObjectName(QStringLiteral("notchPanel"));
    setInputRegion(QRegion());
    // The panel never becomes the active window; without this Qt shows no tooltips in it, and
    // the buttons would never say what they do before they are pressed.
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void NotchPanel::setView(NotchPanelView* view)
{
    if (m_view) {
        m_view->disconnect(this);
        m_view->hide();
        m_retired.append(m_view);
    }
    m_view = view;
    view->setParent(this);
    view->setGeometry(rect());
    view->show();
    connect(view, &NotchPanelView::drawnRegionChanged, this, &NotchPanel::setInputRegion);
    setInputRegion(view->drawnRegion());
}

NotchPanelView* NotchPanel::view() const
{
    return m_view;
}

void NotchPanel::retireView()
{
    if (!m_view)
        return;
    m_view->disconnect(this);
    m_view->hide();
    m_retired.append(m_view);
    m_view = nullptr;
    setInputRegion(QRegion());
}

void NotchPanel::deleteRetiredViews()
{
    for (const QPointer<NotchPanelView>& view : std::exchange(m_retired, {})) {
        if (view)
            view->deleteLater();
    }
}

void NotchPanel::setInputRegion(const QRegion& region)
{
    if (region == m_inputRegion && !mask().isEmpty())
        return;
    m_inputRegion = region;
    // The window's shape is its input area (and clips its drawing, which only matters where
    // nothing is drawn). An empty mask would mean the whole window, so "nothing" keeps one
    // pixel in the corner, where the card never draws.
    setMask(region.isEmpty() ? QRegion(0, 0, 1, 1) : region);
}

void NotchPanel::resizeEvent(QResizeEvent* event)
{
    FloatingPanel::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
}
