#pragma once

#include "app/AppState.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

// An AppState over fakes: settings in memory, a clipboard in memory, a private screenshot folder.
// Tests give the recognition and the render.
struct AppStateKit : ::testing::Test {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;
    FakePasteboard pasteboard;
    std::unique_ptr<Preferences> prefs;
    std::unique_ptr<PresetStore> presets;
    std::unique_ptr<AppState> app;

    void makeApp(AppState::Scan scan, AppState::Render render)
    {
        screenshotSettings.folder = dir.path();
        prefs = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, dir.path() + "/logo.png");
        presets = std::make_unique<PresetStore>(settings);
        app = std::make_unique<AppState>(
            AppState::Services { screenshotSettings, pasteboard, *prefs, *presets, settings, std::move(scan), std::move(render) });
    }

    static QImage filledImage(QSize size, QColor color)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }
};
