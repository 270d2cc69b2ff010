#pragma once

#include <QString>

// The desktop's screenshot tool settings that the application reads or writes.
class ScreenshotSettings {
public:
    virtual ~ScreenshotSettings() = default;

    // The folder the desktop's screenshot tool saves into.
    virtual QString location() const = 0;
    // Whether only screenshot tools write to location() (a screenshots folder, not the Desktop):
    // there every new image is a screenshot, whatever its name.
    virtual bool locationHoldsOnlyScreenshots() const { return false; }
    // The localised word screenshots are named with ("Screenshot"), or empty when unknown.
    virtual QString namePrefix() const = 0;
    // Whether the desktop's tool shows its own floating thumbnail. Linux desktops have no such
    // setting: the preference is only stored.
    virtual void setShowThumbnail(bool show) = 0;

    static ScreenshotSettings& shared();
};
