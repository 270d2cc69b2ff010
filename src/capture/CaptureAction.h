#pragma once

#include "model/RawEnum.h"

#include <QString>

// The three captures the user can bind a global hot key to.
enum class CaptureAction { selection, window, fullScreen };

template <>
struct EnumCases<CaptureAction> {
    static constexpr std::array<std::pair<CaptureAction, const char*>, 3> table { {
        { CaptureAction::selection, "selection" },
        { CaptureAction::window, "window" },
        { CaptureAction::fullScreen, "fullScreen" },
    } };
};

// What the user reads for the action: "Capture selection", "Capture a window", "Capture full
// screen" (also the description the desktop shows for its portal shortcut).
QString captureActionTitle(CaptureAction action);
