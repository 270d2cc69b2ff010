#include "vision/InkMask.h"

#include "vision/PixelSteps.h"

#include <QThread>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <unordered_map>
#include <vector>

namespace {

// A step between neighbouring pixels larger than this is an edge (anti-aliased glyph edges are
// far steeper; gradients and compression noise are not).
constexpr int kEdgeStep = 14;
// The smallest flat area, in pixels across, that counts as a background.
constexpr int kMinBackground = 56;

// Whether `p` lies between the colours `a` and `b`, as the anti-aliased edge between two areas.
bool isBlend(QRgb p, QRgb a, QRgb b)
{
    if (colourDistance(a, b) <= kInkContrast)
        return false;
    const int pc[3] = { qRed(p), qGreen(p), qBlue(p) };
    const int ac[3] = { qRed(a), qGreen(a), qBlue(a) };
    const int bc[3] = { qRed(b), qGreen(b), qBlue(b) };
    double lo = 1, hi = 0;
    for (int c = 0; c < 3; ++c) {
        if (pc[c] < std::min(ac[c], bc[c]) - 8 || pc[c] > std::max(ac[c], bc[c]) + 8)
            return false;
        const int span = bc[c] - ac[c];
        if (std::abs(span) < 24)
            continue;
        const double t = double(pc[c] - ac[c]) / span;
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    return hi - lo < 0.3;
}

int findRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

// Ink: pixels near a steep step that differ from the colour of the nearest flat area (the
// background) and from the flat areas beside it. Work is done in horizontal bands, each with a
// margin of kBandMargin rows so that its results match those of the whole page: flat areas
// crossing the margin are large anyway, and a background farther away than that is none.
constexpr int kBandMargin = kMinBackground + 8;

} // namespace

namespace InkMask {

Labelling label(const std::vector<uint8_t>& mask, uint8_t value, int w, int h, bool eightConnected)
{
    Labelling out;
    std::vector<Run>& runs = out.runs;
    std::vector<int> rowStart(size_t(h) + 1, 0);
    for (int y = 0; y < h; ++y) {
        rowStart[y] = int(runs.size());
        const uint8_t* r = mask.data() + size_t(y) * w;
        int x = 0;
        while (x < w) {
            while (x < w && r[x] != value)
                ++x;
            if (x >= w)
                break;
            const int start = x;
            while (x < w && r[x] == value)
                ++x;
            runs.push_back({ y, start, x });
        }
    }
    rowStart[h] = int(runs.size());
    // Eight-connected runs also touch at a corner.
    const int reach = eightConnected ? 1 : 0;
    std::vector<int> parent(runs.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (int y = 1; y < h; ++y) {
        int a = rowStart[y - 1];
        const int aEnd = rowStart[y];
        for (int b = rowStart[y]; b < rowStart[y + 1]; ++b) {
            while (a < aEnd && runs[a].x1 + reach <= runs[b].x0)
                ++a;
            for (int k = a; k < aEnd && runs[k].x0 < runs[b].x1 + reach; ++k) {
                const int ra = findRoot(parent, k), rb = findRoot(parent, b);
                if (ra != rb)
                    parent[std::max(ra, rb)] = std::min(ra, rb);
            }
        }
    }
    std::unordered_map<int, int> index;
    out.componentOfRun.resize(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        const int root = findRoot(parent, int(i));
        auto [it, fresh] = index.try_emplace(root, int(out.components.size()));
        const Run& r = runs[i];
        if (fresh)
            out.components.push_back({ r.x0, r.y, r.x1, r.y + 1, 0 });
        Component& c = out.components[it->second];
        c.x0 = std::min(c.x0, r.x0);
        c.x1 = std::max(c.x1, r.x1);
        c.y1 = std::max(c.y1, r.y + 1);
        c.area += r.x1 - r.x0;
        out.componentOfRun[i] = it->second;
    }
    return out;
}

std::vector<uint8_t> find(const QImage& page, const std::function<void(int, const std::function<void(int)>&)>& parallelFor)
{
    const int w = page.width(), h = page.height();
    const auto row = [&](int y) { return reinterpret_cast<const QRgb*>(page.constScanLine(y)); };
    const auto forBands = [&](int rows, const std::function<void(int, int)>& body) {
        const int bands = std::max(1, h / rows);
        parallelFor(bands, [&](int b) { body(int(int64_t(h) * b / bands), int(int64_t(h) * (b + 1) / bands)); });
    };

    // 1. Pixels next to a steep step, and (2.) those within one pixel of one: not flat.
    std::vector<uint8_t> edge(size_t(w) * h, 0);
    forBands(64, [&](int from, int to) {
        // Both pixels of a step are marked; a band writes only its own rows. Each step is
        // measured once: the step down from a row is the step up from the next.
        std::vector<uint8_t> across(size_t(w), 0), above(size_t(w), 0), below(size_t(w), 0);
        if (from > 0)
            markSteps(row(from - 1), row(from), above.data(), w, kEdgeStep);
        for (int y = from; y < to; ++y) {
            const QRgb* r = row(y);
            if (y + 1 < h)
                markSteps(r, row(y + 1), below.data(), w, kEdgeStep);
            else
                std::fill(below.begin(), below.end(), uint8_t(0));
            markSteps(r, r + 1, across.data(), w - 1, kEdgeStep);
            uint8_t* e = edge.data() + size_t(y) * w;
            orInto(e, across.data(), w);
            orInto(e + 1, across.data(), w - 1);
            orInto(e, above.data(), w);
            orInto(e, below.data(), w);
            std::swap(above, below);
        }
    });
    std::vector<uint8_t> nearEdge(size_t(w) * h, 0);
    forBands(64, [&](int from, int to) {
        for (int y = from; y < to; ++y) {
            uint8_t* out = nearEdge.data() + size_t(y) * w;
            for (int dy = -1; dy <= 1; ++dy) {
                const int yy = y + dy;
                if (yy < 0 || yy >= h)
                    continue;
                const uint8_t* e = edge.data() + size_t(yy) * w;
                out[0] |= e[0] | (w > 1 ? e[1] : 0);
                if (w > 2) {
                    orInto(out + 1, e, w - 2);
                    orInto(out + 1, e + 1, w - 2);
                    orInto(out + 1, e + 2, w - 2);
                }
                if (w > 1)
                    out[w - 1] |= e[w - 2] | e[w - 1];
            }
        }
    });
    edge = {};

    std::vector<uint8_t> ink(size_t(w) * h, 0);
    // At least eight bands, so that the half-scale page, read beside the full one, leaves no
    // single long band behind on a core of its own; but with few cores, no more than two per
    // core, since every band also works through its margins.
    const int bandRows = std::max(std::clamp(h / 8, 96, 192), h / (2 * std::max(1, QThread::idealThreadCount())));
    forBands(bandRows, [&](int from, int to) {
        const int top = std::max(0, from - kBandMargin), bottom = std::min(h, to + kBandMargin);
        const int rows = bottom - top;
        const size_t n = size_t(w) * rows;
        const size_t offset = size_t(top) * w;

        // Flat areas smaller than kMinBackground across are the insides of strokes (large or bold
        // text) or of glyph counters, not backgrounds.
        std::vector<uint8_t> notFlat(nearEdge.begin() + offset, nearEdge.begin() + offset + n);
        const Labelling flat = label(notFlat, 0, w, rows, false);
        for (size_t i = 0; i < flat.runs.size(); ++i) {
            const Component& c = flat.components[size_t(flat.componentOfRun[i])];
            if (c.w() >= kMinBackground || c.h() >= kMinBackground)
                continue;
            const Run& r = flat.runs[i];
            std::fill_n(notFlat.begin() + (size_t(r.y) * w + r.x0), r.x1 - r.x0, uint8_t(1));
        }

        // 3. The nearest flat pixel of every other pixel (two chamfer passes, chessboard distance).
        constexpr uint16_t kFar = 0xffff;
        std::vector<uint16_t> dist(n);
        std::vector<int32_t> source(n, -1);
        for (size_t i = 0; i < n; ++i) {
            if (!notFlat[i]) {
                dist[i] = 0;
                source[i] = int32_t(offset + i);
            } else {
                dist[i] = kFar;
            }
        }
        const auto relax = [&](size_t i, size_t j) {
            if (dist[j] != kFar && dist[j] + 1 < dist[i]) {
                dist[i] = uint16_t(dist[j] + 1);
                source[i] = source[j];
            }
        };
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t i = size_t(y) * w + x;
                if (dist[i] == 0)
                    continue;
                if (x > 0)
                    relax(i, i - 1);
                if (y > 0) {
                    relax(i, i - w);
                    if (x > 0)
                        relax(i, i - w - 1);
                    if (x + 1 < w)
                        relax(i, i - w + 1);
                }
            }
        }
        for (int y = rows - 1; y >= 0; --y) {
            for (int x = w - 1; x >= 0; --x) {
                const size_t i = size_t(y) * w + x;
                if (dist[i] == 0)
                    continue;
                if (x + 1 < w)
                    relax(i, i + 1);
                if (y + 1 < rows) {
                    relax(i, i + w);
                    if (x + 1 < w)
                        relax(i, i + w + 1);
                    if (x > 0)
                        relax(i, i + w - 1);
                }
            }
        }

        // 4. Ink differs from that background colour, and from the backgrounds next to it: where
        // two flat areas meet (a selected row, a bubble, a button), their edge and its
        // anti-aliased blend are no ink.
        const auto colourOf = [&](int32_t s) { return row(int(s / w))[s % w]; };
        for (int y = from; y < to; ++y) {
            const QRgb* r = row(y);
            const int ly = y - top;
            for (int x = 0; x < w; ++x) {
                const size_t i = size_t(ly) * w + x;
                const int32_t s = source[i];
                if (!notFlat[i] || s < 0)
                    continue;
                const QRgb p = r[x];
                const QRgb bg = colourOf(s);
                if (colourDistance(p, bg) <= kInkContrast)
                    continue;
                bool isInk = true;
                const size_t neighbours[4] = { x > 0 ? i - 1 : i, x + 1 < w ? i + 1 : i, ly > 0 ? i - w : i,
                    ly + 1 < rows ? i + w : i };
                for (size_t q : neighbours) {
                    const int32_t t = source[q];
                    if (t < 0 || t == s)
                        continue;
                    const QRgb other = colourOf(t);
                    if (colourDistance(p, other) <= kInkContrast || isBlend(p, bg, other)) {
                        isInk = false;
                        break;
                    }
                }
                ink[size_t(y) * w + x] = isInk;
            }
        }
    });
    return ink;
}

} // namespace InkMask
