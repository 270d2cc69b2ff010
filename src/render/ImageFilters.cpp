#include "render/ImageFilters.h"

#include "render/PlanarImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {
// The blur on a reduced copy keeps at least this standard deviation, in reduced pixels, so the
// bilinear scale back up leaves no visible steps.
constexpr double kMinReducedSigma = 3.0;

// Widths of three successive box blurs whose combined variance matches a Gaussian of sigma.
std::vector<int> boxWidths(double sigma)
{
    constexpr int n = 3;
    // Beyond any image's side a wider box changes nothing; the cap keeps the arithmetic in range.
    const double ideal = std::min(std::sqrt(12.0 * sigma * sigma / n + 1.0), 1e6);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    lower = std::max(lower, 1);
    const int upper = lower + 2;
    const double low = lower;
    const double mIdeal = std::clamp((12.0 * sigma * sigma - n * low * low - 4.0 * n * low - 3.0 * n) / (-4.0 * low - 4.0), 0.0, double(n));
    const int m = int(std::lround(mIdeal));
    std::vector<int> widths;
    for (int i = 0; i < n; ++i)
        widths.push_back(i < m ? lower : upper);
    return widths;
}

// Box blur of radius r along rows, edges clamped. The window is clamped only near the ends;
// the long middle stretch slides without bounds checks.
void boxRows(const std::vector<float>& in, std::vector<float>& out, int w, int h, int r)
{
    const float inv = 1.0f / float(2 * r + 1);
    for (int y = 0; y < h; ++y) {
        const float* src = in.data() + std::size_t(y) * std::size_t(w);
        float* dst = out.data() + std::size_t(y) * std::size_t(w);
        auto at = [&](int x) { return src[std::clamp(x, 0, w - 1)]; };
        double sum = 0;
        for (int k = -r; k <= r; ++k)
            sum += at(k);
        const int safeFrom = std::min(w, r), safeTo = std::max(safeFrom, w - r - 1);
        int x = 0;
        for (; x < safeFrom; ++x) {
            dst[x] = float(sum) * inv;
            sum += double(at(x + r + 1)) - double(at(x - r));
        }
        for (; x < safeTo; ++x) {
            dst[x] = float(sum) * inv;
            sum += double(src[x + r + 1]) - double(src[x - r]);
        }
        for (; x < w; ++x) {
            dst[x] = float(sum) * inv;
            sum += double(at(x + r + 1)) - double(at(x - r));
        }
    }
}

// Box blur of radius r along columns, edges clamped; walks rows so memory is read in order.
void boxColumns(const std::vector<float>& in, std::vector<float>& out, int w, int h, int r)
{
    const float inv = 1.0f / float(2 * r + 1);
    auto row = [&](int y) { return in.data() + std::size_t(std::clamp(y, 0, h - 1)) * std::size_t(w); };
    std::vector<double> sums(std::size_t(w), 0.0);
    for (int k = -r; k <= r; ++k) {
        const float* src = row(k);
        for (int x = 0; x < w; ++x)
            sums[std::size_t(x)] += src[x];
    }
    for (int y = 0; y < h; ++y) {
        float* dst = out.data() + std::size_t(y) * std::size_t(w);
        const float* add = row(y + r + 1);
        const float* drop = row(y - r);
        for (int x = 0; x < w; ++x) {
            dst[x] = float(sums[std::size_t(x)]) * inv;
            sums[std::size_t(x)] += double(add[x]) - double(drop[x]);
        }
    }
}

// Masks blurred by a few pixels (soft shadows of marks) skip the planar round trip: three
// integer box passes per axis straight on the 8-bit rows, columns walked row by row.
QImage blurAlphaMask(const QImage& mask, double sigma)
{
    QImage out = mask.copy();
    if (out.isNull())
        return out;
    const int w = out.width(), h = out.height();
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    std::vector<std::uint8_t> line(static_cast<std::size_t>(w));
    std::vector<std::uint8_t> before(std::size_t(w) * std::size_t(h));
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(w));
    for (const int width : boxWidths(sigma)) {
        const int r = (width - 1) / 2;
        if (r == 0)
            continue;
        // Division by the window as a multiply, exact enough for 8-bit results.
        const std::uint64_t reciprocal = ((std::uint64_t(1) << 32) + std::uint64_t(2 * r)) / std::uint64_t(2 * r + 1);
        auto average = [reciprocal, r](std::uint32_t sum) { return std::uint8_t((std::uint64_t(sum + std::uint32_t(r)) * reciprocal) >> 32); };

        for (int y = 0; y < h; ++y) {
            uchar* row = bits + y * stride;
            std::copy_n(row, w, line.begin());
            const std::uint8_t* src = line.data();
            std::uint32_t sum = 0;
            for (int k = -r; k <= r; ++k)
                sum += src[std::clamp(k, 0, w - 1)];
            for (int x = 0; x < w; ++x) {
                row[x] = average(sum);
                sum += std::uint32_t(src[std::min(x + r + 1, w - 1)]) - std::uint32_t(src[std::max(x - r, 0)]);
            }
        }

        for (int y = 0; y < h; ++y)
            std::copy_n(bits + y * stride, w, before.begin() + std::ptrdiff_t(y) * w);
        auto sourceRow = [&](int y) { return before.data() + std::size_t(std::clamp(y, 0, h - 1)) * std::size_t(w); };
        std::fill(sums.begin(), sums.end(), 0u);
        for (int k = -r; k <= r; ++k) {
            const std::uint8_t* src = sourceRow(k);
            for (int x = 0; x < w; ++x)
                sums[std::size_t(x)] += src[x];
        }
        for (int y = 0; y < h; ++y) {
            uchar* row = bits + y * stride;
            const std::uint8_t* add = sourceRow(y + r + 1);
            const std::uint8_t* drop = sourceRow(y - r);
            for (int x = 0; x < w; ++x) {
                row[x] = average(sums[std::size_t(x)]);
                sums[std::size_t(x)] += std::uint32_t(add[x]) - std::uint32_t(drop[x]);
            }
        }
    }
    return out;
}

