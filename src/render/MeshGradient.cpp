#include "render/MeshGradient.h"

#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Longest side of the colour field the surface is drawn into before scaling up.
constexpr int kFieldSide = 320;

// Planar RGB colour field, channels 0 to 1.
struct ColorField {
    int width = 0;
    int height = 0;
    std::vector<float> channel[3];
    std::vector<std::uint8_t> covered;

    ColorField(int w, int h)
        : width(w), height(h)
    {
        for (auto& c : channel)
            c.assign(std::size_t(w) * std::size_t(h), 0.0f);
        covered.assign(std::size_t(w) * std::size_t(h), 0);
    }
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width) + std::size_t(x); }
};

QSize fieldSize(QSize target)
{
    const int longSide = std::max(target.width(), target.height());
    if (longSide <= kFieldSide)
        return target;
    const double k = double(kFieldSide) / longSide;
    return { std::max(2, int(std::ceil(target.width() * k))), std::max(2, int(std::ceil(target.height() * k))) };
}

// Catmull-Rom weights for parameter s in [0, n - 1] over n points, as (point index, weight)
// pairs. The missing neighbour beyond an end is mirrored (P[-1] = 2 P[0] - P[1]), which gives the
// end point the tangent of its one segment.
struct Weights {
    std::array<int, 6> index {};
    std::array<double, 6> weight {};
    int count = 0;
    void add(int i, double w)
    {
        index[count] = i;
        weight[count] = w;
        ++count;
    }
};

Weights catmullRom(int n, double s)
{
    Weights out;
    if (n == 1) {
        out.add(0, 1.0);
        return out;
    }
    const int k = std::clamp(int(std::floor(s)), 0, n - 2);
    const double t = std::clamp(s - k, 0.0, 1.0);
    const double t2 = t * t, t3 = t2 * t;
    const double w[4] = { (-t3 + 2 * t2 - t) / 2, (3 * t3 - 5 * t2 + 2) / 2, (-3 * t3 + 4 * t2 + t) / 2, (t3 - t2) / 2 };
    for (int a = 0; a < 4; ++a) {
        const int i = k - 1 + a;
        if (i < 0) {
            out.add(0, 2 * w[a]);
            out.add(1, -w[a]);
        } else if (i >= n) {
            out.add(n - 1, 2 * w[a]);
            out.add(n - 2, -w[a]);
        } else {
            out.add(i, w[a]);
        }
    }
    return out;
}

struct Vertex {
    double x, y;
    float c[3];
};

// Fills one triangle with barycentric colour at pixel centres. Edges are inclusive, so triangles
// that share an edge leave no crack between them; either winding is accepted (folds of a warped
// mesh simply draw over each other).
void fillTriangle(ColorField& field, const Vertex& a, const Vertex& b, const Vertex& c)
{
    const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (std::abs(area) < 1e-12)
        return;
    const double inv = 1.0 / area;
    const int x0 = std::max(0, int(std::floor(std::min({ a.x, b.x, c.x }) - 0.5)));
    const int x1 = std::min(field.width - 1, int(std::ceil(std::max({ a.x, b.x, c.x }) - 0.5)));
    const int y0 = std::max(0, int(std::floor(std::min({ a.y, b.y, c.y }) - 0.5)));
    const int y1 = std::min(field.height - 1, int(std::ceil(std::max({ a.y, b.y, c.y }) - 0.5)));
    // Barycentric weights are linear in x: step them along each row.
    const double dwa = (b.y - c.y) * inv;
    const double dwb = (c.y - a.y) * inv;
    constexpr double eps = -1e-9;
    for (int y = y0; y <= y1; ++y) {
        const double py = y + 0.5, px = x0 + 0.5;
        double wa = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) * inv;
        double wb = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) * inv;
        for (int x = x0; x <= x1; ++x, wa += dwa, wb += dwb) {
            const double wc = 1.0 - wa - wb;
            if (wa < eps || wb < eps || wc < eps)
                continue;
            const std::size_t i = field.index(x, y);
            for (int ch = 0; ch < 3; ++ch)
                field.channel[ch][i] = float(wa * a.c[ch] + wb * b.c[ch] + wc * c.c[ch]);
            field.covered[i] = 1;
        }
    }
}

