#pragma once

#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "platform/KeystrokeScreenshotTool.h"
#include "settings/PreferencesView.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

// The settings window over fakes: settings in memory, a login item and hot keys that record.
struct SettingsKit : ::testing::Test {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;
    std::unique_ptr<Preferences> prefs;
    std::unique_ptr<GlobalHotkeys> hotkeys;
    std::unique_ptr<CaptureShortcutStore> store;
    FakeHotkeyBackend* backend = nullptr;

    void SetUp() override
    {
        screenshotSettings.folder = dir.path();
        settings.setValue("launchAtLogin", false);
        prefs = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, dir.path() + "/logo.png");
        makeHotkeys();
    }

    void makeHotkeys()
    {
        hotkeys.reset();
        store = std::make_unique<CaptureShortcutStore>(settings, [this] { hotkeys->reregisterAll(); });
        auto fake = std::make_unique<FakeHotkeyBackend>();
        backend = fake.get();
        hotkeys = std::make_unique<GlobalHotkeys>(std::move(fake), *store);
        hotkeys->registerHandlers([] {}, [] {}, [] {});
    }

    std::unique_ptr<PreferencesView> makeView()
    {
        return std::make_unique<PreferencesView>(PreferencesView::Services { *prefs, settings, *store, hotkeys.get(),
            DesktopScreenshotKeys::forDesktop(QString()), QString() });
    }

    // The keys the backend holds now, by action name.
    std::map<QString, std::pair<quint32, quint32>> held() const
    {
        std::map<QString, std::pair<quint32, quint32>> out;
        for (const auto& [id, registration] : backend->active)
            out[registration.name] = { registration.keyCode, registration.modifiers };
        return out;
    }
};
