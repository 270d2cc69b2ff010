#include "image/LargeBuffer.h"

#include "core/ParallelFor.h"

#include <QColorSpace>

#include <algorithm>
#include <cstring>

#include <cstdlib>
#include <limits>
#include <sys/mman.h>

namespace LargeBuffer {

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
}

void* allocate(std::size_t size)
{
    if (size == 0 || size > std::numeric_limits<std::size_t>::max() - kHugePage)
        return nullptr;
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* data = std::aligned_alloc(kHugePage, rounded);
    // Small pages even where the kernel would hand out huge ones: a huge page fault may stall on
    // compaction when memory is fragmented, and only what is written becomes resident.
    if (data)
        ::madvise(data, rounded, MADV_NOHUGEPAGE);
    return data;
}

void release(void* data)
{
    std::free(data);
}

QImage filledImage(QSize size, QImage::Format format, const QColor& color)
{
    QImage image(size, format);
    if (image.isNull())
        return image;
    if (image.depth() != 32 || image.sizeInBytes() < (qsizetype(1) << 20)) {
        image.fill(color);
        return image;
    }
    // The pixel QImage::fill writes for the colour in this format.
    QImage one(1, 1, format);
    one.fill(color);
    const quint32 pixel = *reinterpret_cast<const quint32*>(one.constBits());
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int width = image.width();
    const int height = image.height();
    constexpr int kRowsPerBand = 64;
    parallelFor((height + kRowsPerBand - 1) / kRowsPerBand, [&](int band) {
        for (int y = band * kRowsPerBand; y < std::min(height, (band + 1) * kRowsPerBand); ++y)
            std::fill_n(reinterpret_cast<quint32*>(bits + y * stride), width, pixel);
    });
    return image;
}

QImage copiedImage(const QImage& image)
{
    if (image.isNull() || image.sizeInBytes() < (qsizetype(1) << 20))
        return image.copy();
    QImage copy(image.size(), image.format());
    if (copy.isNull())
        return copy;
    copy.setDevicePixelRatio(image.devicePixelRatio());
    copy.setColorSpace(image.colorSpace());
    copy.setDotsPerMeterX(image.dotsPerMeterX());
    copy.setDotsPerMeterY(image.dotsPerMeterY());
    for (const QString& key : image.textKeys())
        copy.setText(key, image.text(key));
    const uchar* const from = image.constBits();
    uchar* const to = copy.bits();
    const qsizetype fromStride = image.bytesPerLine();
    const qsizetype toStride = copy.bytesPerLine();
    const qsizetype rowBytes = std::min(fromStride, toStride);
    const int height = image.height();
    constexpr int kRowsPerBand = 64;
    parallelFor((height + kRowsPerBand - 1) / kRowsPerBand, [&](int band) {
        for (int y = band * kRowsPerBand; y < std::min(height, (band + 1) * kRowsPerBand); ++y)
            std::memcpy(to + y * toStride, from + y * fromStride, size_t(rowBytes));
    });
    return copy;
}

}
