#include "support/X11Probe.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
xcb_connection_t* connection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
}

namespace X11Probe {

uint32_t atom(const char* name)
{
    xcb_connection_t* c = connection();
    if (!c)
        return 0;
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr);
    const uint32_t a = reply ? reply->atom : 0;
    std::free(reply);
    return a;
}

QList<uint32_t> property32(QWidget* window, const char* property)
{
    QList<uint32_t> out;
    xcb_connection_t* c = connection();
    if (!c || !window)
        return out;
    auto cookie = xcb_get_property(c, 0, xcb_window_t(window->winId()), atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
            out.append(data[i]);
    }
    std::free(reply);
    return out;
}

bool xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}