// Any pixel no triangle reached (rounding on a shared edge) takes its nearest neighbour in the
// row, else the nearest covered row: the background never shows a transparent gap.
void fillGaps(ColorField& field)
{
    const int w = field.width, h = field.height;
    std::vector<std::uint8_t> rowCovered(std::size_t(h), 0);
    for (int y = 0; y < h; ++y) {
        int last = -1;
        for (int x = 0; x < w; ++x) {
            const std::size_t i = field.index(x, y);
            if (field.covered[i]) {
                if (last < 0) {
                    for (int f = 0; f < x; ++f) {
                        for (auto& c : field.channel)
                            c[field.index(f, y)] = c[i];
                    }
                }
                last = x;
            } else if (last >= 0) {
                for (auto& c : field.channel)
                    c[i] = c[field.index(last, y)];
            }
        }
        rowCovered[std::size_t(y)] = last >= 0;
    }
    for (int y = 0; y < h; ++y) {
        if (rowCovered[std::size_t(y)])
            continue;
        int source = -1;
        for (int d = 1; d < h && source < 0; ++d) {
            if (y - d >= 0 && rowCovered[std::size_t(y - d)])
                source = y - d;
            else if (y + d < h && rowCovered[std::size_t(y + d)])
                source = y + d;
        }
        if (source < 0)
            return; // nothing at all was drawn; the field stays black
        for (auto& c : field.channel)
            std::copy_n(c.begin() + std::ptrdiff_t(field.index(0, source)), w, c.begin() + std::ptrdiff_t(field.index(0, y)));
    }
}

void drawMesh(ColorField& field, const BackgroundMesh& mesh)
{
    const int nu = mesh.width, nv = mesh.height;
    // Subdivide each patch so that a tessellation triangle spans a few field pixels.
    const int longSide = std::max(field.width, field.height);
    const int sub = std::clamp(longSide / (8 * std::max(1, std::max(nu, nv) - 1)), 4, 16);
    const int cols = (nu - 1) * sub + 1, rows = (nv - 1) * sub + 1;

    std::vector<Weights> wu(static_cast<std::size_t>(cols)), wv(static_cast<std::size_t>(rows));
    for (int i = 0; i < cols; ++i)
        wu[std::size_t(i)] = catmullRom(nu, double(i) / sub);
    for (int j = 0; j < rows; ++j)
        wv[std::size_t(j)] = catmullRom(nv, double(j) / sub);

    std::vector<Vertex> grid(std::size_t(cols) * std::size_t(rows));
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < cols; ++i) {
            double x = 0, y = 0, c[3] = { 0, 0, 0 };
            const Weights& a = wu[std::size_t(i)];
            const Weights& b = wv[std::size_t(j)];
            for (int q = 0; q < b.count; ++q) {
                for (int p = 0; p < a.count; ++p) {
                    const double w = a.weight[p] * b.weight[q];
                    const qsizetype k = qsizetype(b.index[q]) * nu + a.index[p];
                    x += w * mesh.points[k].x();
                    y += w * mesh.points[k].y();
                    c[0] += w * mesh.colors[k].red;
                    c[1] += w * mesh.colors[k].green;
                    c[2] += w * mesh.colors[k].blue;
                }
            }
            Vertex& v = grid[std::size_t(j) * std::size_t(cols) + std::size_t(i)];
            v.x = x * field.width;
            v.y = y * field.height;
            // Smooth colour tangents can overshoot the control colours slightly.
            for (int ch = 0; ch < 3; ++ch)
                v.c[ch] = float(std::clamp(c[ch], 0.0, 1.0));
        }
    }
    for (int j = 0; j + 1 < rows; ++j) {
        for (int i = 0; i + 1 < cols; ++i) {
            const Vertex& p00 = grid[std::size_t(j) * cols + i];
            const Vertex& p10 = grid[std::size_t(j) * cols + i + 1];
            const Vertex& p01 = grid[std::size_t(j + 1) * cols + i];
            const Vertex& p11 = grid[std::size_t(j + 1) * cols + i + 1];
            fillTriangle(field, p00, p10, p11);
            fillTriangle(field, p00, p11, p01);
        }
    }
    fillGaps(field);
}

