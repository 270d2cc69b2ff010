#pragma once

#include <functional>

class QObject;
class QWidget;

// Runs `then` on the main thread once the display server no longer shows `window`, which the
// caller has just hidden: on X11 once the server reports its top-level window (the window
// manager's frame, where there is one) as no longer viewable, at most `timeoutMs` later, so a
// screenshot taken then does not show it. Elsewhere on the next turn of the event loop. Nothing
// runs when `context` is gone.
void callWhenOffScreen(QWidget* window, QObject* context, std::function<void()> then, int timeoutMs = 500);
