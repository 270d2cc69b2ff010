#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Asks where to save a file, without blocking: the desktop's own file chooser through
// xdg-desktop-portal where one answers, else Qt's dialog opened window-modal over `parent`.
// `done` runs once on the main thread with the chosen path, or none when the user cancelled.
// Only files matching `pattern` (e.g. "*.png") are offered; a typed name without the suffix
// gets it.
struct SaveRequest {
    QString title;
    QString suggestedName;
    QString filterName; // "PNG image"
    QString pattern;    // "*.png"
};
void askSavePath(QWidget* parent, const SaveRequest& request, std::function<void(std::optional<QString>)> done);

// Asks ahead, without waiting, whether the desktop's file chooser is there, so that not even the
// first export waits for a portal that is slow to answer.
void learnSaveDialogPortal();
