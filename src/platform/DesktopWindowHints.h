#pragma once

class QWidget;

// Window-manager hints for the floating panels, on X11 (and XWayland). Elsewhere they do
// nothing and the answers are the safe ones.
namespace DesktopWindowHints {

// Asks the window manager to show the top-level `window` on every virtual desktop. Call
// before the window is first shown.
void showOnAllDesktops(QWidget* window);

// Whether a compositing manager runs, so translucent window pixels really blend with what lies
// below (without one they show black).
bool compositorRunning();

}
