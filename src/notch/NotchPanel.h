#pragma once

#include "ui/FloatingPanel.h"

#include <QList>
#include <QPointer>
#include <QRegion>

// The notch panel's window: frameless, above other windows and the desktop's top bar, on every
// desktop, never taking focus but taking the pointer where its view draws something. Its
// transparent margins let clicks through: the window's input area is the view's region.
class NotchPanelView;

class NotchPanel final : public FloatingPanel {
    Q_OBJECT
public:
    NotchPanel();

    // Installs the view of a new presentation, filling the panel. The previous view is hidden
    // and kept until deleteRetiredViews(): a drag may still be running from it.
    void setView(NotchPanelView* view);
    NotchPanelView* view() const;
    void deleteRetiredViews();
    // Retires the current view too, leaving the hidden panel empty: a view holds its shot's
    // full-size images.
    void retireView();

    // Where the pointer is taken; elsewhere clicks reach the windows below. An empty region
    // takes nothing.
    void setInputRegion(const QRegion& region);
    QRegion inputRegion() const { return m_inputRegion; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<NotchPanelView> m_view;
    QList<QPointer<NotchPanelView>> m_retired;
    QRegion m_inputRegion;
};
