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

#include <QLabel>
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

// The settings window over the real X server's grabs, with the desktop's tool behind fakes.
struct SettingsOnServer {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshots;
    std::unique_ptr<Preferences> prefs;
    std::unique_ptr<GlobalHotkeys> hotkeys;
    std::unique_ptr<CaptureShortcutStore> store;
    FakeKeystrokePoster* poster = nullptr;
    std::unique_ptr<KeystrokeScreenshotTool> tool;
    std::unique_ptr<PreferencesView> view;
    const DesktopScreenshotKeys keys = DesktopScreenshotKeys::forDesktop(QString());

    bool open()
    {
        settings.setValue("launchAtLogin", false);
        prefs = std::make_unique<Preferences>(settings, loginItem, screenshots, dir.path() + "/logo.png");
        store = std::make_unique<CaptureShortcutStore>(settings, [this] { hotkeys->reregisterAll(); });
        hotkeys = std::make_unique<GlobalHotkeys>(X11HotkeyBackend::create(), *store);
        auto fake = std::make_unique<FakeKeystrokePoster>();
        poster = fake.get();
        tool = std::make_unique<KeystrokeScreenshotTool>(std::move(fake), keys);
        hotkeys->registerHandlers([this] { tool->capture(SystemCapture::selection); },
            [this] { tool->capture(SystemCapture::window); }, [this] { tool->capture(SystemCapture::fullScreen); });
        view = std::make_unique<PreferencesView>(PreferencesView::Services { *prefs, settings, *store, hotkeys.get(), keys, QString() });
        view->setCurrentTab(PreferencesView::shortcuts);
        view->show();
        view->activateWindow();
        return QTest::qWaitForWindowExposed(view.get()) && QTest::qWaitForWindowActive(view.get());
    }
    ~SettingsOnServer()
    {
        view.reset();
        hotkeys.reset();
    }
    ShortcutRecorder* recorder(CaptureAction action) const
    {
        return static_cast<ShortcutsTab*>(view->tab(PreferencesView::shortcuts))->recorders()[int(action)];
    }
};

TEST(SettingsOnX11, ResetWhileRecordingIsRefusedWhenAnotherProgramHoldsTheDefault)
{
    XTestKeyboard user;
    XTestKeyboard other;
    ASSERT_TRUE(user.isConnected() && other.isConnected());
    SettingsOnServer window;
    ASSERT_TRUE(window.open());
    ShortcutRecorder* selection = window.recorder(CaptureAction::selection);
    QTest::mouseClick(selection->shortcutButton(), Qt::LeftButton);
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    const CaptureShortcut rebound { 25, CarbonModifier::command | CarbonModifier::option, "9" };
    ASSERT_TRUE(waitUntil([&] { return window.store->shortcut(CaptureAction::selection) == rebound; }, 3000));

    // While recording our keys are let go; another program takes Ctrl+Shift+6 meanwhile.
    QTest::mouseClick(selection->shortcutButton(), Qt::LeftButton);
    ASSERT_TRUE(selection->isRecording());
    ASSERT_EQ(other.grab(kSix, 0x5), 0);
    QTest::mouseClick(selection->resetButton(), Qt::LeftButton);
    EXPECT_EQ(selection->notice(), "Already used by another program");
    EXPECT_TRUE(selection->isRecording());
    user.tap({ 0xff1b }); // Esc
    ASSERT_TRUE(waitUntil([&] { return !selection->isRecording(); }, 3000));
    EXPECT_EQ(selection->shortcutButton()->text(), "Ctrl+Alt+9");
    EXPECT_TRUE(selection->notice().isEmpty());
    // The key the row shows works.
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    EXPECT_TRUE(waitUntil([&] { return window.poster->posted.size() == 1; }, 3000));
    other.ungrab(kSix, 0x5);
}

