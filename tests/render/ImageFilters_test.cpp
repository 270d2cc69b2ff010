#include "render/ImageFilters.h"
#include "render/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
QImage stepImage(int width, int height, int edge)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < edge ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    return image;
}

double normalCdf(double z)
{
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}
}

TEST(ImageFilters, BlurMatchesAGaussianOfTheGivenRadius)
{
    // Both paths: full resolution for a small radius, a reduced copy for a large one.
    for (const double sigma : { 2.5, 60.0 }) {
        const int edge = 1000;
        const QImage blurred = blurImage(stepImage(2000, 40, edge), sigma);
        ASSERT_FALSE(blurred.isNull());
        EXPECT_EQ(blurred.size(), QSize(2000, 40));
        for (const double z : { -2.0, -1.0, 0.0, 1.0, 2.0 }) {
            // Pixel x covers [x, x + 1): its centre sits at x + 0.5 from the edge at `edge`.
            const int x = edge + int(std::lround(z * sigma - 0.5));
            const double expected = 255 * normalCdf((x + 0.5 - edge) / sigma);
            EXPECT_NEAR(qRed(blurred.pixel(x, 20)), expected, 8) << "sigma " << sigma << " z " << z;
        }
    }
}

TEST(ImageFilters, BlurKeepsEdgesAndColoursOfFlatAreas)
{
    QImage flat(300, 200, QImage::Format_RGB32);
    flat.fill(QColor(10, 200, 30));
    flat.setDevicePixelRatio(2);
    const QImage blurred = blurImage(flat, 40);
    EXPECT_EQ(blurred.format(), QImage::Format_RGB32);
    EXPECT_EQ(blurred.devicePixelRatio(), 2);
    // Clamped edges: the border does not fade towards black or transparent.
    for (const QPoint p : { QPoint(0, 0), QPoint(299, 199), QPoint(150, 0), QPoint(150, 100) })
        EXPECT_TRUE(near(blurred.pixel(p), QColor(10, 200, 30), 1)) << p.x() << "," << p.y();
}

TEST(ImageFilters, BlurOfTransparencyStaysPremultiplied)
{
    QImage half(400, 50, QImage::Format_ARGB32_Premultiplied);
    half.fill(Qt::transparent);
    for (int y = 0; y < 50; ++y) {
        for (int x = 200; x < 400; ++x)
            half.setPixel(x, y, qRgba(255, 0, 0, 255));
    }
    const QImage blurred = blurImage(half, 20);
    EXPECT_EQ(blurred.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_NEAR(qAlpha(blurred.pixel(200, 25)), 128, 8);
    for (int x = 0; x < 400; ++x) {
        const QRgb p = reinterpret_cast<const QRgb*>(blurred.constScanLine(25))[x]; // raw premultiplied
        ASSERT_LE(qRed(p), qAlpha(p)) << x;
        ASSERT_EQ(qGreen(p), 0);
    }

    QImage mask(64, 64, QImage::Format_Alpha8);
    mask.fill(0);
    for (int y = 24; y < 40; ++y)
        std::fill_n(mask.scanLine(y) + 24, 16, uchar(255));
    const QImage soft = blurImage(mask, 4);
    EXPECT_EQ(soft.format(), QImage::Format_Alpha8);
    EXPECT_GT(soft.constScanLine(32)[20], 0);
    EXPECT_LT(soft.constScanLine(32)[32], 255);
}

TEST(ImageFilters, PixellateAveragesCellsAnchoredOnThePoint)
{
    QImage ramp(35, 35, QImage::Format_RGB32);
    for (int y = 0; y < 35; ++y) {
        for (int x = 0; x < 35; ++x)
            ramp.setPixel(x, y, qRgb(x * 7, y * 7, 100));
    }
    // Cell corners at 17.5 +- k * 10: columns 0-6, 7-16, 17-26, 27-34.
    const QImage cells = pixellateImage(ramp, 10, QPointF(17.5, 17.5));
    ASSERT_EQ(cells.size(), ramp.size());
    auto mean = [](int from, int to) { return int(std::lround((from + to) / 2.0 * 7)); };
    EXPECT_EQ(qRed(cells.pixel(0, 0)), mean(0, 6));
    EXPECT_EQ(qRed(cells.pixel(6, 20)), mean(0, 6));
    EXPECT_EQ(qRed(cells.pixel(7, 20)), mean(7, 16));
    EXPECT_EQ(qRed(cells.pixel(16, 3)), mean(7, 16));
    EXPECT_EQ(qRed(cells.pixel(34, 34)), mean(27, 34));
    EXPECT_EQ(qGreen(cells.pixel(20, 8)), mean(7, 16));
    EXPECT_EQ(qBlue(cells.pixel(20, 8)), 100);
    EXPECT_EQ(qAlpha(cells.pixel(34, 34)), 255); // edge cells average only what lies inside
}

TEST(ImageFilters, UnusableInputGivesNoImage)
{
    const QImage image = stepImage(10, 10, 5);
    EXPECT_TRUE(blurImage(QImage(), 5).isNull());
    EXPECT_TRUE(blurImage(image, 0).isNull());
    EXPECT_TRUE(blurImage(image, std::numeric_limits<double>::quiet_NaN()).isNull());
    EXPECT_TRUE(pixellateImage(image, -1, QPointF()).isNull());
    EXPECT_TRUE(pixellateImage(image, 4, QPointF(std::numeric_limits<double>::infinity(), 0)).isNull());
    // A radius far beyond the image still gives the image's mean, not a crash.
    EXPECT_NEAR(qRed(blurImage(image, 1e6).pixel(0, 0)), 128, 3);
}
