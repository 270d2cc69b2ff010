#include "render/PlanarImage.h"

#include "core/ParallelFor.h"

#include <algorithm>
#include <cstdint>

PlanarImage::PlanarImage(int w, int h, int channelCount)
    : width(w), height(h), channels(channelCount)
{
    for (int c = 0; c < channels; ++c)
        plane[c].assign(std::size_t(w) * std::size_t(h), 0.0f);
}

PlanarImage downscaleToPlanar(const QImage& image, int factor)
{
    if (image.isNull() || factor < 1)
        return {};
    const bool alphaOnly = image.format() == QImage::Format_Alpha8;
    const bool opaque = !alphaOnly && !image.hasAlphaChannel();
    QImage src = image;
    if (!alphaOnly && src.format() != QImage::Format_ARGB32_Premultiplied && src.format() != QImage::Format_RGB32)
        src = src.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (src.isNull())
        return {};

    const int W = src.width(), H = src.height();
    const int w = (W + factor - 1) / factor, h = (H + factor - 1) / factor;
    const int channels = alphaOnly ? 1 : opaque ? 3 : 4;
    PlanarImage out(w, h, channels);
    std::vector<std::uint32_t> sums(std::size_t(w) * std::size_t(channels));
    for (int by = 0; by < h; ++by) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int y0 = by * factor, y1 = std::min(H, y0 + factor);
        for (int y = y0; y < y1; ++y) {
            if (alphaOnly) {
                const uchar* line = src.constScanLine(y);
                for (int bx = 0, x = 0; bx < w; ++bx) {
                    std::uint32_t s = 0;
                    for (const int end = std::min(W, x + factor); x < end; ++x)
                        s += line[x];
                    sums[std::size_t(bx)] += s;
                }
                continue;
            }
            const auto* line = reinterpret_cast<const std::uint32_t*>(src.constScanLine(y));
            for (int bx = 0, x = 0; bx < w; ++bx) {
                std::uint32_t r = 0, g = 0, b = 0, a = 0;
                for (const int end = std::min(W, x + factor); x < end; ++x) {
                    const std::uint32_t p = line[x];
                    r += (p >> 16) & 255;
                    g += (p >> 8) & 255;
                    b += p & 255;
                    a += p >> 24;
                }
                std::uint32_t* s = &sums[std::size_t(bx) * std::size_t(channels)];
                s[0] += r;
                s[1] += g;
                s[2] += b;
                if (channels == 4)
                    s[3] += a;
            }
        }
        for (int bx = 0; bx < w; ++bx) {
            const int cw = std::min(W, (bx + 1) * factor) - bx * factor;
            const float scale = 1.0f / (255.0f * float(cw * (y1 - y0)));
            for (int c = 0; c < channels; ++c)
                out.plane[c][out.index(bx, by)] = float(sums[std::size_t(bx) * std::size_t(channels) + std::size_t(c)]) * scale;
        }
    }
    return out;
}

namespace {
constexpr int kBayer[4][4] = { { 0, 8, 2, 10 }, { 12, 4, 14, 6 }, { 3, 11, 1, 9 }, { 15, 7, 13, 5 } };

// Source index pairs and weights of each target position along one axis.
struct AxisMap {
    std::vector<int> i0, i1;
    std::vector<std::uint32_t> weight; // of i1, 0 to 256

    AxisMap(int target, int source, double scale)
        : i0(static_cast<std::size_t>(target)), i1(static_cast<std::size_t>(target)), weight(static_cast<std::size_t>(target))
    {
        for (int t = 0; t < target; ++t) {
            const double s = std::clamp((t + 0.5) * scale - 0.5, 0.0, double(source - 1));
            const int i = std::min(int(s), source - 1);
            i0[std::size_t(t)] = i;
            i1[std::size_t(t)] = std::min(i + 1, source - 1);
            weight[std::size_t(t)] = std::uint32_t((s - i) * 256.0 + 0.5);
        }
    }
};

struct Upscaler {
    const PlanarImage& src;
    QSize size;
    AxisMap xs, ys;
    uchar* bits;
    qsizetype stride;
    std::vector<std::uint16_t> fixed[4];  // planes in 8.8 fixed point (255 * 256 at 1.0)
    std::vector<std::uint32_t> dither[4]; // offsets in 16.16 units, one row per phase

    Upscaler(const PlanarImage& source, QImage& out, double scaleX, double scaleY)
        : src(source), size(out.size()), xs(out.width(), source.width, scaleX), ys(out.height(), source.height, scaleY),
          bits(out.bits()), stride(out.bytesPerLine())
    {
        for (int c = 0; c < src.channels; ++c) {
            fixed[c].resize(src.plane[c].size());
            for (std::size_t i = 0; i < fixed[c].size(); ++i)
                fixed[c][i] = std::uint16_t(std::clamp(src.plane[c][i], 0.0f, 1.0f) * 65280.0f + 0.5f);
        }
        for (int p = 0; p < 4; ++p) {
            dither[p].resize(std::size_t(size.width()));
            for (int X = 0; X < size.width(); ++X)
                dither[p][std::size_t(X)] = std::uint32_t(kBayer[p][X & 3] * 4096 + 2048);
        }
    }

