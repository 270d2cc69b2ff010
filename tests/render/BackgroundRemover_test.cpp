#include "render/BackgroundRemover.h"

#include "fakes/FakeForegroundSegmenter.h"
#include "vision/BorderForegroundSegmenter.h"
#include "support/LogCapture.h"
#include "support/SyntheticShots.h"

#include <gtest/gtest.h>

namespace {
QImage shot(int w = 64, int h = 32)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    return image;
}
}

TEST(BackgroundRemover, CachesPerImageAndNeverConfusesImages)
{
    FakeForegroundSegmenter fake;
    BackgroundRemover remover(fake);
    const QImage a = shot();
    ASSERT_TRUE(remover.removeBackground(a).has_value());
    ASSERT_TRUE(remover.removeBackground(a).has_value());
    EXPECT_EQ(fake.calls, 1);

    // Same pixels, another image: its own entry. A changed copy (detached) is a new image too.
    const QImage b = shot();
    remover.removeBackground(b);
    EXPECT_EQ(fake.calls, 2);
    QImage c = a;
    c.setPixel(0, 0, 0xff000000u);
    remover.removeBackground(c);
    EXPECT_EQ(fake.calls, 3);
}

TEST(BackgroundRemover, CutOutIsTransparentOutsideTheForegroundAndKeepsPointSize)
{
    FakeForegroundSegmenter fake;
    BackgroundRemover remover(fake);
    QImage hidpi = shot(80, 40);
    hidpi.setDevicePixelRatio(2);
    const auto cut = remover.removeBackground(hidpi);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->deviceIndependentSize(), hidpi.deviceIndependentSize());
    EXPECT_EQ(cut->size(), hidpi.size());
    EXPECT_EQ(cut->pixel(10, 10), hidpi.pixel(10, 10)); // fake: left half is foreground
    EXPECT_EQ(qAlpha(cut->pixel(70, 10)), 0);
}

TEST(BackgroundRemover, NothingFoundIsRememberedButFailuresAreRetriedAndLogged)
{
    FakeForegroundSegmenter fake;
    BackgroundRemover remover(fake);
    const QImage image = shot();

    fake.result = { ForegroundMask::Status::failed, {}, QStringLiteral("out of memory") };
    LogCapture log;
    EXPECT_FALSE(remover.removeBackground(image).has_value());
    EXPECT_FALSE(remover.removeBackground(image).has_value());
    EXPECT_EQ(fake.calls, 2);
    EXPECT_EQ(log.count(QStringLiteral("background removal failed: out of memory")), 2);

    fake.result = { ForegroundMask::Status::nothingFound, {}, {} };
    EXPECT_FALSE(remover.removeBackground(image).has_value());
    EXPECT_FALSE(remover.removeBackground(image).has_value());
    EXPECT_EQ(fake.calls, 3);
    EXPECT_EQ(log.lines.size(), 2); // nothing found is not an error
}

TEST(BackgroundRemover, CacheIsBoundedByCountAndBytes)
{
    FakeForegroundSegmenter fake;
    BackgroundRemover byCount(fake, 3);
    std::vector<QImage> images;
    for (int i = 0; i < 5; ++i) {
        images.push_back(shot());
        byCount.removeBackground(images.back());
    }
    EXPECT_EQ(byCount.cachedEntries(), 3);
    byCount.removeBackground(images[4]); // still cached
    EXPECT_EQ(fake.calls, 5);
    byCount.removeBackground(images[0]); // evicted first
    EXPECT_EQ(fake.calls, 6);

    const qint64 oneCutOut = shot().sizeInBytes();
    BackgroundRemover byBytes(fake, 100, oneCutOut * 2);
    for (int i = 0; i < 4; ++i)
        byBytes.removeBackground(images[size_t(i)]);
    EXPECT_EQ(byBytes.cachedEntries(), 2);
}

TEST(BackgroundRemover, RealSegmenterCutsAWindowOut)
{
    BorderForegroundSegmenter segmenter;
    BackgroundRemover remover(segmenter);
    const QRect window(60, 40, 200, 120);
    const auto cut = remover.removeBackground(windowOnDesktop(QSize(320, 200), QColor(30, 140, 90), window));
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(qAlpha(cut->pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(cut->pixel(window.center())), 255);
}
