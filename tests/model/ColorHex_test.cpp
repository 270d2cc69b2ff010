#include "model/ColorHex.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ColorHex, RoundsEachComponentHalfAwayFromZero)
{
    EXPECT_EQ(hexFromColor(QColor::fromRgbF(0.5f, 0, 0)), 0x800000);
    QColor half;
    half.setRgbF(0.5f, 127.49f / 255.f, 0.25f);
    EXPECT_EQ(hexFromColor(half), 0x807F40);
    // Every byte survives the trip through a colour.
    for (int hex : { 0x000000, 0xFFFFFF, 0x0A84FF, 0x123456, 0xFEDCBA, 0x010203 })
        EXPECT_EQ(hexFromColor(colorFromHex(hex)), hex) << std::hex << hex;
    // Other colour models are converted first.
    EXPECT_EQ(hexFromColor(QColor::fromHsv(0, 255, 255)), 0xFF0000);
}

TEST(ColorHex, HighBitsAreIgnoredAndOpaque)
{
    const QColor c = colorFromHex(0x7F12AB34);
    EXPECT_EQ(c.red(), 0x12);
    EXPECT_EQ(c.green(), 0xAB);
    EXPECT_EQ(c.blue(), 0x34);
    EXPECT_EQ(c.alpha(), 255);
    EXPECT_EQ(hexFromColor(colorFromHex(-1)), 0xFFFFFF);
}

TEST(ColorHex, ComponentsOutsideTheRangeSaturateTheirOwnChannel)
{
    QColor wide;
    wide.setRgbF(1.2f, -0.1f, 0.5f); // a wide-gamut red
    ASSERT_TRUE(wide.isValid());
    EXPECT_EQ(hexFromColor(wide), 0xFF0080);
    wide.setRgbF(0.0f, 3.0f, -2.0f);
    EXPECT_EQ(hexFromColor(wide), 0x00FF00);
    wide.setRgbF(std::numeric_limits<float>::infinity(), 0, 0);
    EXPECT_EQ(hexFromColor(wide) & 0x00FFFF, 0);
    EXPECT_EQ(hexFromColor(QColor()), 0);
}
