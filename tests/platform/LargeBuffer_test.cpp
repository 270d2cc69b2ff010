#include "platform/LargeBuffer.h"

#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

namespace {
// Antialiased shapes, a gradient and text: every row and every byte of a row gets written.
void paintScene(QImage& image)
{
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, image.width(), image.height());
    g.setColorAt(0, QColor(250, 20, 90, 200));
    g.setColorAt(1, QColor(10, 200, 120, 255));
    p.fillRect(image.rect().adjusted(3, 5, -7, -2), g);
    QPainterPath path;
    path.addEllipse(QRectF(image.width() * 0.2, image.height() * 0.1, image.width() * 0.5, image.height() * 0.7));
    p.fillPath(path, QColor(30, 60, 240, 160));
    p.setPen(Qt::black);
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Large buffers"));
}
}

TEST(LargeBuffer, ImagesPaintExactlyAsOrdinaryOnesInEveryFormatAndWidth)
{
    // Odd widths give rows whose length is not a multiple of four bytes in the 8- and 24-bit
    // formats; the sizes reach past the 2 MiB from which the large memory is used.
    for (const QImage::Format format : { QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
             QImage::Format_RGB888, QImage::Format_Grayscale8 }) {
        for (const QSize size : { QSize(1, 1), QSize(333, 211), QSize(2049, 1031), QSize(1023, 3001) }) {
            QImage large = LargeBuffer::image(size, format);
            ASSERT_FALSE(large.isNull()) << format;
            ASSERT_EQ(large.size(), size);
            ASSERT_EQ(large.format(), format);
            QImage ordinary(size, format);
            paintScene(large);
            paintScene(ordinary);
            ASSERT_EQ(large.bytesPerLine(), ordinary.bytesPerLine()) << format << " " << size.width();
            EXPECT_TRUE(large == ordinary) << format << " " << size.width() << "x" << size.height();
            // Copies share the memory and outlive the original; a change detaches.
            QImage copy = large;
            large = QImage();
            copy.setPixelColor(0, 0, Qt::white);
            EXPECT_EQ(copy.pixelColor(0, 0), QColor(Qt::white));
        }
    }
    EXPECT_TRUE(LargeBuffer::image(QSize(0, 10), QImage::Format_RGB32).isNull());
    EXPECT_EQ(LargeBuffer::allocate(0), nullptr);
}
