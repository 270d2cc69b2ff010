#pragma once

#include "platform/ScreenshotSettings.h"

// Where the desktop's screenshot tool saves, and what it names its files:
// - location: KDE Spectacle's "[ImageSave] imageSaveLocation" in spectaclerc; else the Pictures
//   folder's screenshots subfolder (GNOME, and others) under any of its names in the table of
//   ScreenshotNames, the session language's first, when one exists; else the Desktop.
// - namePrefix: the localised word GNOME names screenshots with, where known; else none.
class LinuxScreenshotSettings final : public ScreenshotSettings {
public:
    struct Environment {
        QString configDir; // $XDG_CONFIG_HOME
        QString picturesDir; // XDG pictures folder
        QString desktopDir; // XDG desktop folder
        QString localeName; // "de_DE"
    };

    // The session's own folders and locale.
    LinuxScreenshotSettings();
    explicit LinuxScreenshotSettings(Environment environment);

    QString location() const override;
    bool locationHoldsOnlyScreenshots() const override;
    QString namePrefix() const override;
    void setShowThumbnail(bool show) override;

private:
    struct Location {
        QString path;
        bool onlyScreenshots = false;
    };
    Location resolve() const;
    QString spectacleLocation() const;

    Environment m_env;
};
