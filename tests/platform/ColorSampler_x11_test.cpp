// The screen colour sampler on a real X server (the test's private Xvfb), driven through XTest.
#include "editor/ColorChipButton.h"
#include "editor/ColorChooserPopover.h"
#include "platform/ColorSamplerOverlay.h"
#include "platform/X11ColorSampler.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XTestKeyboard.h"
#include "ui/PopoverWindow.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr uint32_t kEscape = 0xff1b;

// Two flat halves, so a pick from the wrong place shows.
class Backdrop : public QWidget {
public:
    Backdrop(QColor left, QColor right)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
        , m_left(left)
        , m_right(right)
    {
        setGeometry(40, 40, 400, 300);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(QRect(0, 0, width() / 2, height()), m_left);
        p.fillRect(QRect(width() / 2, 0, width() - width() / 2, height()), m_right);
    }

private:
    QColor m_left, m_right;
};

bool clickAt(QPoint global)
{
    return X11Probe::xdotool({ QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()) })
        && X11Probe::xdotool({ QStringLiteral("click"), QStringLiteral("1") });
}

void showAndSettle(QWidget& widget)
{
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    spin(150);
}

QList<QWidget*> overlays()
{
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<ColorSamplerOverlay*>(w) && w->isVisible())
            out.append(w);
    }
    return out;
}
}

TEST(X11ColorSamplerTest, AClickPicksTheExactColourOnScreenUnderThePointer)
{
    Backdrop backdrop(QColor(0x3A, 0x7B, 0xC5), QColor(0xD1, 0x2E, 0x6F));
    showAndSettle(backdrop);
    X11ColorSampler sampler;
    ASSERT_TRUE(sampler.isAvailable());
    QObject context;
    QList<QColor> picked;
    int finished = 0;
    sampler.sample(&context, [&](const QColor& c) { picked.append(c); }, [&] { ++finished; });
    ASSERT_TRUE(waitUntil([] { return !overlays().isEmpty(); }));
    spin(100);
    ASSERT_TRUE(clickAt(backdrop.mapToGlobal(QPoint(300, 150))));
    ASSERT_TRUE(waitUntil([&] { return finished == 1; }));
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(picked[0].rgb() & 0xFFFFFF, 0xD12E6Fu);
    EXPECT_FALSE(sampler.isSampling());
    EXPECT_TRUE(waitUntil([] { return overlays().isEmpty(); }));
}

TEST(X11ColorSamplerTest, EscapeCancelsWithoutAColour)
{
    Backdrop backdrop(Qt::green, Qt::blue);
    showAndSettle(backdrop);
    X11ColorSampler sampler;
    QObject context;
    int picked = 0, finished = 0;
    sampler.sample(&context, [&](const QColor&) { ++picked; }, [&] { ++finished; });
    ASSERT_TRUE(waitUntil([] { return !overlays().isEmpty(); }));
    spin(100);
    XTestKeyboard keyboard;
    ASSERT_TRUE(keyboard.isConnected());
    keyboard.tap({ kEscape });
    ASSERT_TRUE(waitUntil([&] { return finished == 1; }));
    EXPECT_EQ(picked, 0);
    EXPECT_TRUE(waitUntil([] { return overlays().isEmpty(); }));
}

TEST(X11ColorSamplerTest, PickInTheChooserSamplesThroughTheOverlayAndComesBack)
{
    Backdrop backdrop(QColor(255, 0, 0), QColor(255, 0, 0));
    showAndSettle(backdrop);
    X11ColorSampler sampler;
    ColorSampler::setShared(&sampler);
    QWidget host(nullptr, Qt::X11BypassWindowManagerHint);
    host.setGeometry(600, 40, 200, 80);
    QList<int> picks;
    auto* chip = new ColorChipButton(0x000000, [&](int hex) { picks.append(hex); }, 18, &host);
    chip->move(90, 10);
    showAndSettle(host);

    QTest::mouseClick(chip, Qt::LeftButton);
    ASSERT_TRUE(chip->popover() && chip->popover()->isVisible());
    QTest::mouseClick(chip->chooser()->pickButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([] { return !overlays().isEmpty(); }));
    // The frozen picture was taken with the popover out of the way.
    EXPECT_FALSE(chip->popover()->isVisible());
    spin(100);
    ASSERT_TRUE(clickAt(backdrop.mapToGlobal(QPoint(100, 100))));
    ASSERT_TRUE(waitUntil([&] { return !picks.isEmpty(); }));
    EXPECT_EQ(picks, QList<int> { 0xFF0000 });
    EXPECT_TRUE(waitUntil([&] { return chip->popover()->isVisible(); }));
    EXPECT_TRUE(chip->chooser()->pickButton()->isEnabled());
    ColorSampler::setShared(nullptr);
}

TEST(ColorSamplerOverlayTest, EachScreenMapsThePointerIntoItsOwnGrab)
{
    // A second screen at twice the pixel density: the overlay's local point, not the global one,
    // picks in that screen's grab.
    const QSize grab(2560, 1440);
    const QSizeF logical(1280, 720);
    EXPECT_EQ(ColorSamplerOverlay::pixelAt({ 0, 0 }, grab, logical), QPoint(0, 0));
    EXPECT_EQ(ColorSamplerOverlay::pixelAt({ 100.25, 50.75 }, grab, logical), QPoint(200, 101));
    EXPECT_EQ(ColorSamplerOverlay::pixelAt({ 1279.9, 719.9 }, grab, logical), QPoint(2559, 1439));
    // Outside (the pointer at an edge) stays inside the picture.
    EXPECT_EQ(ColorSamplerOverlay::pixelAt({ 1280, -3 }, grab, logical), QPoint(2559, 0));
    // Fractional scale.
    EXPECT_EQ(ColorSamplerOverlay::pixelAt({ 10, 10 }, QSize(1500, 900), QSizeF(1000, 600)), QPoint(15, 15));
    EXPECT_EQ(ColorSamplerOverlay::pixelAt({ 10, 10 }, QSize(), logical), QPoint());
}
