#pragma once

#include "platform/ScreenshotSettings.h"

class LinuxScreenshotSettings final : public ScreenshotSettings {
public:
    QString location() const override;
    QString namePrefix() const override;
    void setShowThumbnail(bool show) override;
};
