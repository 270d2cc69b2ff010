// The settings window's Shortcuts tab of the real application when another X client held a
// capture key before it started, read off the screen.
#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "settings/PreferencesView.h"
#include "support/RunningApp.h"
#include "support/SettingsParts.h"
#include "support/ScreenText.h"
#include "support/Wait.h"
#include "support/XTestKeyboard.h"

#include <QAbstractButton>
#include <QThread>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kSix = 0x36;
constexpr uint32_t kPrint = 0xff61;
constexpr uint16_t kShift = 0x1;
constexpr uint16_t kControlShift = 0x5;

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

// Where the Shortcuts tab's button and the line under a row sit in the settings window: the same
// window built here, with that row's key refused, lays out the same.
struct ShortcutsTabLayout {
    QPoint tabButton;
    QRect notice;
};

ShortcutsTabLayout layoutWithRefused(CaptureAction action)
{
    SettingsParts parts;
    auto& [dir, settings, login, screenshots, prefs, store] = parts;
    auto backend = std::make_unique<FakeHotkeyBackend>();
    const CaptureShortcut refused = store.shortcut(action);
    backend->refused.insert({ refused.keyCode, refused.carbonModifiers });
    GlobalHotkeys hotkeys(std::move(backend), store);
    hotkeys.registerHandlers([] {}, [] {}, [] {});
    PreferencesView view({ prefs, settings, store, &hotkeys, DesktopScreenshotKeys::forSession(), QString() });
    view.setCurrentTab(PreferencesView::shortcuts);
    view.show();
    waitUntil([] { return false; }, 100);
    QAbstractButton* button = view.tabButtons().value(PreferencesView::shortcuts);
    QLabel* notice = view.findChild<QLabel*>(QStringLiteral("notice-") + rawValue(action));
    if (!button || !notice)
        return {};
    return { button->mapTo(&view, button->rect().center()), QRect(notice->mapTo(&view, QPoint()), notice->size()) };
}

// Opens the settings window with Ctrl+comma on the main window, then its Shortcuts tab; where the
// line under the action's row sits on the screen.
std::optional<QRect> openRowNotice(CaptureAction action)
{
    const ShortcutsTabLayout layout = layoutWithRefused(action);
    QStringList main;
    if (!waitUntil([&] { return !(main = Desktop::findWindows("^Lumaforge$")).isEmpty(); }))
        return {};
    xdotool({ "windowfocus", "--sync", main.first() });
    xdotool({ "key", "--clearmodifiers", "ctrl+comma" });
    QStringList settings;
    if (!waitUntil([&] { return !(settings = Desktop::findWindows("^Lumaforge Settings$")).isEmpty(); }))
        return {};
    spin(300);
    const auto window = Desktop::windowGeometry(settings.first());
    if (!window)
        return {};
    const QPoint tab = window->topLeft() + layout.tabButton;
    xdotool({ "mousemove", "--sync", QString::number(tab.x()), QString::number(tab.y()) });
    xdotool({ "click", "1" });
    // A little wider than the label: its text is right-aligned in it.
    return layout.notice.translated(window->topLeft()).adjusted(-4, -2, 4, 2);
}

}

TEST(ShortcutsTab, AKeyAnotherProgramHeldAtLaunchIsSaidUnderItsRow)
{
    XTestKeyboard other;
    ASSERT_TRUE(other.isConnected());
    ASSERT_EQ(other.grab(kSix, kControlShift), 0);
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("global hot keys registered: 2 of 3")); }))
        << app.log().toStdString();
    const std::optional<QRect> notice = openRowNotice(CaptureAction::selection);
    ASSERT_TRUE(notice);
    QString said;
    EXPECT_TRUE(waitUntil([&] { return readsAs(said = textOnScreen(*notice), QStringLiteral("already used by another program")); }, 4000))
        << said.toStdString();
    EXPECT_EQ(app.terminate(), 0);
    other.ungrab(kSix, kControlShift);
}

TEST(ShortcutsTab, AKeyAnotherProgramLetsGoOfIsTakenAndItsLineGoes)
{
    auto other = std::make_unique<XTestKeyboard>();
    ASSERT_TRUE(other->isConnected());
    ASSERT_EQ(other->grab(kSix, kControlShift), 0);
    // The desktop's screenshot tool, bound to its region key (Shift+Print here): what the
    // selection capture presses.
    XTestKeyboard desktop;
    ASSERT_EQ(desktop.grab(kPrint, kShift), 0);
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("global hot keys registered: 2 of 3")); }))
        << app.log().toStdString();
    const std::optional<QRect> notice = openRowNotice(CaptureAction::selection);
    ASSERT_TRUE(notice);
    QString said;
    ASSERT_TRUE(waitUntil([&] { return readsAs(said = textOnScreen(*notice), QStringLiteral("already used by another program")); }, 4000))
        << said.toStdString();

    // The other program exits: the server drops its grab with its connection.
    other.reset();
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("global hot keys registered: 3 of 3")); },
        GlobalHotkeys::retryIntervalMs + 4000))
        << app.log().toStdString();
    // The line under the row goes, with the settings window left open (the rows below move up
    // into its place).
    EXPECT_TRUE(waitUntil([&] { return !readsAs(said = textOnScreen(*notice), QStringLiteral("another program")); }, 4000))
        << said.toStdString();

    // Typed as a person types it, the key now starts a selection capture.
    XTestKeyboard user;
    const auto typing = [] { QThread::msleep(70); };
    user.press(XTestKeyboard::controlL);
    typing();
    user.press(XTestKeyboard::shiftL);
    typing();
    user.press(kSix);
    typing();
    user.release(kSix);
    typing();
    user.release(XTestKeyboard::shiftL);
    user.release(XTestKeyboard::controlL);
    int regionPresses = 0;
    for (const auto& event : desktop.readKeyEvents(3000))
        regionPresses += event.press && event.keycode == desktop.keycode(kPrint);
    EXPECT_EQ(regionPresses, 1) << app.log().toStdString();
    EXPECT_EQ(app.terminate(), 0);
}