TEST(SettingsOnX11, CtrlPrintTypedIntoTheRecorderBecomesAWorkingHotKey)
{
    constexpr uint32_t kPrint = 0xff61;
    XTestKeyboard user;
    ASSERT_TRUE(user.isConnected());
    SettingsOnServer window;
    ASSERT_TRUE(window.open());
    ShortcutRecorder* full = window.recorder(CaptureAction::fullScreen);
    QTest::mouseClick(full->shortcutButton(), Qt::LeftButton);
    user.tap({ XTestKeyboard::controlL, kPrint });
    ASSERT_TRUE(waitUntil([&] { return !full->isRecording(); }, 3000)) << full->notice().toStdString();
    EXPECT_EQ(full->shortcutButton()->text(), "Ctrl+Print");
    EXPECT_TRUE(window.poster->posted.isEmpty());
    user.tap({ XTestKeyboard::controlL, kPrint });
    ASSERT_TRUE(waitUntil([&] { return window.poster->posted.size() == 1; }, 3000));
    EXPECT_EQ(window.poster->posted[0].chord, window.keys.fullScreen);
}


// The line under a recorder's row, as the tab shows it.
QLabel* rowNotice(const PreferencesView& view, CaptureAction action)
{
    return view.findChild<QLabel*>(QStringLiteral("notice-") + rawValue(action));
}

// Another program held Ctrl+Shift+6 before the hot keys were registered: the row says so (it does
// not pretend the key works) until the key is registered, by a rebind or by Reset.
TEST(SettingsOnX11, AKeyAnotherProgramHeldAtLaunchIsSaidUnderItsRowUntilItIsRegistered)
{
    XTestKeyboard user;
    XTestKeyboard other;
    ASSERT_TRUE(user.isConnected() && other.isConnected());
    ASSERT_EQ(other.grab(kSix, 0x5), 0);
    SettingsOnServer window;
    ASSERT_TRUE(window.open());
    QLabel* notice = rowNotice(*window.view, CaptureAction::selection);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "Already used by another program");
    EXPECT_EQ(window.recorder(CaptureAction::selection)->shortcutButton()->text(), "Ctrl+Shift+6");
    EXPECT_FALSE(rowNotice(*window.view, CaptureAction::window)->isVisible());
    EXPECT_FALSE(rowNotice(*window.view, CaptureAction::fullScreen)->isVisible());

    // Rebound to a free key, the row works and says nothing more.
    ShortcutRecorder* selection = window.recorder(CaptureAction::selection);
    QTest::mouseClick(selection->shortcutButton(), Qt::LeftButton);
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    ASSERT_TRUE(waitUntil([&] { return !selection->isRecording(); }, 3000));
    EXPECT_FALSE(notice->isVisible());
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    ASSERT_TRUE(waitUntil([&] { return window.poster->posted.size() == 1; }, 3000));

    // Reset while the program still holds the default is refused; once it let go, Reset takes it.
    QTest::mouseClick(selection->resetButton(), Qt::LeftButton);
    EXPECT_EQ(notice->text(), "Already used by another program");
    other.ungrab(kSix, 0x5);
    QTest::mouseClick(selection->resetButton(), Qt::LeftButton);
    EXPECT_FALSE(notice->isVisible());
    EXPECT_EQ(selection->shortcutButton()->text(), "Ctrl+Shift+6");
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, kSix });
    EXPECT_TRUE(waitUntil([&] { return window.poster->posted.size() == 2; }, 3000));
}

// Settings written before duplicates were refused gave the window capture the selection's key:
// the row without the key says which action has it, until that action takes another key.
TEST(SettingsOnX11, TwoActionsStoredWithOneKeyAreSaidUnderTheRowLeftWithout)
{
    XTestKeyboard user;
    ASSERT_TRUE(user.isConnected());
    SettingsOnServer window;
    window.settings.setValue(shortcutDefaultsKey(CaptureAction::window), CaptureShortcut::defaultFor(CaptureAction::selection).toJson());
    ASSERT_TRUE(window.open());
    QLabel* notice = rowNotice(*window.view, CaptureAction::window);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "Already used by “Capture selection”");
    EXPECT_FALSE(rowNotice(*window.view, CaptureAction::selection)->isVisible());

    ShortcutRecorder* selection = window.recorder(CaptureAction::selection);
    QTest::mouseClick(selection->shortcutButton(), Qt::LeftButton);
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    ASSERT_TRUE(waitUntil([&] { return !selection->isRecording(); }, 3000));
    EXPECT_FALSE(notice->isVisible());
    // Ctrl+Shift+6 now starts the window capture.
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, kSix });
    ASSERT_TRUE(waitUntil([&] { return window.poster->posted.size() == 1; }, 3000));
    EXPECT_EQ(window.poster->posted[0].chord, window.keys.window);
}

}
