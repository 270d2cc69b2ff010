#include "render/BackgroundView.h"
#include "render/BackgroundMesh.h"
#include "render/CheckerboardPattern.h"
#include "render/MeshGradient.h"
#include "render/PixelProbe.h"

#include <gtest/gtest.h>

#include <thread>

namespace {
QImage paintedSwatch(BackgroundPreset preset, QRectF rect, QSize pixels, double dpr, ColorScheme scheme = ColorScheme::light)
{
    QImage image = transparentCanvas(pixels, dpr);
    QPainter painter(&image);
    paintBackground(painter, rect, preset, scheme);
    return image;
}

// Largest step between neighbouring pixels: a gap or a crease in a gradient shows as a jump.
int largestStep(const QImage& image)
{
    int worst = 0;
    for (int y = 1; y < image.height(); ++y) {
        for (int x = 1; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            worst = std::max({ worst, channelDistance(p, image.pixel(x - 1, y)), channelDistance(p, image.pixel(x, y - 1)) });
        }
    }
    return worst;
}
}

TEST(BackgroundView, EveryPresetFillsItsRectangleOpaquely)
{
    // A swatch at a fractional position on a 2x device, as the inspector and the notch draw them.
    for (BackgroundPreset preset : allCases<BackgroundPreset>) {
        const QImage image = paintedSwatch(preset, QRectF(3.25, 2.5, 61.5, 40.25), QSize(140, 90), 2.0);
        for (int y = 6; y < 85; ++y) {
            for (int x = 8; x < 129; ++x)
                ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << rawValue(preset).toStdString() << " at " << x << "," << y;
        }
        // Nothing spills outside the rectangle.
        EXPECT_EQ(qAlpha(image.pixel(5, 3)), 0) << rawValue(preset).toStdString();
        EXPECT_EQ(qAlpha(image.pixel(131, 87)), 0) << rawValue(preset).toStdString();
    }
}

TEST(BackgroundView, GradientsAreSmoothAndHitTheirCornerColours)
{
    for (BackgroundPreset preset : allCases<BackgroundPreset>) {
        if (preset == BackgroundPreset::none)
            continue;
        const QImage image = renderBackgroundImage(preset, QSize(600, 400));
        ASSERT_FALSE(image.isNull());
        EXPECT_LE(largestStep(image), 8) << rawValue(preset).toStdString();
    }
    // Corner presets: the mesh's corner colours sit in the corners.
    const std::pair<BackgroundPreset, std::array<int, 4>> corners[] = {
        { BackgroundPreset::sunset, { 0xFF6A3D, 0xFF2D6E, 0xFFB347, 0x7A1FA2 } },
        { BackgroundPreset::ocean, { 0x35E1F0, 0x3B82F6, 0x22D3A6, 0x1E3A8A } },
        { BackgroundPreset::peach, { 0xFFD1A1, 0xFF8FA3, 0xFFE3C7, 0xFF6F91 } },
    };
    for (const auto& [preset, c] : corners) {
        const QImage image = renderBackgroundImage(preset, QSize(3000, 2000));
        const QPoint at[4] = { { 0, 0 }, { 2999, 0 }, { 0, 1999 }, { 2999, 1999 } };
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(near(image.pixel(at[i]), QColor::fromRgb(QRgb(c[i])), 3)) << rawValue(preset).toStdString() << " corner " << i;
    }
    const QImage noir = renderBackgroundImage(BackgroundPreset::noir, QSize(800, 500));
    EXPECT_TRUE(near(noir.pixel(0, 0), QColor(0x2B, 0x2B, 0x2E), 2));
    EXPECT_TRUE(near(noir.pixel(799, 499), QColor(0x13, 0x13, 0x15), 2));
    const QImage snow = renderBackgroundImage(BackgroundPreset::snow, QSize(800, 500));
    EXPECT_TRUE(near(snow.pixel(0, 0), QColor(0xFD, 0xFD, 0xFF), 2));
    EXPECT_TRUE(near(snow.pixel(799, 499), QColor(0xE7, 0xE9, 0xF0), 2));
}

