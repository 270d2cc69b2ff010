#include "platform/DesktopWindowHints.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
xcb_connection_t* connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}
}

namespace DesktopWindowHints {

void showOnAllDesktops(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    const xcb_atom_t desktop = internAtom(c, "_NET_WM_DESKTOP");
    if (desktop == XCB_ATOM_NONE)
        return;
    const uint32_t all = 0xFFFFFFFF; // EWMH: on all desktops
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), desktop, XCB_ATOM_CARDINAL, 32, 1, &all);
    xcb_flush(c);
}

bool compositorRunning()
{
    xcb_connection_t* c = connection();
    if (!c)
        return true; // other platforms blend translucent windows themselves
    // X screen 0: multi-monitor desktops use one X screen spread by RandR.
    const xcb_atom_t atom = internAtom(c, "_NET_WM_CM_S0");
    if (atom == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

}