// 4 x 4 Bayer thresholds.
constexpr int kBayer[4][4] = { { 0, 8, 2, 10 }, { 12, 4, 14, 6 }, { 3, 11, 1, 9 }, { 15, 7, 13, 5 } };

// Bilinear upscale of the field to the target size with an ordered dither to 8 bits. Rows are
// split into bands run on the global thread pool: a large render is bound by writing (and first
// touching) tens of megabytes, which several cores do faster than one.
struct Upscaler {
    const ColorField& field;
    QImage& out;
    uchar* bits;                           // taken once: bits() may detach, never on the pool's threads
    qsizetype stride;
    std::vector<std::uint16_t> fixed[3];   // the field in 8.8 fixed point (255 * 256 at full intensity)
    std::vector<int> sx0, sx1;             // source columns of each target column
    std::vector<std::uint32_t> fx;         // and the weight of the second one, 0 to 256
    std::vector<std::uint32_t> dither[4];  // ordered-dither offsets in 16.16 units, one row per phase

    Upscaler(const ColorField& f, QImage& image)
        : field(f), out(image), bits(image.bits()), stride(image.bytesPerLine())
    {
        const int W = out.width(), w = field.width;
        for (int ch = 0; ch < 3; ++ch) {
            fixed[ch].resize(field.channel[ch].size());
            for (std::size_t i = 0; i < fixed[ch].size(); ++i)
                fixed[ch][i] = std::uint16_t(std::clamp(field.channel[ch][i], 0.0f, 1.0f) * 65280.0f + 0.5f);
        }
        sx0.resize(std::size_t(W));
        sx1.resize(std::size_t(W));
        fx.resize(std::size_t(W));
        // Pixel centres map onto pixel centres.
        for (int X = 0; X < W; ++X) {
            const double s = std::clamp((X + 0.5) * w / W - 0.5, 0.0, double(w - 1));
            const int i = std::min(int(s), w - 1);
            sx0[std::size_t(X)] = i;
            sx1[std::size_t(X)] = std::min(i + 1, w - 1);
            fx[std::size_t(X)] = std::uint32_t(std::lround((s - i) * 256));
        }
        for (int p = 0; p < 4; ++p) {
            dither[p].resize(std::size_t(W));
            for (int X = 0; X < W; ++X)
                dither[p][std::size_t(X)] = std::uint32_t(kBayer[p][X & 3] * 4096 + 2048);
        }
    }

    void scaleRow(int j, std::vector<std::uint32_t> (&dst)[3]) const
    {
        const int W = out.width();
        for (int ch = 0; ch < 3; ++ch) {
            dst[ch].resize(std::size_t(W));
            const std::uint16_t* src = fixed[ch].data() + std::size_t(j) * std::size_t(field.width);
            std::uint32_t* d = dst[ch].data();
            for (int X = 0; X < W; ++X) {
                const std::uint32_t f = fx[std::size_t(X)];
                d[X] = (src[sx0[std::size_t(X)]] * (256 - f) + src[sx1[std::size_t(X)]] * f) >> 8;
            }
        }
    }

