// Hot keys on a real X server (the test's private Xvfb), pressed through XTEST.
#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "fakes/FakeSettingsStore.h"
#include "platform/Keys.h"
#include "platform/X11HotkeyBackend.h"
#include "support/LogCapture.h"
#include "support/Wait.h"
#include "support/XTestKeyboard.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

constexpr uint32_t kSix = 0x36;
constexpr uint32_t kSeven = 0x37;
constexpr uint32_t kS = 0x73;
constexpr uint16_t kControlShift = 0x5;

class HotkeysX11Test : public ::testing::Test {
protected:
    HotkeysX11Test()
        : store(settings, [this] { hotkeys->reregisterAll(); })
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(keyboard.isConnected());
        auto backend = X11HotkeyBackend::create();
        ASSERT_TRUE(backend);
        hotkeys = std::make_unique<GlobalHotkeys>(std::move(backend), store);
    }

    void registerCounting()
    {
        hotkeys->registerHandlers([this] { ++ran[0]; }, [this] { ++ran[1]; }, [this] { ++ran[2]; });
    }

    // Lets Qt read what the server sent, then whatever handlers that queued.
    void settle() { spin(150); }

    XTestKeyboard keyboard;
    FakeSettingsStore settings;
    CaptureShortcutStore store;
    std::unique_ptr<GlobalHotkeys> hotkeys;
    int ran[3] = { 0, 0, 0 };
};

TEST_F(HotkeysX11Test, APressRunsItsActionOnceAlsoWithNumLockOn)
{
    registerCounting();
    keyboard.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, kSix });
    ASSERT_TRUE(waitUntil([&] { return ran[0] == 1; }, 3000));
    settle();
    EXPECT_EQ(ran[0], 1);
    EXPECT_EQ(ran[1] + ran[2], 0);

    keyboard.tap({ XTestKeyboard::numLock });
    keyboard.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, kSeven });
    keyboard.tap({ XTestKeyboard::numLock });
    ASSERT_TRUE(waitUntil([&] { return ran[1] == 1; }, 3000));

    // Without its modifiers the key is ordinary typing.
    keyboard.tap({ XTestKeyboard::shiftL, kSix });
    keyboard.tap({ kSix });
    settle();
    EXPECT_EQ(ran[0], 1);
}

// Xvfb does not auto-repeat keys pressed through XTEST, so the server's two ways of repeating a
// held key are played into the backend as the events it would send.
TEST_F(HotkeysX11Test, AHeldKeyFiresOnceWhicheverWayTheServerRepeatsIt)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x11->connection())).data->root;
    X11HotkeyBackend backend(x11->connection(), root);
    ASSERT_EQ(backend.registerHotKey(7, { "capture-selection", QString(), 22, 768 }), 0);
    QSignalSpy pressed(&backend, &HotkeyBackend::pressed);
    const auto send = [&](uint8_t type, uint32_t time) {
        xcb_key_press_event_t event {};
        event.response_type = type;
        event.detail = keyForCode(22)->xKeycode;
        event.time = time;
        event.root = root;
        event.event = root;
        event.state = 0x5 | 0x10; // Ctrl+Shift, Num Lock on
        EXPECT_TRUE(backend.handleEvent(&event));
    };
    send(XCB_KEY_PRESS, 100);
    send(XCB_KEY_PRESS, 600); // detectable auto-repeat: presses only
    send(XCB_KEY_PRESS, 640);
    send(XCB_KEY_RELEASE, 680); // classic auto-repeat: release and press at one time
    send(XCB_KEY_PRESS, 680);
    spin(3 * X11HotkeyBackend::releaseSettleMs);
    // Nothing fires while the key is held: the grab it started is still on.
    EXPECT_EQ(pressed.count(), 0);
    send(XCB_KEY_RELEASE, 720);
    spin(3 * X11HotkeyBackend::releaseSettleMs);
    EXPECT_EQ(pressed.count(), 1);
    send(XCB_KEY_PRESS, 900);
    send(XCB_KEY_RELEASE, 950);
    spin(3 * X11HotkeyBackend::releaseSettleMs);
    EXPECT_EQ(pressed.count(), 2);
    backend.unregisterHotKey(7);
}

TEST_F(HotkeysX11Test, ReRegisteringAfterAChangeReleasesTheOldGrab)
{
    registerCounting();
    // Held by us: another client cannot take it.
    EXPECT_EQ(keyboard.grab(kSix, kControlShift), 10);

    store.setShortcut({ 1, CarbonModifier::command | CarbonModifier::option, QStringLiteral("S") }, CaptureAction::selection);
    EXPECT_EQ(keyboard.grab(kSix, kControlShift), 0);
    keyboard.ungrab(kSix, kControlShift);

    keyboard.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, kSix });
    keyboard.tap({ XTestKeyboard::controlL, XTestKeyboard::altL, kS });
    ASSERT_TRUE(waitUntil([&] { return ran[0] == 1; }, 3000));
    settle();
    EXPECT_EQ(ran[0], 1);

    hotkeys.reset();
    EXPECT_EQ(keyboard.grab(kS, 0x4 | 0x8), 0);
    keyboard.ungrab(kS, 0x4 | 0x8);
}

TEST_F(HotkeysX11Test, ACombinationAnotherClientHoldsIsLoggedAndTheOthersStillWork)
{
    ASSERT_EQ(keyboard.grab(kSeven, kControlShift), 0);
    LogCapture log;
    registerCounting();
    EXPECT_EQ(log.count(QStringLiteral("failed to register global hotkey for window (status 10)")), 1);
    EXPECT_FALSE(hotkeys->registeredID(CaptureAction::window));
    keyboard.ungrab(kSeven, kControlShift);
    keyboard.tap({ XTestKeyboard::controlL, XTestKeyboard::shiftL, 0x38 });
    ASSERT_TRUE(waitUntil([&] { return ran[2] == 1; }, 3000));
}

}
