#include "ui/FloatingPanel.h"

#include "platform/DesktopWindowHints.h"

namespace {
constexpr Qt::WindowFlags kBaseFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
    | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;
}

FloatingPanel::FloatingPanel(bool clickThrough, QWidget* parent)
    : QWidget(parent, kBaseFlags | (clickThrough ? Qt::WindowTransparentForInput : Qt::WindowFlags()))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

bool FloatingPanel::isClickThrough() const
{
    return windowFlags().testFlag(Qt::WindowTransparentForInput);
}

void FloatingPanel::setClickThrough(bool on)
{
    if (on == isClickThrough())
        return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowTransparentForInput, on);
    if (wasVisible)
        present();
}

void FloatingPanel::present()
{
    if (!isVisible()) // the window manager reads the desktop hint when the window is mapped
        DesktopWindowHints::showOnAllDesktops(this);
    show();
    raise();
}
