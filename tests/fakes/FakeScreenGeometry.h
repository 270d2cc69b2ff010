#pragma once

#include "platform/ScreenGeometry.h"

// A screen the test describes: a frame (or none) and a top inset.
class FakeScreenGeometry final : public ScreenGeometry {
public:
    std::optional<QRect> frame = QRect(0, 0, 1512, 982);
    int inset = 0;

    std::optional<QRect> mainScreenFrame() const override { return frame; }
    int topInset() const override { return frame ? inset : 0; }
};
