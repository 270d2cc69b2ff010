#include "vision/Grain.h"

#include "vision/PixelSteps.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using ParallelFor = std::function<void(int, const std::function<void(int)>&)>;

// The median step between horizontal neighbours, sampled: 0 on a drawn screenshot, whose areas
// are flat, and about the amplitude of the grain on a grainy one.
int grainLevel(const QImage& page, const QRect& area)
{
    if (page.isNull() || page.format() != QImage::Format_RGB32)
        return 0;
    const QRect r = area.isNull() ? page.rect() : area.intersected(page.rect());
    if (r.width() < 2 || r.height() < 1)
        return 0;
    int histogram[256] = {};
    int samples = 0;
    const int stepX = r.width() >= 600 ? 3 : 1;
    const int stepY = std::max(1, r.height() / 200);
    for (int y = r.top(); y <= r.bottom(); y += stepY) {
        const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = r.left(); x < r.right(); x += stepX) {
            ++histogram[colourDistance(row[x], row[x + 1])];
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

constexpr int kTile = 32;

// One pass of a 3x3 sigma filter over the tiles whose grain is at least `minLevel`: each pixel
// there becomes the mean of itself and those neighbours that differ from it by at most twice its
// tile's grain (or `floor`, if more): about the largest step grain makes between two pixels. Grain averages away; an edge steeper than that, such as a thin stroke of small
// text, keeps its full contrast. Other tiles are copied.
QImage sigmaSmoothed(const QImage& page, const std::vector<uint8_t>& level, int columns, int minLevel, int floor,
    const ParallelFor& parallelFor)
{
    const int w = page.width(), h = page.height();
    QImage out(w, h, QImage::Format_RGB32);
    parallelFor((h + kTile - 1) / kTile, [&](int ty) {
        for (int y = ty * kTile; y < std::min(h, (ty + 1) * kTile); ++y) {
            const QRgb* rows[3] = { reinterpret_cast<const QRgb*>(page.constScanLine(std::max(0, y - 1))),
                reinterpret_cast<const QRgb*>(page.constScanLine(y)),
                reinterpret_cast<const QRgb*>(page.constScanLine(std::min(h - 1, y + 1))) };
            QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int tx = 0; tx < columns; ++tx) {
                const int x0 = tx * kTile, x1 = std::min(w, x0 + kTile);
                const int l = level[size_t(ty) * columns + tx];
                if (l < minLevel) {
                    std::copy(rows[1] + x0, rows[1] + x1, o + x0);
                    continue;
                }
                const int threshold = std::max(6, 2 * std::max(l, floor));
                for (int x = x0; x < x1; ++x) {
                    const QRgb centre = rows[1][x];
                    const int cr = qRed(centre), cg = qGreen(centre), cb = qBlue(centre);
                    int r = 0, g = 0, b = 0, n = 0;
                    for (int dy = 0; dy < 3; ++dy) {
                        if ((dy == 0 && y == 0) || (dy == 2 && y + 1 >= h))
                            continue;
                        for (int xx = std::max(0, x - 1); xx <= std::min(w - 1, x + 1); ++xx) {
                            const QRgb p = rows[dy][xx];
                            const int pr = qRed(p), pg = qGreen(p), pb = qBlue(p);
                            if (std::abs(pr - cr) > threshold || std::abs(pg - cg) > threshold || std::abs(pb - cb) > threshold)
                                continue;
                            r += pr;
                            g += pg;
                            b += pb;
                            ++n;
                        }
                    }
                    o[x] = qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
                }
            }
        }
    });
    return out;
}

// How grainy each tile of the page is (see grainLevel). A tile where many neighbours are exactly
// equal is drawn, however dense its text: grain leaves almost no two pixels alike.
std::vector<uint8_t> tileGrain(const QImage& page, int columns, int rows, const ParallelFor& parallelFor)
{
    std::vector<uint8_t> level(size_t(columns) * rows, 0);
    parallelFor(rows, [&](int ty) {
        for (int tx = 0; tx < columns; ++tx) {
            int histogram[64] = {};
            int samples = 0;
            const int x0 = tx * kTile, x1 = std::min(page.width() - 1, x0 + kTile);
            for (int y = ty * kTile; y < std::min(page.height(), (ty + 1) * kTile); y += 2) {
                const QRgb* r = reinterpret_cast<const QRgb*>(page.constScanLine(y));
                for (int x = x0; x < x1; x += 2) {
                    ++histogram[std::min(63, colourDistance(r[x], r[x + 1]))];
                    ++samples;
                }
            }
            if (samples == 0 || 4 * histogram[0] >= samples)
                continue;
            int seen = 0, d = 0;
            while (d < 63 && 2 * (seen += histogram[d]) < samples)
                ++d;
            level[size_t(ty) * columns + tx] = uint8_t(d);
        }
    });
    return level;
}

} // namespace

QImage smoothGrain(const QImage& page, const ParallelFor& parallelForIn)
{
    if (page.isNull() || page.format() != QImage::Format_RGB32 || page.width() < 3 || page.height() < 3)
        return page;
    const ParallelFor parallelFor = parallelForIn ? parallelForIn : runSerially;
    // Only grainy parts are smoothed (a wallpaper around flat windows): smoothing would blur the
    // small text of a flat panel below what the line finder sees.
    const int columns = (page.width() + kTile - 1) / kTile, rows = (page.height() + kTile - 1) / kTile;
    const std::vector<uint8_t> level = tileGrain(page, columns, rows, parallelFor);
    const uint8_t most = *std::max_element(level.begin(), level.end());
    if (most < 2)
        return page;
    // A tile's own median can fall below the grain around it (dark or saturated areas clip it),
    // so the page's grain is a floor.
    const int floor = grainLevel(page);
    const QImage once = sigmaSmoothed(page, level, columns, 2, floor, parallelFor);
    // Strong grain needs a second pass; the glyphs' edges stay far steeper than what is left.
    return most >= 6 ? sigmaSmoothed(once, level, columns, 6, floor, parallelFor) : once;
}
