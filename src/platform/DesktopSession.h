#pragma once

#include <QString>

// What decides how hot keys and captures can work in this session. XWayland sets DISPLAY on
// every Wayland session, so the session variables, not Qt's platform, say whether the desktop
// is Wayland: root-window grabs under XWayland only see keys while one of its windows has focus,
// and synthetic keys through it never reach the compositor.
struct DesktopSession {
    QString sessionType; // $XDG_SESSION_TYPE
    QString waylandDisplay; // $WAYLAND_DISPLAY
    bool qtOnXcb = false; // Qt talks to an X server (ours, or XWayland)

    // "wayland" or "x11" in XDG_SESSION_TYPE decides; without it, WAYLAND_DISPLAY does.
    bool isWayland() const;

    static DesktopSession current();
};

enum class HotkeyProvider { x11Grabs, portal, none };
enum class ScreenshotProvider { portal, xtestKeys, none };

// Wayland: the portal's GlobalShortcuts where the desktop offers it, else none. X11: key grabs
// on the root window while Qt runs on the X server.
HotkeyProvider chooseHotkeyProvider(const DesktopSession& session, bool portalOffersGlobalShortcuts);
// Wayland: only the portal. X11: the portal where it runs, else the desktop's own keys through
// XTEST.
ScreenshotProvider chooseScreenshotProvider(const DesktopSession& session, bool portalOffersScreenshot,
    bool xtestAvailable);
