// The capture keys of the real application on an X server without a screenshot portal: the
// application presses the desktop's own screenshot key, and the desktop (here a second X client
// that binds Print, as desktops do) must receive it.
#include "support/RunningApp.h"
#include "support/Wait.h"
#include "support/XTestKeyboard.h"

#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPrint = 0xff61;
constexpr uint32_t kEight = 0x38;
constexpr uint16_t kControlShift = 0x5;
constexpr int kBadAccess = 10;

TEST(CaptureKeysOnX11, CtrlShift8TypedAtNormalSpeedReachesTheDesktopAsPrint)
{
    XTestKeyboard desktop;
    XTestKeyboard user;
    ASSERT_TRUE(desktop.isConnected() && user.isConnected());
    ASSERT_EQ(desktop.grab(kPrint, 0), 0);

    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    // Wait for the application's word that its keys are live: probing with a grab of our own
    // could take the key in the moment the application asks for it.
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("global hot keys registered: 3 of 3")); }))
        << app.log().toStdString();
    // The application holds its capture key: another client can no longer take it.
    XTestKeyboard probe;
    EXPECT_EQ(probe.grab(kEight, kControlShift), kBadAccess);

    // As a person types it: each key down a moment before the next, the 8 let go first.
    const auto typing = [] { QThread::msleep(70); };
    user.press(XTestKeyboard::controlL);
    typing();
    user.press(XTestKeyboard::shiftL);
    typing();
    user.press(kEight);
    typing();
    user.release(kEight);
    typing();
    user.release(XTestKeyboard::shiftL);
    user.release(XTestKeyboard::controlL);

    const auto events = desktop.readKeyEvents(3000);
    int printPresses = 0;
    for (const auto& event : events) {
        EXPECT_EQ(event.keycode, desktop.keycode(kPrint)); // only the key it bound
        if (event.press && event.keycode == desktop.keycode(kPrint))
            ++printPresses;
    }
    EXPECT_EQ(printPresses, 1) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}

}
