#include "render/AutoBackground.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {
QImage filled(QColor color, QSize size = { 640, 400 })
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}
}

TEST(AutoBackground, PicksBySampledHueAndSaturation)
{
    EXPECT_EQ(chooseAutoBackground(filled(QColor(128, 128, 128))), BackgroundPreset::fire);
    EXPECT_EQ(chooseAutoBackground(filled(QColor(0, 0, 255))), BackgroundPreset::cobalt);
    // Transparent pixels sample as black: the same choice as grey.
    EXPECT_EQ(chooseAutoBackground(filled(Qt::transparent)), BackgroundPreset::fire);
    EXPECT_EQ(chooseAutoBackground(QImage()), BackgroundPreset::nebula);
    // Large screenshots are reduced before sampling and give the same answer.
    EXPECT_EQ(chooseAutoBackground(filled(QColor(0, 0, 255), { 2880, 1800 })), BackgroundPreset::cobalt);
}

TEST(AutoBackground, GreyPixelsCarryNoHue)
{
    QImage image = filled(QColor(128, 128, 128), { 48, 48 });
    QPainter(&image).fillRect(0, 0, 24, 48, QColor(255, 0, 0));
    const auto stats = sampleImageColors(image);
    ASSERT_TRUE(stats);
    EXPECT_NEAR(stats->hue, 0.0, 1e-9);
    EXPECT_NEAR(stats->saturation, 1.05 / 1.10, 0.01);

    const ColorStats blue = hueSaturation(0, 0, 1);
    EXPECT_NEAR(blue.hue, 2.0 / 3.0, 1e-12);
    EXPECT_EQ(blue.saturation, 1.0);
    EXPECT_EQ(meanHue(BackgroundPreset::none).saturation, 0.0);
}
