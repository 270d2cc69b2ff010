#include "image/PngEncoder.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {
// Noise and gradients: every filter path and byte value gets exercised.
QImage sample(QImage::Format format, int w = 67, int h = 41)
{
    QImage image(w, h, format);
    QRandomGenerator rng(3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor(x * 255 / w, int(rng.bounded(256)), y * 255 / h,
                image.hasAlphaChannel() ? int(rng.bounded(256)) : 255));
    return image;
}

int colourType(const QByteArray& png)
{
    return png.size() > 25 ? uchar(png[25]) : -1; // IHDR colour type
}

void expectSamePixels(const QImage& expected, const QImage& actual, int tolerance)
{
    ASSERT_EQ(expected.size(), actual.size());
    const QImage a = expected.convertToFormat(QImage::Format_ARGB32);
    const QImage b = actual.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            ASSERT_EQ(qAlpha(p), qAlpha(q)) << x << "," << y;
            if (qAlpha(p) == 0)
                continue; // colour of fully transparent pixels is not kept
            ASSERT_LE(std::abs(qRed(p) - qRed(q)), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(qGreen(p) - qGreen(q)), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(qBlue(p) - qBlue(q)), tolerance) << x << "," << y;
        }
}
}

TEST(PngEncoder, RoundTripsOpaqueImagesExactlyWithoutAlpha)
{
    for (const QImage::Format format : { QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_Grayscale8 }) {
        const QImage image = sample(format);
        const QByteArray png = PngEncoder::encode(image);
        ASSERT_FALSE(png.isEmpty()) << format;
        EXPECT_EQ(colourType(png), 2) << format;
        expectSamePixels(image, QImage::fromData(png, "PNG"), 0);
    }
    // Tall enough to be filtered in several bands at once.
    const QImage tall = sample(QImage::Format_RGB32, 131, 700);
    expectSamePixels(tall, QImage::fromData(PngEncoder::encode(tall), "PNG"), 0);
    // Large enough to be compressed in pieces side by side: the pieces must join into one valid
    // stream (the reader checks its checksum), flat areas and noise alike.
    QImage large = sample(QImage::Format_RGB32, 1500, 1100);
    {
        QPainter p(&large);
        p.fillRect(QRect(0, 200, 1500, 500), QColor(0x2f6fde));
        p.fillRect(QRect(300, 0, 200, 1100), Qt::white);
    }
    expectSamePixels(large, QImage::fromData(PngEncoder::encode(large), "PNG"), 0);
    // Noise does not compress: pieces stored rather than compressed still fit and join.
    QImage noise(1200, 900, QImage::Format_RGB32);
    QRandomGenerator rng(11);
    for (int y = 0; y < noise.height(); ++y)
        rng.fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)), noise.width());
    const QByteArray noisePng = PngEncoder::encode(noise);
    ASSERT_FALSE(noisePng.isEmpty());
    expectSamePixels(noise, QImage::fromData(noisePng, "PNG"), 0);

    // An alpha-capable image that happens to be fully opaque is written without alpha too.
    QImage opaque = sample(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QByteArray png = PngEncoder::encode(opaque);
    EXPECT_EQ(colourType(png), 2);
    expectSamePixels(opaque, QImage::fromData(png, "PNG"), 0);
}

TEST(PngEncoder, KeepsTransparency)
{
    const QImage straight = sample(QImage::Format_ARGB32);
    QByteArray png = PngEncoder::encode(straight);
    EXPECT_EQ(colourType(png), 6);
    expectSamePixels(straight, QImage::fromData(png, "PNG"), 0);

    // Premultiplied input comes back as the same colours, up to the rounding premultiplying costs.
    const QImage premultiplied = straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    png = PngEncoder::encode(premultiplied);
    EXPECT_EQ(colourType(png), 6);
    const QImage decoded = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32_Premultiplied);
    expectSamePixels(premultiplied, decoded, 1);
}

TEST(PngEncoder, EdgeSizesAndInvalidInput)
{
    EXPECT_TRUE(PngEncoder::encode(QImage()).isEmpty());
    for (const QSize size : { QSize(1, 1), QSize(1, 300), QSize(300, 1) }) {
        const QImage image = sample(QImage::Format_RGB32, size.width(), size.height());
        expectSamePixels(image, QImage::fromData(PngEncoder::encode(image), "PNG"), 0);
    }
    // A view onto part of a larger image (stride wider than the row) encodes only its own pixels.
    const QImage big = sample(QImage::Format_RGB32, 100, 50);
    const QImage part(big.constScanLine(5) + 10 * 4, 33, 20, big.bytesPerLine(), QImage::Format_RGB32);
    expectSamePixels(part, QImage::fromData(PngEncoder::encode(part), "PNG"), 0);
}

TEST(PngEncoder, ConcurrentEncodesAgree)
{
    const QImage image = sample(QImage::Format_ARGB32_Premultiplied, 400, 300);
    const QByteArray reference = PngEncoder::encode(image);
    QList<int> jobs(16);
    const QList<QByteArray> results = QtConcurrent::blockingMapped(jobs, [&](int) { return PngEncoder::encode(image); });
    for (const QByteArray& r : results)
        EXPECT_EQ(r, reference);
}
