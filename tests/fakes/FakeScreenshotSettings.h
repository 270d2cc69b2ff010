#pragma once

#include "platform/ScreenshotSettings.h"

#include <atomic>

class FakeScreenshotSettings final : public ScreenshotSettings {
public:
    QString location() const override { return folder; }
    bool locationHoldsOnlyScreenshots() const override { return onlyScreenshots; }
    QString namePrefix() const override { return prefix; }
    void setShowThumbnail(bool show) override
    {
        lastShowThumbnail = show ? 1 : 0;
        ++thumbnailWrites;
    }

    QString folder;
    bool onlyScreenshots = false;
    QString prefix;
    std::atomic<int> lastShowThumbnail { -1 };
    std::atomic<int> thumbnailWrites { 0 };
};
