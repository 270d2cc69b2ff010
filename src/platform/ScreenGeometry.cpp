#include "platform/ScreenGeometry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

QScreen* DesktopScreenGeometry::mainScreen()
{
    if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

std::optional<QRect> DesktopScreenGeometry::mainScreenFrame() const
{
    if (QScreen* screen = mainScreen())
        return screen->geometry();
    return std::nullopt;
}

int DesktopScreenGeometry::topInset() const
{
    QScreen* screen = mainScreen();
    if (!screen)
        return 0;
    // A bar at the bottom or side leaves the top where it is; only a top bar counts.
    return std::max(0, screen->availableGeometry().top() - screen->geometry().top());
}

ScreenGeometry& ScreenGeometry::shared()
{
    static DesktopScreenGeometry geometry;
    return geometry;
}
