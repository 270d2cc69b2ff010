#include "platform/DesktopSession.h"

#include <QGuiApplication>

bool DesktopSession::isWayland() const
{
    const QString type = sessionType.trimmed().toLower();
    if (type == QLatin1String("wayland"))
        return true;
    if (type == QLatin1String("x11"))
        return false;
    return !waylandDisplay.isEmpty();
}

DesktopSession DesktopSession::current()
{
    return { qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("WAYLAND_DISPLAY"),
        QGuiApplication::platformName() == QLatin1String("xcb") };
}

HotkeyProvider chooseHotkeyProvider(const DesktopSession& session, bool portalOffersGlobalShortcuts)
{
    if (session.isWayland())
        return portalOffersGlobalShortcuts ? HotkeyProvider::portal : HotkeyProvider::none;
    return session.qtOnXcb ? HotkeyProvider::x11Grabs : HotkeyProvider::none;
}

ScreenshotProvider chooseScreenshotProvider(const DesktopSession& session, bool portalOffersScreenshot,
    bool xtestAvailable)
{
    if (portalOffersScreenshot)
        return ScreenshotProvider::portal;
    if (session.isWayland() || !session.qtOnXcb || !xtestAvailable)
        return ScreenshotProvider::none;
    return ScreenshotProvider::xtestKeys;
}