    void rows(int y0, int y1) const
    {
        const int W = out.width(), H = out.height(), h = field.height;
        std::vector<std::uint32_t> buf[2][3];
        int rowOf[2] = { -1, -1 };
        auto scaled = [&](int j) -> int {
            for (int b = 0; b < 2; ++b) {
                if (rowOf[b] == j)
                    return b;
            }
            // Rows only move down, so the lower-numbered buffer is the one no longer needed.
            const int b = (rowOf[0] == -1 || (rowOf[1] != -1 && rowOf[0] < rowOf[1])) ? 0 : 1;
            rowOf[b] = j;
            scaleRow(j, buf[b]);
            return b;
        };
        for (int Y = y0; Y < y1; ++Y) {
            const double s = std::clamp((Y + 0.5) * h / H - 0.5, 0.0, double(h - 1));
            const int j = std::min(int(s), h - 1);
            const std::uint32_t wb = std::uint32_t(std::lround((s - j) * 256)), wa = 256 - wb;
            const int b0 = scaled(j);
            const int b1 = scaled(std::min(j + 1, h - 1));
            const std::uint32_t* __restrict r0 = buf[b0][0].data();
            const std::uint32_t* __restrict g0 = buf[b0][1].data();
            const std::uint32_t* __restrict c0 = buf[b0][2].data();
            const std::uint32_t* __restrict r1 = buf[b1][0].data();
            const std::uint32_t* __restrict g1 = buf[b1][1].data();
            const std::uint32_t* __restrict c1 = buf[b1][2].data();
            const std::uint32_t* __restrict d = dither[Y & 3].data();
            auto* __restrict line = reinterpret_cast<std::uint32_t*>(bits + Y * stride);
            for (int X = 0; X < W; ++X) {
                const std::uint32_t r = (r0[X] * wa + r1[X] * wb + d[X]) >> 16;
                const std::uint32_t g = (g0[X] * wa + g1[X] * wb + d[X]) >> 16;
                const std::uint32_t b = (c0[X] * wa + c1[X] * wb + d[X]) >> 16;
                line[X] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        }
    }
};

QImage upscale(const ColorField& field, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const Upscaler upscaler(field, out);
    constexpr int kBand = 96;
    const int bands = (size.height() + kBand - 1) / kBand;
    if (bands <= 1) {
        upscaler.rows(0, size.height());
        return out;
    }
    std::vector<int> starts(static_cast<std::size_t>(bands));
    for (int i = 0; i < bands; ++i)
        starts[std::size_t(i)] = i * kBand;
    QtConcurrent::blockingMap(starts, [&](int y0) { upscaler.rows(y0, std::min(y0 + kBand, size.height())); });
    return out;
}

bool usableSize(QSize size)
{
    // Beyond this many pixels the caller asked for something no canvas needs; refuse, never crash.
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= qint64(16384) * 16384;
}
}

QImage renderMeshGradient(const BackgroundMesh& mesh, QSize size)
{
    if (!usableSize(size))
        return {};
    const QSize fs = fieldSize(size);
    ColorField field(fs.width(), fs.height());
    const bool valid = mesh.width >= 1 && mesh.height >= 1 && mesh.points.size() == qsizetype(mesh.width) * mesh.height
        && mesh.colors.size() == mesh.points.size();
    if (valid)
        drawMesh(field, mesh);
    return upscale(field, size);
}

QImage renderLinearGradient(const MeshColor& from, const MeshColor& to, QSize size)
{
    if (!usableSize(size))
        return {};
    const QSize fs = fieldSize(size);
    ColorField field(fs.width(), fs.height());
    // Isolines run perpendicular to the diagonal, measured in target pixels so they keep their
    // angle whatever the field's rounding.
    const double W = size.width(), H = size.height();
    const double len2 = W * W + H * H;
    const float a[3] = { float(from.red), float(from.green), float(from.blue) };
    const float b[3] = { float(to.red), float(to.green), float(to.blue) };
    for (int y = 0; y < field.height; ++y) {
        for (int x = 0; x < field.width; ++x) {
            const double px = (x + 0.5) * W / field.width, py = (y + 0.5) * H / field.height;
            const float t = float(std::clamp((px * W + py * H) / len2, 0.0, 1.0));
            const std::size_t i = field.index(x, y);
            for (int ch = 0; ch < 3; ++ch)
                field.channel[ch][i] = a[ch] + t * (b[ch] - a[ch]);
        }
    }
    return upscale(field, size);
}
