// The first launch as a user meets it: the real application on a real X server, walked through
// the onboarding with the Return key pressed through XTest, its window photographed from outside.
#include "support/RunningApp.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XTestKeyboard.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <gtest/gtest.h>

namespace {
constexpr uint32_t kReturn = 0xff0d;

QImage windowPixels(const QRect& geometry)
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().copy(geometry);
}

// Pixels of the default button's violet in the window's bottom-right corner.
int violetInFooter(const QImage& window)
{
    int count = 0;
    for (int y = window.height() - 120; y < window.height(); y += 2) {
        for (int x = window.width() - 300; x < window.width(); x += 2) {
            const QColor c = window.pixelColor(x, y);
            count += c.red() > 100 && c.green() < 90 && c.blue() > 190;
        }
    }
    return count;
}

// Saturated confetti colours in the window's upper half, away from the icon and the header.
int confettiInUpperHalf(const QImage& window)
{
    int count = 0;
    for (int y = 20; y < window.height() / 2 - 100; ++y) {
        for (int x = window.width() / 2 - 250; x < window.width() / 2 + 250; ++x) {
            const QColor c = window.pixelColor(x, y);
            count += c.hsvSaturationF() > 0.6 && c.valueF() > 0.5;
        }
    }
    return count;
}
}

TEST(OnboardingOnScreen, ReturnWalksThroughThePagesAndTheBurstFlies)
{
    RunningApp app;
    ASSERT_TRUE(app.start(false));
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); }));
    ASSERT_TRUE(X11Probe::xdotool({ "windowfocus", "--sync", windows.first() }));
    const auto geometry = Desktop::windowGeometry(windows.first());
    ASSERT_TRUE(geometry);
    ASSERT_TRUE(waitUntil([&] { return violetInFooter(windowPixels(*geometry)) > 200; }, 8000))
        << "the first page with its Continue button";
    EXPECT_LT(confettiInUpperHalf(windowPixels(*geometry)), 20);

    XTestKeyboard keyboard;
    ASSERT_TRUE(keyboard.isConnected());
    keyboard.tap({ kReturn });
    spin(700);
    keyboard.tap({ kReturn });
    // The last page fires its burst as it comes in: pieces fly up above the icon. On a loaded machine
    // the leaving page's video may hold the event loop a while before the first frame is drawn.
    EXPECT_TRUE(waitUntil([&] { return confettiInUpperHalf(windowPixels(*geometry)) > 60; }, 6000));

    keyboard.tap({ kReturn });
    EXPECT_TRUE(waitUntil([&] { return violetInFooter(windowPixels(*geometry)) < 20; }, 3000))
        << "the onboarding gives way to the empty window";
    EXPECT_TRUE(app.isRunning());
}
