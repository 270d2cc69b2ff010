#pragma once

#include "capture/CaptureShortcutStore.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"

#include <QTemporaryDir>

// What the settings window takes, on fakes and default values: built beside the real
// application, the same view lays out the same, so a test knows where to click in it.
struct SettingsParts {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem login;
    FakeScreenshotSettings screenshots;
    Preferences prefs { settings, login, screenshots, dir.path() + "/logo.png" };
    CaptureShortcutStore store { settings };
};
