#include "render/CensorCache.h"
#include "render/PixelProbe.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {
QImage solid(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}
}

TEST(CensorCache, KeysNameTheImageStyleAndTruncatedPercentage)
{
    const QImage image = solid(QSize(10, 10), Qt::red);
    const QString id = QString::number(image.cacheKey());
    EXPECT_EQ(CensorCache::key(image, RedactStyle::blur, 0.6), id + QStringLiteral("-blur-60"));
    EXPECT_EQ(CensorCache::key(image, RedactStyle::pixelate, 1.0), id + QStringLiteral("-pixelate-100"));
    // 0.29 * 100 is just under 29 in double precision: both share the entry of 28.
    EXPECT_EQ(CensorCache::key(image, RedactStyle::blur, 0.29), CensorCache::key(image, RedactStyle::blur, 0.28));
    EXPECT_TRUE(CensorCache::key(image, RedactStyle::blur, 0.29).endsWith(QStringLiteral("-28")));
    // Values from outside the slider's range cannot overflow the percentage.
    EXPECT_TRUE(CensorCache::key(image, RedactStyle::blur, 1e300).endsWith(QStringLiteral("-100")));
    EXPECT_TRUE(CensorCache::key(image, RedactStyle::blur, std::nan("")).endsWith(QStringLiteral("-0")));
}

TEST(CensorCache, FilterSizesFollowTheLongerSide)
{
    EXPECT_DOUBLE_EQ(CensorCache::blurRadius(QSize(100, 60), 0), 4);
    EXPECT_DOUBLE_EQ(CensorCache::pixelCell(QSize(60, 100), 0), 6);
    EXPECT_NEAR(CensorCache::blurRadius(QSize(2880, 1800), 0.6), 69.12, 1e-9);
    EXPECT_NEAR(CensorCache::pixelCell(QSize(1800, 2880), 0.6), 120.96, 1e-9);
}

TEST(CensorCache, RepeatsAreServedFromTheStoreAndBlockNeverTouchesIt)
{
    CensorCache cache;
    const QImage image = detailedImage(QSize(300, 200));
    const auto first = cache.censored(image, RedactStyle::blur, 0.6);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size(), image.size());
    EXPECT_EQ(cache.censored(image, RedactStyle::blur, 0.6)->cacheKey(), first->cacheKey());
    EXPECT_EQ(cache.count(), 1);
    EXPECT_NE(cache.censored(image, RedactStyle::pixelate, 0.6)->cacheKey(), first->cacheKey());
    EXPECT_EQ(cache.count(), 2);
    EXPECT_FALSE(cache.censored(image, RedactStyle::block, 0.6));
    EXPECT_EQ(cache.count(), 2);
    EXPECT_FALSE(cache.censored(QImage(), RedactStyle::blur, 0.6));
    EXPECT_EQ(cache.count(), 2);

    // Off the main thread the copy is made but the store is left alone.
    std::optional<QImage> fromWorker;
    std::thread worker([&] { fromWorker = cache.censored(image, RedactStyle::blur, 0.3); });
    worker.join();
    EXPECT_TRUE(fromWorker);
    EXPECT_EQ(cache.count(), 2);
}

TEST(CensorCache, DraggingTheIntensityKeepsTheStoreBounded)
{
    const QImage image = detailedImage(QSize(400, 300));
    const qint64 entryBytes = image.sizeInBytes();
    CensorCache byCount(4, qint64(1) << 40);
    CensorCache byBytes(100, entryBytes * 3);
    for (int step = 0; step <= 100; step += 5) {
        ASSERT_TRUE(byCount.censored(image, RedactStyle::blur, step / 100.0));
        ASSERT_TRUE(byBytes.censored(image, RedactStyle::pixelate, step / 100.0));
    }
    EXPECT_EQ(byCount.count(), 4);
    EXPECT_LE(byBytes.bytes(), entryBytes * 3);
    // The most recent entries are the ones kept.
    const auto latest = byCount.censored(image, RedactStyle::blur, 1.0);
    EXPECT_EQ(byCount.count(), 4);
    EXPECT_EQ(byCount.censored(image, RedactStyle::blur, 1.0)->cacheKey(), latest->cacheKey());
}

TEST(CensorCache, ANewImageNeverGetsAFreedImagesCopy)
{
    CensorCache cache;
    QRgb firstColour = 0;
    {
        auto red = std::make_unique<QImage>(solid(QSize(64, 64), Qt::red));
        firstColour = cache.censored(*red, RedactStyle::blur, 0.6)->pixel(32, 32);
    }
    // Same size and format, likely the same memory: the identity must still differ.
    auto blue = std::make_unique<QImage>(solid(QSize(64, 64), Qt::blue));
    const auto copy = cache.censored(*blue, RedactStyle::blur, 0.6);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(near(firstColour, Qt::red, 1));
    EXPECT_TRUE(near(copy->pixel(32, 32), Qt::blue, 1));

    // Editing an image in place changes its identity too.
    QImage edited = solid(QSize(64, 64), Qt::green);
    const qint64 before = edited.cacheKey();
    cache.censored(edited, RedactStyle::blur, 0.6);
    edited.fill(Qt::yellow);
    EXPECT_NE(edited.cacheKey(), before);
    EXPECT_TRUE(near(cache.censored(edited, RedactStyle::blur, 0.6)->pixel(10, 10), Qt::yellow, 1));
}

TEST(CensorCache, APreparedCopyIsStoredOnceAndNeverAfterAClear)
{
    CensorCache cache;
    QObject owner;
    const QImage image = detailedImage(QSize(300, 200));
    cache.prepare(image, RedactStyle::blur, 0.6, &owner);
    cache.prepare(image, RedactStyle::block, 0.6, &owner); // nothing to make
    ASSERT_TRUE(waitUntil([&] { return cache.count() == 1; }));
    spin(50);
    EXPECT_EQ(cache.count(), 1);
    // The render finds the prepared copy: the very pixels a copy made on the spot has.
    const QImage stored = *cache.censored(image, RedactStyle::blur, 0.6);
    EXPECT_EQ(cache.count(), 1);
    EXPECT_TRUE(stored == *CensorCache::censoredImage(image, RedactStyle::blur, 0.6));
    // Prepared again: already there, the same copy stays.
    cache.prepare(image, RedactStyle::blur, 0.6, &owner);
    spin(50);
    EXPECT_EQ(cache.censored(image, RedactStyle::blur, 0.6)->cacheKey(), stored.cacheKey());

    // Emptied while a copy is being made (the shot was let go): that copy is not kept.
    const QImage other = detailedImage(QSize(320, 180));
    cache.prepare(other, RedactStyle::pixelate, 0.4, &owner);
    cache.clear();
    spin(300);
    EXPECT_EQ(cache.count(), 0);
    // Nor when its owner is gone.
    {
        QObject shortLived;
        cache.prepare(other, RedactStyle::pixelate, 0.4, &shortLived);
    }
    spin(300);
    EXPECT_EQ(cache.count(), 0);
}
