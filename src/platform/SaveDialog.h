#pragma once

#include <QString>

#include <functional>
#include <optional>

class QDBusConnection;
class QWidget;

// Asks where to save a file, without blocking: the desktop's own file chooser through
// xdg-desktop-portal where one answers, else Qt's dialog opened window-modal over `parent`.
// `done` runs once on the main thread with the chosen path, or none when the user cancelled.
// Only files matching `pattern` (e.g. "*.png") are offered; a typed name without the suffix
// gets it, and when a file of that name exists the user is asked before it is replaced.
struct SaveRequest {
    QString title;
    QString suggestedName;
    QString filterName; // "PNG image"
    QString pattern;    // "*.png"
};
void askSavePath(QWidget* parent, const SaveRequest& request, std::function<void(std::optional<QString>)> done);

// How long the desktop's file chooser is waited for: to take the request, then to answer it (the
// user choosing). A portal that keeps silent past either, or leaves the bus, is given up on and
// Qt's dialog asks instead, so an export is never left waiting for good.
struct SavePortalTimeouts {
    int acceptMs = 5000;
    int answerMs = 120000;
};
// The same over a given bus (tests use a private one).
void askSavePath(const QDBusConnection& bus, QWidget* parent, const SaveRequest& request,
    std::function<void(std::optional<QString>)> done, SavePortalTimeouts timeouts = {});

// Asks ahead, without waiting, whether the desktop's file chooser is there, so that not even the
// first export waits for a portal that is slow to answer.
void learnSaveDialogPortal();
