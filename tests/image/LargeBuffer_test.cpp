#include "image/LargeBuffer.h"

#include <gtest/gtest.h>

TEST(LargeBuffer, FilledImagesHoldExactlyWhatFillWrites)
{
    // Filled in bands from 1 MiB on: every row, whatever the width, and the pixel QImage::fill
    // makes of the colour in that format (premultiplied, alpha dropped, or 8 bits).
    const QColor colours[] = { Qt::transparent, Qt::black, QColor(200, 40, 90, 128), QColor(12, 250, 7) };
    for (const QImage::Format format : { QImage::Format_RGB32, QImage::Format_ARGB32,
             QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888, QImage::Format_Grayscale8 }) {
        for (const QSize size : { QSize(1, 1), QSize(333, 211), QSize(2049, 1031), QSize(1023, 3001) }) {
            for (const QColor& colour : colours) {
                const QImage filled = LargeBuffer::filledImage(size, format, colour);
                QImage expected(size, format);
                expected.fill(colour);
                ASSERT_EQ(filled.format(), format);
                EXPECT_TRUE(filled == expected) << format << " " << size.width() << "x" << size.height() << " "
                                                << colour.name(QColor::HexArgb).toStdString();
            }
        }
    }
    EXPECT_TRUE(LargeBuffer::filledImage(QSize(0, 10), QImage::Format_RGB32, Qt::black).isNull());
    EXPECT_EQ(LargeBuffer::allocate(0), nullptr);
}

TEST(LargeBuffer, CopiesAreDeepAndWhole)
{
    // Rows of every width and format; pixel ratio, resolution and text come along; the copy
    // shares nothing with its source.
    for (const QImage::Format format : { QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
             QImage::Format_RGB888, QImage::Format_Grayscale8 }) {
        for (const QSize size : { QSize(3, 2), QSize(1023, 3001), QSize(2049, 1031) }) {
            QImage source(size, format);
            for (int y = 0; y < size.height(); ++y) {
                uchar* line = source.scanLine(y);
                for (qsizetype i = 0; i < source.bytesPerLine(); ++i)
                    line[i] = uchar((y * 31 + i * 7) & 0xff);
            }
            source.setDevicePixelRatio(2);
            source.setDotsPerMeterX(5000);
            source.setText(QStringLiteral("Software"), QStringLiteral("test"));
            QImage copy = LargeBuffer::copiedImage(source);
            ASSERT_EQ(copy.format(), format);
            EXPECT_TRUE(copy == source) << format << " " << size.width();
            EXPECT_EQ(copy.devicePixelRatio(), 2);
            EXPECT_EQ(copy.dotsPerMeterX(), 5000);
            EXPECT_EQ(copy.text(QStringLiteral("Software")), QStringLiteral("test"));
            EXPECT_NE(copy.constBits(), source.constBits());
            copy.fill(Qt::white);
            EXPECT_FALSE(copy == source);
        }
    }
    EXPECT_TRUE(LargeBuffer::copiedImage(QImage()).isNull());
}
