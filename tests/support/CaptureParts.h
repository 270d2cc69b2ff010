#pragma once

#include "capture/CaptureManager.h"
#include "capture/CaptureShortcutStore.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"

// What the popover and the tray icon take from the capture side, on fakes: a capture manager
// whose watcher would watch `folder`, and a shortcut store on in-memory settings.
struct CaptureParts {
    explicit CaptureParts(const QString& folder = {})
        : manager((screenshots.folder = folder, screenshots), pasteboard)
        , shortcuts(settings)
    {
    }

    FakeScreenshotSettings screenshots;
    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    CaptureManager manager;
    CaptureShortcutStore shortcuts;
};
