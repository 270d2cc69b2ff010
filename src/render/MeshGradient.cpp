#include "render/MeshGradient.h"

#include "render/PlanarImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Longest side of the colour field the surface is drawn into before scaling up.
constexpr int kFieldSide = 320;

// The reduced colour field a mesh is drawn into, with a mark of the pixels any triangle reached.
struct ColorField : PlanarImage {
    std::vector<std::uint8_t> covered;

    ColorField(int w, int h)
        : PlanarImage(w, h, 3), covered(std::size_t(w) * std::size_t(h), 0)
    {
    }
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
                field.plane[ch][i] = float(wa * a.c[ch] + wb * b.c[ch] + wc * c.c[ch]);
            field.covered[i] = 1;
        }
    }
}

// Any pixel no triangle reached (rounding on a shared edge) takes its nearest neighbour in the
// row, else the nearest covered row: the background never shows a transparent gap.
void fillGaps(ColorField& field)
{
    const int w = field.width, h = field.height;
    auto copyPixel = [&field](std::size_t from, std::size_t to) {
        for (int c = 0; c < field.channels; ++c)
            field.plane[c][to] = field.plane[c][from];
    };
    std::vector<std::uint8_t> rowCovered(std::size_t(h), 0);
    for (int y = 0; y < h; ++y) {
        int last = -1;
        for (int x = 0; x < w; ++x) {
            const std::size_t i = field.index(x, y);
            if (field.covered[i]) {
                for (int f = last + 1; f < x && last < 0; ++f)
                    copyPixel(i, field.index(f, y)); // leading gap: the first covered pixel
                last = x;
            } else if (last >= 0) {
                copyPixel(field.index(last, y), i);
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
        for (int x = 0; x < w; ++x)
            copyPixel(field.index(x, source), field.index(x, y));
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

QImage upscale(const ColorField& field, QSize size)
{
    return upscaleToImage(field, size, double(field.width) / size.width(), double(field.height) / size.height());
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
                field.plane[ch][i] = a[ch] + t * (b[ch] - a[ch]);
        }
    }
    return upscale(field, size);
}
