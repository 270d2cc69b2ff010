#pragma once

#include <QString>

// Where the application keeps its files, following the XDG base directories.
namespace AppPaths {
QString configDir();        // $XDG_CONFIG_HOME/lumaforge
QString settingsFile();     // $XDG_CONFIG_HOME/lumaforge/settings.json
QString dataDir();          // $XDG_DATA_HOME/lumaforge (created on demand)
QString autostartDir();     // $XDG_CONFIG_HOME/autostart
// A private per-user folder (mode 0700) for drag-out and other temporary files and the instance
// lock; created on demand under $XDG_RUNTIME_DIR, else (unset, or no folder we can write to)
// under the system temporary folder. A folder that is not ours or that others can write to is
// refused: empty then.
QString privateTempDir();
// Makes `path` (and parents) exist; returns false on failure.
bool ensureDir(const QString& path);
}