bool usable(const QImage& image, double size)
{
    return !image.isNull() && std::isfinite(size) && size > 0;
}
}

QImage blurImage(const QImage& image, double radius)
{
    if (!usable(image, radius))
        return {};
    const int longSide = std::max(image.width(), image.height());
    const int factor = std::clamp(int(radius / kMinReducedSigma), 1, longSide);
    if (factor == 1 && image.format() == QImage::Format_Alpha8)
        return blurAlphaMask(image, radius);
    PlanarImage planar = downscaleToPlanar(image, factor);
    if (planar.isNull())
        return {};
    // Averaging blocks and scaling back up blur a little themselves (about f^2/12 and f^2/6 of
    // variance); the reduced blur makes up the rest.
    const double f = factor;
    const double sigma = factor == 1 ? radius : std::sqrt(std::max(radius * radius / (f * f) - 0.25, 0.25));
    std::vector<float> scratch(std::size_t(planar.width) * std::size_t(planar.height));
    for (const int width : boxWidths(sigma)) {
        const int r = (width - 1) / 2;
        if (r == 0)
            continue;
        for (int c = 0; c < planar.channels; ++c) {
            boxRows(planar.plane[c], scratch, planar.width, planar.height, r);
            boxColumns(scratch, planar.plane[c], planar.width, planar.height, r);
        }
    }
    QImage out = upscaleToImage(planar, image.size(), 1.0 / f, 1.0 / f);
    if (!out.isNull())
        out.setDevicePixelRatio(image.devicePixelRatio());
    return out;
}

QImage pixellateImage(const QImage& image, double cellSize, QPointF anchor)
{
    if (!usable(image, cellSize) || !std::isfinite(anchor.x()) || !std::isfinite(anchor.y()))
        return {};
    const bool opaque = !image.hasAlphaChannel();
    QImage out = image.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return {};
    const int W = out.width(), H = out.height();

    // Cell index of every column and row: the cell holding the pixel's centre.
    auto cellsAlong = [cellSize](int n, double origin, std::vector<int>& index) {
        index.resize(std::size_t(n));
        const double first = std::floor((0.5 - origin) / cellSize);
        for (int i = 0; i < n; ++i)
            index[std::size_t(i)] = int(std::floor((i + 0.5 - origin) / cellSize) - first);
        return index.back() + 1;
    };
    std::vector<int> column, row;
    const int cellsX = cellsAlong(W, anchor.x(), column);
    const int cellsY = cellsAlong(H, anchor.y(), row);

    struct Sum {
        std::uint64_t c[4] = { 0, 0, 0, 0 };
        std::uint64_t count = 0;
    };
    std::vector<Sum> sums(std::size_t(cellsX) * std::size_t(cellsY));
    for (int y = 0; y < H; ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(out.constScanLine(y));
        Sum* cellRow = sums.data() + std::size_t(row[std::size_t(y)]) * std::size_t(cellsX);
        for (int x = 0; x < W; ++x) {
            const std::uint32_t p = line[x];
            Sum& s = cellRow[column[std::size_t(x)]];
            s.c[0] += p >> 24;
            s.c[1] += (p >> 16) & 255;
            s.c[2] += (p >> 8) & 255;
            s.c[3] += p & 255;
            ++s.count;
        }
    }
    std::vector<std::uint32_t> average(sums.size());
    for (std::size_t i = 0; i < sums.size(); ++i) {
        const Sum& s = sums[i];
        if (s.count == 0)
            continue;
        auto mean = [&](int k) { return std::uint32_t((s.c[k] + s.count / 2) / s.count); };
        average[i] = (mean(0) << 24) | (mean(1) << 16) | (mean(2) << 8) | mean(3);
    }
    for (int y = 0; y < H; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        const std::uint32_t* cellRow = average.data() + std::size_t(row[std::size_t(y)]) * std::size_t(cellsX);
        for (int x = 0; x < W; ++x)
            line[x] = cellRow[column[std::size_t(x)]];
    }
    return out;
}