TEST(BackgroundView, WarpedOrFoldedMeshesLeaveNoHole)
{
    // Inner points pulled across each other fold the surface; every pixel must still get a
    // colour from the mesh (a hole would stay black).
    BackgroundMesh mesh = gridMesh(meshPoints4A(), std::array<int, 16> {});
    for (MeshColor& c : mesh.colors)
        c = MeshColor::fromHex(0x80C0FF);
    mesh.points[5] = QPointF(0.9, 0.8);
    mesh.points[10] = QPointF(0.1, 0.15);
    const QImage image = renderMeshGradient(mesh, QSize(500, 300));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ASSERT_TRUE(near(image.pixel(x, y), QColor(0x80, 0xC0, 0xFF), 1)) << x << "," << y;
    }
    EXPECT_TRUE(renderMeshGradient(mesh, QSize(0, 10)).isNull());
    EXPECT_TRUE(renderMeshGradient(BackgroundMesh {}, QSize(4, 4)).pixel(0, 0) == qRgb(0, 0, 0));
}

TEST(BackgroundView, CheckerboardCellsAndSchemes)
{
    QImage image = transparentCanvas(QSize(30, 20));
    {
        QPainter painter(&image);
        paintBackground(painter, QRectF(0, 0, 30, 20), BackgroundPreset::none, ColorScheme::light);
    }
    const QColor a(0xE2, 0xE4, 0xEA), b(Qt::white);
    EXPECT_TRUE(near(image.pixel(0, 0), a, 0));
    EXPECT_TRUE(near(image.pixel(12, 0), b, 0));
    EXPECT_TRUE(near(image.pixel(24, 0), a, 0));
    EXPECT_TRUE(near(image.pixel(29, 19), b, 0)); // row 1, column 2: cut at the edge
    EXPECT_TRUE(near(image.pixel(0, 12), b, 0));

    const CheckerboardPattern dark { ColorScheme::dark };
    EXPECT_EQ(dark.colorA(), QColor(0x2A, 0x2A, 0x2C));
    EXPECT_EQ(dark.colorB(), QColor(0x3A, 0x3A, 0x3C));

    QImage untouched = transparentCanvas(QSize(8, 8));
    QPainter painter(&untouched);
    paintBackground(painter, QRectF(0, 0, 0, 8), BackgroundPreset::none, ColorScheme::light);
    paintBackground(painter, QRectF(0, 0, 8, 0), BackgroundPreset::sunset, ColorScheme::light);
    painter.end();
    EXPECT_EQ(qAlpha(untouched.pixel(4, 4)), 0);
}

TEST(BackgroundView, CacheServesRepeatsAndStaysBounded)
{
    BackgroundImageCache cache(3, qint64(1) << 30);
    const QImage first = cache.image(BackgroundPreset::prism, QSize(200, 100));
    EXPECT_EQ(cache.image(BackgroundPreset::prism, QSize(200, 100)).cacheKey(), first.cacheKey());
    EXPECT_NE(cache.image(BackgroundPreset::prism, QSize(201, 100)).cacheKey(), first.cacheKey());
    cache.image(BackgroundPreset::lava, QSize(200, 100));
    cache.image(BackgroundPreset::jade, QSize(200, 100));
    EXPECT_EQ(cache.count(), 3);
    EXPECT_TRUE(cache.image(BackgroundPreset::none, QSize(10, 10)).isNull());
    EXPECT_EQ(cache.count(), 3);

    BackgroundImageCache small(100, 200 * 100 * 4 * 2);
    for (int w = 200; w < 210; ++w)
        small.image(BackgroundPreset::sky, QSize(w, 100));
    EXPECT_LE(small.bytes(), 200 * 100 * 4 * 2 + 10 * 100 * 4 * 2);
    EXPECT_LE(small.count(), 2);
}

TEST(BackgroundView, PaintsOffTheMainThreadWithoutTheCache)
{
    const int before = BackgroundImageCache::shared().count();
    QImage image;
    std::thread worker([&image] { image = paintedSwatch(BackgroundPreset::aurora, QRectF(0, 0, 64, 48), QSize(64, 48), 1.0); });
    worker.join();
    EXPECT_EQ(qAlpha(image.pixel(32, 24)), 255);
    EXPECT_EQ(BackgroundImageCache::shared().count(), before);
}
