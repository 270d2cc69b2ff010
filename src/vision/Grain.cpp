#include "vision/Grain.h"

#include "vision/PixelSteps.h"

#include <cstdint>
#include <vector>

using ParallelFor = std::function<void(int, const std::function<void(int)>&)>;

// The median step between horizontal neighbours, sampled: 0 on a drawn screenshot, whose areas
// are flat, and about the amplitude of the grain on a grainy one.
int grainLevel(const QImage& page)
{
    if (page.isNull() || page.format() != QImage::Format_RGB32)
        return 0;
    int histogram[256] = {};
    int samples = 0;
    const int stepY = std::max(1, page.height() / 200);
    for (int y = 0; y < page.height(); y += stepY) {
        const QRgb* r = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x + 1 < page.width(); x += 3) {
            ++histogram[colourDistance(r[x], r[x + 1])];
            ++samples;
        }
    }
    int seen = 0;
    for (int d = 0; d < 256; ++d) {
        seen += histogram[d];
        if (2 * seen >= samples)
            return d;
    }
    return 0;
}

namespace {

// One pass of a 3x3 box filter.
QImage boxBlurred(const QImage& page, const ParallelFor& parallelFor)
{
    const int w = page.width(), h = page.height();
    QImage out(w, h, QImage::Format_RGB32);
    const int bands = std::max(1, h / 64);
    parallelFor(bands, [&](int b) {
        const int from = int(int64_t(h) * b / bands), to = int(int64_t(h) * (b + 1) / bands);
        std::vector<int> sums(size_t(w) * 3);
        for (int y = from; y < to; ++y) {
            std::fill(sums.begin(), sums.end(), 0);
            int rows = 0;
            for (int yy = std::max(0, y - 1); yy <= std::min(h - 1, y + 1); ++yy, ++rows) {
                const QRgb* r = reinterpret_cast<const QRgb*>(page.constScanLine(yy));
                for (int x = 0; x < w; ++x) {
                    sums[3 * size_t(x)] += qRed(r[x]);
                    sums[3 * size_t(x) + 1] += qGreen(r[x]);
                    sums[3 * size_t(x) + 2] += qBlue(r[x]);
                }
            }
            QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x) {
                int c[3] = { 0, 0, 0 }, n = 0;
                for (int xx = std::max(0, x - 1); xx <= std::min(w - 1, x + 1); ++xx, ++n)
                    for (int k = 0; k < 3; ++k)
                        c[k] += sums[3 * size_t(xx) + k];
                const int d = n * rows;
                o[x] = qRgb((c[0] + d / 2) / d, (c[1] + d / 2) / d, (c[2] + d / 2) / d);
            }
        }
    });
    return out;
}

} // namespace

QImage smoothGrain(const QImage& page, const ParallelFor& parallelForIn)
{
    if (page.isNull() || page.format() != QImage::Format_RGB32 || page.width() < 3 || page.height() < 3)
        return page;
    const int level = grainLevel(page);
    if (level < 2)
        return page;
    const ParallelFor parallelFor = parallelForIn ? parallelForIn : runSerially;
    QImage smooth = boxBlurred(page, parallelFor);
    // Strong grain needs a second pass; the glyphs' edges stay far steeper than what is left.
    if (level >= 6)
        smooth = boxBlurred(smooth, parallelFor);
    return smooth;
}
