// Rebinding a capture key in the real application's settings window, with the pointer and the
// keyboard through XTEST, and the new key then pressing the desktop's screenshot key for a second
// X client that stands in for the desktop.
#include "capture/CaptureShortcutStore.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "settings/PreferencesView.h"
#include "settings/ShortcutRecorder.h"
#include "settings/ShortcutsTab.h"
#include "support/RunningApp.h"
#include "support/SettingsParts.h"
#include "support/Wait.h"
#include "support/XTestKeyboard.h"

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPrint = 0xff61;
constexpr uint32_t kNine = 0x39;
constexpr uint32_t kSix = 0x36;
constexpr uint16_t kShift = 0x1;

// Where the Shortcuts tab and the selection recorder sit in the window: the same view built here
// lays out the same, on the same server with the same fonts.
struct Spots {
    QPoint shortcutsTab;
    QPoint selectionRecorder;
};
Spots spotsInSettingsWindow()
{
    SettingsParts parts;
    auto& [dir, settings, login, screenshots, prefs, store] = parts;
    PreferencesView view({ prefs, settings, store, nullptr, DesktopScreenshotKeys::forDesktop(QString()), QString() });
    view.show();
    QAbstractButton* tab = view.tabButtons()[PreferencesView::shortcuts];
    Spots spots;
    spots.shortcutsTab = tab->mapTo(&view, tab->rect().center());
    view.setCurrentTab(PreferencesView::shortcuts);
    waitUntil([] { return false; }, 50);
    QAbstractButton* recorder = static_cast<ShortcutsTab*>(view.tab(PreferencesView::shortcuts))->recorders().first()->shortcutButton();
    spots.selectionRecorder = recorder->mapTo(&view, recorder->rect().center());
    return spots;
}

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

bool clickIn(const QString& window, QPoint at)
{
    return xdotool({ "mousemove", "--window", window, QString::number(at.x()), QString::number(at.y()) })
        && xdotool({ "click", "1" });
}

int shiftPrintPresses(XTestKeyboard& desktop, int withinMs)
{
    int presses = 0;
    for (const auto& event : desktop.readKeyEvents(withinMs))
        presses += event.press && event.keycode == desktop.keycode(kPrint) ? 1 : 0;
    return presses;
}

TEST(SettingsWindow, ACaptureKeyRebindInTheWindowStartsTheDesktopsToolAndTheOldKeyNoLonger)
{
    const Spots spots = spotsInSettingsWindow();
    XTestKeyboard desktop;
    XTestKeyboard user;
    ASSERT_TRUE(desktop.isConnected() && user.isConnected());
    ASSERT_EQ(desktop.grab(kPrint, kShift), 0); // the generic desktop's area capture

    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    const auto registrations = [&] { return app.log().count(QStringLiteral("global hot keys registered: 3 of 3")); };
    ASSERT_TRUE(waitUntil([&] { return registrations() >= 1; })) << app.log().toStdString();
    const qsizetype registeredAtStart = registrations();
    QStringList main;
    ASSERT_TRUE(waitUntil([&] { return !(main = Desktop::findWindows("^Lumaforge$")).isEmpty(); }));
    ASSERT_TRUE(xdotool({ "windowfocus", "--sync", main.first() }));
    ASSERT_TRUE(xdotool({ "key", "ctrl+comma" }));
    QStringList settings;
    ASSERT_TRUE(waitUntil([&] { return !(settings = Desktop::findWindows("^Lumaforge Settings$")).isEmpty(); }))
        << app.log().toStdString();
    QThread::msleep(300);
    ASSERT_TRUE(xdotool({ "windowfocus", "--sync", settings.first() }));
    // Typed only once the recorder listens, and tried only once the keys are live again: the
    // application says both, which fixed pauses could not promise on a busy machine. A click that
    // came before the window was ready is made again.
    const auto recording = [&] { return app.log().contains(QStringLiteral("released while a shortcut is recorded")); };
    for (int attempt = 0; attempt < 5 && !recording(); ++attempt) {
        ASSERT_TRUE(clickIn(settings.first(), spots.shortcutsTab));
        QThread::msleep(200);
        ASSERT_TRUE(clickIn(settings.first(), spots.selectionRecorder));
        waitUntil(recording, 1500);
    }
    ASSERT_TRUE(recording()) << app.log().toStdString();
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    ASSERT_TRUE(waitUntil([&] { return registrations() > registeredAtStart; })) << app.log().toStdString();

    user.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kNine });
    EXPECT_EQ(shiftPrintPresses(desktop, 2000), 1) << app.log().toStdString();
    user.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, kSix });
    EXPECT_EQ(shiftPrintPresses(desktop, 1000), 0);

    // Kept for the next launch in the stored form.
    EXPECT_TRUE(waitUntil([&] {
        QFile file(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + "/lumaforge/settings.json");
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("captureShortcut.selection");
    }));
    EXPECT_TRUE(app.isRunning());
}

}
