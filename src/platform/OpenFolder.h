#pragma once

#include <QString>

#include <functional>

class QObject;

// Shows a local folder in the desktop's file manager, without blocking. xdg-open, where it is
// found, is run and watched, since it starts whether or not anything can open a folder: when it
// cannot be started, or ends in failure within a few seconds (nothing handles folders, as on a
// desktop without a file manager), `failed` runs on the main thread with why in the user's words,
// while `context` lives, and the log gets one line. Without xdg-open, Qt's own launchers are
// tried, and their refusal is the failure. Main thread only.
void openFolder(const QString& folder, QObject* context, std::function<void(const QString& reason)> failed);

// The folder as the user knows it: "~/Pictures/Screenshots" for one in the home folder.
QString folderForDisplay(const QString& folder);
