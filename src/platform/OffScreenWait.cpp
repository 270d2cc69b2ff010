#include "platform/OffScreenWait.h"

#include "core/Log.h"
#include "platform/X11Connection.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {
constexpr int kPollMs = 5;

// The window's ancestor that is a child of the root: what the screen shows of it.
xcb_window_t topLevelOf(xcb_connection_t* c, xcb_window_t window)
{
    for (int depth = 0; depth < 16; ++depth) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
        if (!tree)
            return window;
        const xcb_window_t parent = tree->parent, root = tree->root;
        std::free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE)
            return window;
        window = parent;
    }
    return window;
}

// A round trip: the answer reflects every request sent before it, the unmap among them.
bool viewable(xcb_connection_t* c, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* attributes
        = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (!attributes)
        return false; // gone
    const bool shown = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return shown;
}
}

void callWhenOffScreen(QWidget* window, QObject* context, std::function<void()> then, int timeoutMs)
{
    xcb_connection_t* c = X11Connection::qt();
    const WId id = window ? window->internalWinId() : 0;
    if (!c || !id) {
        QTimer::singleShot(0, context, std::move(then));
        return;
    }
    const xcb_window_t top = topLevelOf(c, xcb_window_t(id));
    if (!viewable(c, top)) {
        QTimer::singleShot(0, context, std::move(then));
        return;
    }
    // The window manager unmaps its frame once it has seen ours go.
    auto* poll = new QTimer(context);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(poll, &QTimer::timeout, context, [poll, c, top, elapsed, timeoutMs, then = std::move(then)] {
        const bool timedOut = elapsed->elapsed() >= timeoutMs;
        if (viewable(c, top) && !timedOut)
            return;
        if (timedOut)
            logLine(QStringLiteral("a hidden window was still on screen after %1 ms").arg(timeoutMs));
        poll->deleteLater();
        poll->stop();
        then();
    });
    poll->start(kPollMs);
}