    // One source row scaled horizontally, per channel, still in 8.8.
    void scaleRow(int j, std::vector<std::uint32_t> (&dst)[4]) const
    {
        const int W = size.width();
        for (int c = 0; c < src.channels; ++c) {
            dst[c].resize(std::size_t(W));
            const std::uint16_t* s = fixed[c].data() + std::size_t(j) * std::size_t(src.width);
            std::uint32_t* d = dst[c].data();
            for (int X = 0; X < W; ++X) {
                const std::uint32_t f = xs.weight[std::size_t(X)];
                d[X] = (s[xs.i0[std::size_t(X)]] * (256 - f) + s[xs.i1[std::size_t(X)]] * f) >> 8;
            }
        }
    }

    void rows(int y0, int y1) const
    {
        const int W = size.width();
        std::vector<std::uint32_t> buf[2][4];
        std::vector<std::uint32_t> value[4];
        for (int c = 0; c < src.channels; ++c)
            value[c].resize(std::size_t(W));
        int rowOf[2] = { -1, -1 };
        auto scaled = [&](int j) -> int {
            for (int b = 0; b < 2; ++b) {
                if (rowOf[b] == j)
                    return b;
            }
            // Rows only move down: the lower-numbered buffer is the one no longer needed.
            const int b = (rowOf[0] == -1 || (rowOf[1] != -1 && rowOf[0] < rowOf[1])) ? 0 : 1;
            rowOf[b] = j;
            scaleRow(j, buf[b]);
            return b;
        };
        for (int Y = y0; Y < y1; ++Y) {
            const std::uint32_t wb = ys.weight[std::size_t(Y)], wa = 256 - wb;
            const int b0 = scaled(ys.i0[std::size_t(Y)]);
            const int b1 = scaled(ys.i1[std::size_t(Y)]);
            const std::uint32_t* __restrict d = dither[Y & 3].data();
            for (int c = 0; c < src.channels; ++c) {
                const std::uint32_t* __restrict p0 = buf[b0][c].data();
                const std::uint32_t* __restrict p1 = buf[b1][c].data();
                std::uint32_t* __restrict v = value[c].data();
                for (int X = 0; X < W; ++X)
                    v[X] = (p0[X] * wa + p1[X] * wb + d[X]) >> 16;
            }
            uchar* line = bits + Y * stride;
            if (src.channels == 1) {
                for (int X = 0; X < W; ++X)
                    line[X] = uchar(value[0][std::size_t(X)]);
            } else if (src.channels == 3) {
                auto* __restrict out = reinterpret_cast<std::uint32_t*>(line);
                for (int X = 0; X < W; ++X)
                    out[X] = 0xFF000000u | (value[0][std::size_t(X)] << 16) | (value[1][std::size_t(X)] << 8) | value[2][std::size_t(X)];
            } else {
                auto* __restrict out = reinterpret_cast<std::uint32_t*>(line);
                for (int X = 0; X < W; ++X) {
                    // Premultiplied colour never exceeds its alpha, whatever the rounding did.
                    const std::uint32_t a = value[3][std::size_t(X)];
                    out[X] = (a << 24) | (std::min(value[0][std::size_t(X)], a) << 16) | (std::min(value[1][std::size_t(X)], a) << 8)
                        | std::min(value[2][std::size_t(X)], a);
                }
            }
        }
    }
};
}

QImage upscaleToImage(const PlanarImage& source, QSize size, double scaleX, double scaleY)
{
    if (source.isNull() || size.isEmpty())
        return {};
    const QImage::Format format = source.channels == 1 ? QImage::Format_Alpha8
        : source.channels == 3                         ? QImage::Format_RGB32
                                                       : QImage::Format_ARGB32_Premultiplied;
    QImage out(size, format);
    if (out.isNull())
        return out;
    const Upscaler upscaler(source, out, scaleX, scaleY);
    // Large images are bound by writing (and first touching) their memory: split into row bands.
    // Below about a megapixel waking other threads costs more than it saves.
    constexpr int kBand = 96;
    const int bands = (size.height() + kBand - 1) / kBand;
    if (bands <= 2 || qint64(size.width()) * size.height() < (qint64(1) << 20)) {
        upscaler.rows(0, size.height());
        return out;
    }
    parallelFor(bands, [&](int band) { upscaler.rows(band * kBand, std::min((band + 1) * kBand, size.height())); });
    return out;
}
