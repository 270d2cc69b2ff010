#pragma once

#include "platform/KeystrokeScreenshotTool.h"

#include <QWidget>

// The first onboarding page: "Snap it." and the desktop's screenshot key as large key caps.
class CaptureStep : public QWidget {
    Q_OBJECT
public:
    explicit CaptureStep(const DesktopScreenshotKeys& keys = DesktopScreenshotKeys::forSession(), QWidget* parent = nullptr);
};
