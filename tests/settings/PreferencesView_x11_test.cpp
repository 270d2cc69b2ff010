// Rebinding a capture key in the settings window on a real X server, typed through XTEST as a
// person types it, and the new key then starting the desktop's screenshot tool.
#include "SettingsKit.h"
#include "fakes/FakeKeystrokePoster.h"
#include "platform/Keys.h"
#include "platform/X11HotkeyBackend.h"
#include "settings/ShortcutRecorder.h"
#include "settings/ShortcutsTab.h"
#include "support/Wait.h"
#include "support/XTestKeyboard.h"

#include <QTest>

namespace {

constexpr uint32_t kNine = 0x39;
constexpr uint32_t kSix = 0x36;

TEST(SettingsOnX11, ARebindTypedInTheWindowStartsTheToolAndTheOldKeyNoLonger)
{
    XTestKeyboard user;
    ASSERT_TRUE(user.isConnected());
    QTemporaryDir dir;
    FakeSettingsStore settings;
    settings.setValue("launchAtLogin", false);
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshots;
    Preferences prefs(settings, loginItem, screenshots, dir.path() + "/logo.png");
    std::unique_ptr<GlobalHotkeys> hotkeys;
    CaptureShortcutStore store(settings, [&] { hotkeys->reregisterAll(); });
    hotkeys = std::make_unique<GlobalHotkeys>(X11HotkeyBackend::create(), store);
    auto fake = std::make_unique<FakeKeystrokePoster>();
    FakeKeystrokePoster* poster = fake.get();
    const DesktopScreenshotKeys keys = DesktopScreenshotKeys::forDesktop(QString());
    KeystrokeScreenshotTool tool(std::move(fake), keys);
    hotkeys->registerHandlers([&] { tool.capture(SystemCapture::selection); }, [&] { tool.capture(SystemCapture::window); },
        [&] { tool.capture(SystemCapture::fullScreen); });

    PreferencesView view({ prefs, settings, store, hotkeys.get(), keys, QString() });
    view.setCurrentTab(PreferencesView::shortcuts);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));

    auto* tab = static_cast<ShortcutsTab*>(view.tab(PreferencesView::shortcuts));
    ShortcutRecorder* selection = tab->recorders().first();
    QTest::mouseClick(selection->shortcutButton(), Qt::LeftButton);
    ASSERT_TRUE(selection->isRecording());
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    const CaptureShortcut rebound { 25, CarbonModifier::command | CarbonModifier::option, "9" };
    ASSERT_TRUE(waitUntil([&] { return store.shortcut(CaptureAction::selection) == rebound; }, 3000));
    EXPECT_FALSE(selection->isRecording());
    EXPECT_EQ(selection->shortcutButton()->text(), "Ctrl+Alt+9");
    EXPECT_TRUE(poster->posted.isEmpty()); // typing it into the recorder started nothing

    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    ASSERT_TRUE(waitUntil([&] { return poster->posted.size() == 1; }, 3000));
    EXPECT_EQ(poster->posted[0].chord, keys.selection);

    user.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, kSix });
    spin(300);
    EXPECT_EQ(poster->posted.size(), 1);

    // Another program took Ctrl+Shift+6 meanwhile (a combination another client holds never
    // reaches the recorder, but Reset asks for it): the grab fails, the row says so, and the
    // binding before it keeps working.
    XTestKeyboard other;
    ASSERT_EQ(other.grab(kSix, 0x5), 0);
    QTest::mouseClick(selection->resetButton(), Qt::LeftButton);
    EXPECT_EQ(selection->notice(), "Already used by another program");
    EXPECT_EQ(store.shortcut(CaptureAction::selection), rebound);
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    ASSERT_TRUE(waitUntil([&] { return poster->posted.size() == 2; }, 3000));
    other.ungrab(kSix, 0x5);
    hotkeys.reset();
}

}
