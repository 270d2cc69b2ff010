#include "platform/DesktopSession.h"

#include <gtest/gtest.h>

namespace {

// XWayland sets DISPLAY on every Wayland session and Qt then runs on xcb: the session variables
// must still say Wayland.
TEST(DesktopSessionTest, HotKeysFollowTheSessionNotQtsPlatform)
{
    const DesktopSession x11 { "x11", "", true };
    const DesktopSession wayland { "wayland", "wayland-0", true };
    const DesktopSession waylandByDisplayOnly { "", "wayland-0", true };
    const DesktopSession x11NestedInWayland { "x11", "wayland-0", true };
    const DesktopSession bareX { "", "", true };
    const DesktopSession noDisplay { "tty", "", false };

    for (bool portal : { false, true }) {
        EXPECT_EQ(chooseHotkeyProvider(x11, portal), HotkeyProvider::x11Grabs);
        EXPECT_EQ(chooseHotkeyProvider(x11NestedInWayland, portal), HotkeyProvider::x11Grabs);
        EXPECT_EQ(chooseHotkeyProvider(bareX, portal), HotkeyProvider::x11Grabs);
    }
    EXPECT_EQ(chooseHotkeyProvider(wayland, true), HotkeyProvider::portal);
    EXPECT_EQ(chooseHotkeyProvider(wayland, false), HotkeyProvider::none);
    EXPECT_EQ(chooseHotkeyProvider(waylandByDisplayOnly, true), HotkeyProvider::portal);
    EXPECT_EQ(chooseHotkeyProvider(waylandByDisplayOnly, false), HotkeyProvider::none);
    EXPECT_EQ(chooseHotkeyProvider({ "WAYLAND", "", false }, false), HotkeyProvider::none);
    EXPECT_EQ(chooseHotkeyProvider(noDisplay, false), HotkeyProvider::none);
}

TEST(DesktopSessionTest, CapturesOnWaylandGoOnlyThroughThePortal)
{
    const DesktopSession x11 { "x11", "", true };
    const DesktopSession wayland { "wayland", "wayland-0", true };
    EXPECT_EQ(chooseScreenshotProvider(x11, true, true), ScreenshotProvider::portal);
    EXPECT_EQ(chooseScreenshotProvider(x11, false, true), ScreenshotProvider::xtestKeys);
    EXPECT_EQ(chooseScreenshotProvider(x11, false, false), ScreenshotProvider::none);
    EXPECT_EQ(chooseScreenshotProvider(wayland, true, true), ScreenshotProvider::portal);
    // XTEST through XWayland never reaches the compositor's own bindings.
    EXPECT_EQ(chooseScreenshotProvider(wayland, false, true), ScreenshotProvider::none);
    EXPECT_EQ(chooseScreenshotProvider({ "x11", "", false }, false, true), ScreenshotProvider::none);
}

}
