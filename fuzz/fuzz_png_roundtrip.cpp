// The PNG encoder on any image: what it writes decodes to the same pixels.
#include "FuzzSupport.h"
#include "image/PngEncoder.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    constexpr QImage::Format kFormats[] = { QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
        QImage::Format_RGB888, QImage::Format_Grayscale8, QImage::Format_RGBA8888, QImage::Format_RGB16 };
    const int width = 1 + data[0] % 200;
    const int height = 1 + data[1] % 200;
    const QImage::Format format = kFormats[data[2] % std::size(kFormats)];
    // Bytes after each row, as a view into a larger image has; Qt wants rows 32-bit aligned.
    const int padding = 4 * (data[3] % 4);
    data += 4;
    size -= 4;

    const int depthBytes = QImage::toPixelFormat(format).bitsPerPixel() / 8;
    const qsizetype stride = (qsizetype(width) * depthBytes + 3) / 4 * 4 + padding;
    QByteArray pixels(stride * height, '\0');
    for (qsizetype i = 0; i < pixels.size() && size > 0; ++i)
        pixels[i] = char(data[i % size]);
    QImage image(reinterpret_cast<const uchar*>(pixels.constData()), width, height, stride, format);
    if (format == QImage::Format_ARGB32_Premultiplied) {
        // Premultiplied pixels never exceed their alpha.
        image = image.copy();
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int a = qAlpha(line[x]);
                line[x] = qRgba(std::min(qRed(line[x]), a), std::min(qGreen(line[x]), a), std::min(qBlue(line[x]), a), a);
            }
        }
    }

    const QByteArray png = PngEncoder::encode(image);
    FUZZ_CHECK(!png.isEmpty());
    const QImage decoded = QImage::fromData(png, "PNG");
    FUZZ_CHECK(decoded.size() == image.size());
    const bool premultiplied = format == QImage::Format_ARGB32_Premultiplied;
    const QImage::Format compareIn = premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32;
    const QImage a = image.convertToFormat(compareIn);
    const QImage b = decoded.convertToFormat(compareIn);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            // Straight colour under a small alpha cannot come back exactly once premultiplied.
            const int tolerance = premultiplied ? 1 : 0;
            FUZZ_CHECK(qAlpha(p) == qAlpha(q));
            FUZZ_CHECK(std::abs(qRed(p) - qRed(q)) <= tolerance && std::abs(qGreen(p) - qGreen(q)) <= tolerance
                && std::abs(qBlue(p) - qBlue(q)) <= tolerance);
        }
    }
    return 0;
}
