#include "platform/LargeBuffer.h"

#include <cstdlib>
#include <limits>
#include <sys/mman.h>

namespace LargeBuffer {

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
}

void* allocate(std::size_t size, bool hugePages)
{
    if (size == 0 || size > std::numeric_limits<std::size_t>::max() - kHugePage)
        return nullptr;
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* data = std::aligned_alloc(kHugePage, rounded);
    if (data)
        ::madvise(data, rounded, hugePages ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
    return data;
}

void release(void* data)
{
    std::free(data);
}

QImage image(QSize size, QImage::Format format)
{
    if (size.isEmpty())
        return {};
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    // Rows aligned to 4 bytes, as QImage lays out its own.
    const qint64 bytesPerLine = (qint64(size.width()) * depth + 31) / 32 * 4;
    const qint64 bytes = bytesPerLine * size.height();
    if (depth <= 0 || bytes < qint64(kHugePage) || bytes > std::numeric_limits<qsizetype>::max() / 2)
        return QImage(size, format);
    void* data = allocate(std::size_t(bytes));
    if (!data)
        return {};
    return QImage(static_cast<uchar*>(data), size.width(), size.height(), qsizetype(bytesPerLine), format,
        [](void* info) { release(info); }, data);
}

}
