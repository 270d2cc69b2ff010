#include "platform/Keys.h"
#include "platform/XTestKeystrokePoster.h"
#include "support/XTestKeyboard.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPrint = 0xff61;
constexpr uint16_t kAnyModifier = 0x8000;

TEST(XTestKeystrokePosterTest, TheDesktopSeesExactlyTheChordsModifiers)
{
    // The test client stands for the desktop: it holds the Print binding.
    XTestKeyboard desktop;
    ASSERT_TRUE(desktop.isConnected());
    ASSERT_EQ(desktop.grab(kPrint, kAnyModifier), 0);
    auto poster = XTestKeystrokePoster::create();
    ASSERT_TRUE(poster);
    ASSERT_TRUE(poster->isAvailable());

    // The user still holds Ctrl+Shift of the hot key that led here.
    desktop.press(XTestKeyboard::controlL);
    desktop.press(XTestKeyboard::shiftL);
    poster->post({ kPrint, CarbonModifier::option });
    const auto events = desktop.readKeyEvents(300);
    desktop.ungrab(kPrint, kAnyModifier);

    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].press);
    EXPECT_FALSE(events[1].press);
    EXPECT_EQ(events[0].keycode, desktop.keycode(kPrint));
    EXPECT_EQ(events[0].state & 0xff, 0x8); // Alt (Mod1) alone
}

// Whether a screenshot key would reach anyone: a program holding its grab listens; once it lets
// go, nobody does. Asking takes no grab of its own away.
TEST(XTestKeystrokePosterTest, KnowsWhetherAProgramListensForAKey)
{
    auto poster = XTestKeystrokePoster::create();
    ASSERT_TRUE(poster);
    const KeyChord print { kPrint, CarbonModifier::shift };
    EXPECT_FALSE(poster->someoneListensFor(print));
    XTestKeyboard desktop;
    ASSERT_TRUE(desktop.isConnected());
    ASSERT_EQ(desktop.grab(kPrint, kAnyModifier), 0);
    EXPECT_TRUE(poster->someoneListensFor(print));
    EXPECT_TRUE(poster->someoneListensFor({ kPrint, 0 }));
    desktop.ungrab(kPrint, kAnyModifier);
    EXPECT_FALSE(poster->someoneListensFor(print));
    // Asked twice, the answer stays: the probe's own grab is gone.
    EXPECT_FALSE(poster->someoneListensFor(print));
}

}
