// Stored presets and capture shortcuts: JSON data from the settings, written by any version.
#include "FuzzSupport.h"
#include "capture/CaptureShortcut.h"
#include "capture/CaptureShortcutStore.h"
#include "model/PresetStore.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Presets: whatever loads survives a save and a reload, in order, with what could not be read.
    MemorySettings settings;
    settings.setValue(QStringLiteral("savedPresets"), bytes);
    PresetStore store(settings);
    store.load();
    const QList<StylePreset> loaded = store.presets();
    if (!loaded.isEmpty())
        store.add(loaded.first().name, BeautifySettings::defaults());
    store.add(QStringLiteral("Fuzz"), BeautifySettings::defaults());
    PresetStore reread(settings);
    reread.load();
    FUZZ_CHECK(reread.presets() == store.presets());
    FUZZ_CHECK(store.presets().size() == loaded.size() + 1);

    // Shortcuts: a stored binding either reads as a valid one that writes back as itself, or not
    // at all (the default applies).
    if (const auto shortcut = CaptureShortcut::fromJson(bytes))
        FUZZ_CHECK(CaptureShortcut::fromJson(shortcut->toJson()) == shortcut);
    MemorySettings keys;
    for (const char* action : { "selection", "window", "fullScreen" })
        keys.setValue(QStringLiteral("captureShortcut.") + QLatin1String(action), bytes);
    CaptureShortcutStore shortcuts(keys);
    FUZZ_CHECK(shortcuts.shortcuts().size() == 3);
    return 0;
}
