#include "vision/TextLineFinder.h"

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


struct Component {
    int x0, y0, x1, y1; // x1, y1 exclusive
    int area = 0;
    int w() const { return x1 - x0; }
    int h() const { return y1 - y0; }
};

struct Run {
    int y, x0, x1; // x1 exclusive
};

int findRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

struct Labelling {
    std::vector<Run> runs;
    std::vector<int> componentOfRun;
    std::vector<Component> components;
};

// Connected components of the pixels where mask == value, by runs and union-find.
Labelling labelMask(const std::vector<uint8_t>& mask, uint8_t value, int w, int h, bool eightConnected)
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

// Ink: pixels near a steep step that differ from the colour of the nearest flat area (the
// background) and from the flat areas beside it. Work is done in horizontal bands, each with a
// margin of kBandMargin rows so that its results match those of the whole page: flat areas
// crossing the margin are large anyway, and a background farther away than that is none.
constexpr int kBandMargin = kMinBackground + 8;

std::vector<uint8_t> inkMask(const QImage& page, const std::function<void(int, const std::function<void(int)>&)>& parallelFor)
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
        const Labelling flat = labelMask(notFlat, 0, w, rows, false);
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

// Rules, frames, separators and blobs too large for text are not glyphs.
bool isGlyphLike(const Component& c, int maxGlyphHeight, bool solidOnly)
{
    const int w = c.w(), h = c.h();
    // At coarse scales text strokes are solid; outlines there are bubbles, cards and buttons.
    if (solidOnly && w >= 10 && h >= 10 && c.area < 0.2 * w * h)
        return false;
    if (h > maxGlyphHeight || w > 8 * maxGlyphHeight)
        return false;
    if (h <= 4 && w >= 30 && w >= 8 * h)
        return false; // horizontal rule or underline
    if (h >= 40 && h >= 15 * w)
        return false; // vertical separator
    if (w >= 40 && w >= 6 * h && c.area < 0.25 * w * h)
        return false; // part of a frame, or an underline
    if (w >= 30 && h >= 20 && w > 2.5 * h && c.area < 0.12 * w * h)
        return false; // frame of a field, button or card (hollow large glyphs are not that wide)
    return true;
}

struct Line {
    int x0, y0, x1, y1;
    double heightSum = 0;
    int glyphs = 0;
    bool merged = false; // taken into the line to its left
    double typical() const { return glyphs ? heightSum / glyphs : y1 - y0; }
};

int overlap(int a0, int a1, int b0, int b1) { return std::min(a1, b1) - std::max(a0, b0); }

using ParallelFor = std::function<void(int, const std::function<void(int)>&)>;

// The lines of one scale of the page, in no particular order.
QList<TextLineBox> linesAtScale(const QImage& page, const ParallelFor& parallelFor, bool coarse)
{
    const int w = page.width(), h = page.height();
    const std::vector<uint8_t> ink = inkMask(page, parallelFor);
    std::vector<Component> comps = labelMask(ink, 1, w, h, true).components;

    const int maxGlyphHeight = std::max(24, std::min(220, h / 3));
    std::vector<Component> seeds, small;
    for (const Component& c : comps) {
        if (!isGlyphLike(c, maxGlyphHeight, coarse))
            continue;
        (c.h() >= 5 ? seeds : small).push_back(c);
    }
    // Thin upright marks (the edge of a field, a separator, but also l, 1 and |) come second, so
    // that they join lines of letters their height instead of gathering letters around them.
    const auto thin = [](const Component& c) { return c.w() * 4 <= c.h() && c.h() >= 10; };
    std::sort(seeds.begin(), seeds.end(), [&](const Component& a, const Component& b) {
        return thin(a) != thin(b) ? !thin(a) : a.x0 < b.x0;
    });

    // Lines grow left to right; a glyph joins the line it overlaps most in height when the gap to
    // that line's end is small against the glyph height. Lines are indexed by 16-pixel row bands.
    std::vector<Line> lines;
    constexpr int kBand = 16;
    std::vector<std::vector<int>> bandLines(size_t(h / kBand) + 1);
    const auto registerLine = [&](int index, int from, int to) {
        for (int b = std::max(0, from / kBand); b <= std::min(int(bandLines.size()) - 1, (to - 1) / kBand); ++b) {
            auto& list = bandLines[b];
            if (list.empty() || list.back() != index)
                list.push_back(index);
        }
    };
    std::vector<int> candidates;
    for (const Component& c : seeds) {
        int best = -1;
        double bestScore = 0;
        candidates.clear();
        for (int b = c.y0 / kBand; b <= (c.y1 - 1) / kBand; ++b)
            candidates.insert(candidates.end(), bandLines[b].begin(), bandLines[b].end());
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        for (int index : candidates) {
            const Line& l = lines[index];
            const double typical = l.typical();
            const int ov = overlap(c.y0, c.y1, l.y0, l.y1);
            if (ov <= 0)
                continue;
            const double gap = c.x0 - l.x1;
            if (gap > 1.9 * std::max<double>(typical, c.h()) + 2)
                continue;
            const double ratio = double(c.h()) / typical;
            // Much taller marks start lines of their own; much smaller ones (dots, dashes) join
            // only a line that has letters, not a lone tall mark such as the edge of a field.
            if (ratio > (thin(c) ? 1.5 : 2.3) || (ratio < 0.45 && l.glyphs < 2))
                continue;
            const double need = 0.5 * std::min<double>(c.h(), typical);
            if (ov < need)
                continue;
            const double score = double(ov) / c.h() - 0.01 * std::max(0.0, gap) / typical;
            if (best < 0 || score > bestScore) {
                best = index;
                bestScore = score;
            }
        }
        if (best < 0) {
            lines.push_back({ c.x0, c.y0, c.x1, c.y1, double(c.h()), 1 });
            registerLine(int(lines.size()) - 1, c.y0, c.y1);
            continue;
        }
        Line& l = lines[best];
        const bool glyph = c.h() >= 0.45 * l.typical();
        l.x0 = std::min(l.x0, c.x0);
        l.x1 = std::max(l.x1, c.x1);
        const int oldY0 = l.y0, oldY1 = l.y1;
        l.y0 = std::min(l.y0, c.y0);
        l.y1 = std::max(l.y1, c.y1);
        if (glyph) {
            l.heightSum += c.h();
            ++l.glyphs;
        }
        if (l.y0 < oldY0 || l.y1 > oldY1)
            registerLine(best, l.y0, l.y1);
    }

    // Dots, commas, hyphens, accents and, in tiny text, the short letters (a, c, e, n) join the
    // line around them. A run of short letters reaches a line one mark at a time, so the marks are
    // swept rightwards and leftwards until none joins any more.
    std::sort(small.begin(), small.end(), [](const Component& a, const Component& b) { return a.x0 < b.x0; });
    std::vector<uint8_t> joined(small.size(), 0);
    // A mark may lie in the band next to its line's (just under a line that ends on a band's
    // edge): the bands around it are searched, and the nearest line in height takes it.
    std::vector<int> near;
    const auto joinSmall = [&](size_t k) {
        const Component& c = small[k];
        const int cy = (c.y0 + c.y1) / 2;
        near.clear();
        for (int b = std::max(0, cy / kBand - 1); b <= std::min(int(bandLines.size()) - 1, cy / kBand + 1); ++b)
            near.insert(near.end(), bandLines[b].begin(), bandLines[b].end());
        int best = -1;
        double bestDistance = 0;
        for (int index : near) {
            const Line& l = lines[index];
            const double t = l.typical();
            // An underscore hangs lower than any other mark, below lines without descenders.
            const bool underscore = c.w() >= 3 * c.h() && c.w() >= 0.3 * t;
            if (cy < l.y0 - 0.35 * t || cy > l.y1 + (underscore ? 0.5 : 0.25) * t)
                continue;
            if (c.x1 < l.x0 - 0.8 * t || c.x0 > l.x1 + 0.8 * t)
                continue;
            const double distance = cy < l.y0 ? l.y0 - cy : cy > l.y1 ? cy - l.y1 : 0;
            if (best < 0 || distance < bestDistance) {
                best = index;
                bestDistance = distance;
            }
        }
        if (best < 0)
            return false;
        Line& l = lines[best];
        l.x0 = std::min(l.x0, c.x0);
        l.x1 = std::max(l.x1, c.x1);
        l.y0 = std::min(l.y0, c.y0);
        l.y1 = std::max(l.y1, c.y1);
        joined[k] = 1;
        return true;
    };
    for (bool more = true; more;) {
        more = false;
        for (size_t k = 0; k < small.size(); ++k)
            more = (!joined[k] && joinSmall(k)) || more;
        for (size_t k = small.size(); k-- > 0;)
            more = (!joined[k] && joinSmall(k)) || more;
    }

    // Short letters between two parts of a line ("clien|t=", "amoun|t") split it while the parts
    // were grown; with the letters joined, parts that now nearly touch are one line.
    std::vector<int> byLeft(lines.size());
    std::iota(byLeft.begin(), byLeft.end(), 0);
    std::sort(byLeft.begin(), byLeft.end(), [&](int a, int b) { return lines[a].x0 < lines[b].x0; });
    for (int a : byLeft) {
        Line& left = lines[a];
        for (bool more = !left.merged; more;) {
            more = false;
            candidates.clear();
            for (int b = left.y0 / kBand; b <= std::min(int(bandLines.size()) - 1, (left.y1 - 1) / kBand); ++b)
                candidates.insert(candidates.end(), bandLines[b].begin(), bandLines[b].end());
            for (int index : candidates) {
                Line& right = lines[index];
                if (index == a || right.merged || right.x0 < left.x0)
                    continue;
                const double t = std::max(left.typical(), right.typical());
                const double ratio = left.typical() / right.typical();
                if (right.x0 - left.x1 > 0.8 * t || right.x0 < left.x1 - 0.5 * t || ratio > 1.6 || ratio < 1 / 1.6
                    || overlap(left.y0, left.y1, right.y0, right.y1) < 0.6 * std::min(left.y1 - left.y0, right.y1 - right.y0))
                    continue;
                left.x1 = std::max(left.x1, right.x1);
                left.y0 = std::min(left.y0, right.y0);
                left.y1 = std::max(left.y1, right.y1);
                left.heightSum += right.heightSum;
                left.glyphs += right.glyphs;
                right.merged = true;
                registerLine(a, left.y0, left.y1);
                more = true;
                break;
            }
        }
    }

    QList<TextLineBox> out;
    for (const Line& l : lines) {
        if (l.merged)
            continue;
        const double t = l.typical();
        // A lone mark or a sliver is no line of text.
        if (l.x1 - l.x0 < 0.6 * t || t < 5 || (l.glyphs < 2 && l.x1 - l.x0 < 1.5 * t))
            continue;
        out.append({ QRect(l.x0, l.y0, l.x1 - l.x0, l.y1 - l.y0), int(std::lround(t)) });
    }
    return out;
}

qint64 area(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

// Half the size, each pixel the mean of four.
QImage halved(const QImage& page)
{
    const int w = page.width() / 2, h = page.height() / 2;
    QImage out(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    if (w < 1 || h < 1)
        return out;
    for (int y = 0; y < h; ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(page.constScanLine(2 * y));
        const QRgb* b = reinterpret_cast<const QRgb*>(page.constScanLine(2 * y + 1));
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p[4] = { a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1] };
            o[x] = qRgb((qRed(p[0]) + qRed(p[1]) + qRed(p[2]) + qRed(p[3]) + 2) / 4,
                (qGreen(p[0]) + qGreen(p[1]) + qGreen(p[2]) + qGreen(p[3]) + 2) / 4,
                (qBlue(p[0]) + qBlue(p[1]) + qBlue(p[2]) + qBlue(p[3]) + 2) / 4);
        }
    }
    return out;
}

} // namespace

// A table's grid or a pane's divider runs far above and below the text beside it. The finder
// leaves it out as no glyph, yet bridges it when the texts of two cells stand close; read with
// them it comes out as a '|' and glues the cells into one line, which an item that must fill its
// line (a phone number in its cell) then does not. Such a rule splits the line; a part that holds
// no more than a sliver beside it goes.
QList<TextLineBox> splitAtRules(const QImage& page, const QList<TextLineBox>& lines)
{
    constexpr int kSame = 24, kApart = kInkContrast, kMaxRuleWidth = 4;
    const auto at = [&](int x, int y) { return reinterpret_cast<const QRgb*>(page.constScanLine(y))[x]; };
    QList<TextLineBox> out;
    out.reserve(lines.size());
    for (const TextLineBox& line : lines) {
        const QRect& b = line.box;
        const int reach = std::max(2, b.height() / 2), far = std::max(3, b.height() * 6 / 5);
        const int above = b.top() - reach, below = b.bottom() + reach, middle = b.center().y();
        if (above < 0 || below >= page.height() || b.width() < 3 || b.left() < 1 || b.right() + kMaxRuleWidth + 1 >= page.width()) {
            out.append(line);
            continue;
        }
        // A rule column: one colour from half a line above the line to half a line below it and a
        // line or more on one side, with neither neighbour of the rule of that colour beside the
        // text (glyph strokes of the rows above and below may line up with one of this row, but
        // they are not that long, and seldom stand alone).
        const auto ruleColumn = [&](int x, QRgb colour) {
            for (int y = above; y <= below; ++y)
                if (colourDistance(at(x, y), colour) > kSame)
                    return false;
            int up = reach, down = reach;
            while (up < far && b.top() - up - 1 >= 0 && colourDistance(at(x, b.top() - up - 1), colour) <= kSame)
                ++up;
            while (down < far && b.bottom() + down + 1 < page.height() && colourDistance(at(x, b.bottom() + down + 1), colour) <= kSame)
                ++down;
            return std::max(up, down) >= far;
        };
        // Beside the text only: a grid's horizontal rules cross it above and below.
        const auto alone = [&](int x, int end, QRgb colour) {
            for (int y = b.top(); y <= b.bottom(); ++y)
                if (colourDistance(at(x - 1, y), colour) <= kApart || colourDistance(at(end + 1, y), colour) <= kApart)
                    return false;
            return true;
        };
        const int minPart = std::max(2, b.height() / 3);
        int start = b.left();
        bool split = false;
        for (int x = b.left(); x <= b.right(); ++x) {
            const QRgb top = at(x, above);
            if (colourDistance(top, at(x, middle)) > kSame || colourDistance(top, at(x, below)) > kSame
                || colourDistance(top, at(x - 1, above)) <= kApart)
                continue;
            int end = x;
            while (end - x < kMaxRuleWidth && colourDistance(at(end + 1, above), top) <= kSame)
                ++end;
            if (colourDistance(at(end + 1, above), top) <= kSame || colourDistance(at(end + 1, above), at(x - 1, above)) > kSame)
                continue; // wider than a rule, or between two different areas: an edge
            bool rule = alone(x, end, top);
            for (int k = x; k <= end && rule; ++k)
                rule = ruleColumn(k, top);
            if (!rule)
                continue;
            // The line image takes a pixel around its box: the parts keep two pixels off the rule.
            if (x - 2 - start >= minPart)
                out.append({ QRect(start, b.top(), x - 2 - start, b.height()), line.height });
            start = end + 3;
            x = end;
            split = true;
        }
        if (!split)
            out.append(line);
        else if (b.right() + 1 - start >= minPart)
            out.append({ QRect(start, b.top(), b.right() + 1 - start, b.height()), line.height });
    }
    return out;
}

QList<TextLineBox> findTextLines(const QImage& page, const ParallelFor& parallelForIn)
{
    if (page.isNull() || page.format() != QImage::Format_RGB32 || page.width() < 2 || page.height() < 2)
        return {};
    const ParallelFor parallelFor = parallelForIn ? parallelForIn : runSerially;
    // Strokes of large text are flat inside, which hides them at full scale; half scale finds
    // them. A coarse line counts where the full scale found little, and replaces the fragments
    // of it found there. The two scales are independent, so each runs beside the other: the
    // steps of one that use a single core leave the other cores to the other scale.
    QList<TextLineBox> lines, coarseLines;
    parallelFor(2, [&](int scale) {
        if (scale == 0)
            lines = linesAtScale(page, parallelFor, false);
        else
            coarseLines = linesAtScale(halved(page), parallelFor, true);
    });
    {
        const int factor = 2;
        QList<TextLineBox> added;
        for (const TextLineBox& found : coarseLines) {
            const QRect box = QRect(found.box.topLeft() * factor, found.box.size() * factor)
                                  .adjusted(-factor, -factor, factor, factor)
                                  .intersected(page.rect());
            // Small text at a coarse scale blurs into blocks: a line there must be tall, and must
            // not cover finer lines of different rows.
            if (found.height < 7)
                continue;
            // Finer lines within it must be fragments: inside it, much shorter than its glyphs and
            // over less than half its width. Otherwise the text was read already, and the coarse
            // line is the outline of a bubble, a selected row or a button, or an edge.
            const int glyphHeight = found.height * factor;
            bool fragmentsOnly = true;
            std::vector<uint8_t> covered(size_t(box.width()), 0);
            for (const TextLineBox& line : lines) {
                const QRect inside = line.box.intersected(box);
                if (inside.isEmpty())
                    continue;
                if (area(inside) < area(line.box) / 2 || line.height > 0.6 * glyphHeight) {
                    fragmentsOnly = false;
                    break;
                }
                std::fill_n(covered.begin() + (inside.left() - box.left()), inside.width(), uint8_t(1));
            }
            if (fragmentsOnly && std::count(covered.begin(), covered.end(), uint8_t(1)) < box.width() / 2)
                added.append({ box, glyphHeight });
        }
        lines.removeIf([&](const TextLineBox& line) {
            for (const TextLineBox& big : added)
                if (area(line.box.intersected(big.box)) > area(line.box) / 2)
                    return true;
            return false;
        });
        lines.append(added);
    }

    lines = splitAtRules(page, lines);

    // Reading order: rows top to bottom, each row left to right. A line starts a new row unless
    // its middle lies within the first line of the current row.
    std::sort(lines.begin(), lines.end(), [](const TextLineBox& a, const TextLineBox& b) {
        return a.box.top() != b.box.top() ? a.box.top() < b.box.top() : a.box.left() < b.box.left();
    });
    std::vector<int> rowOf(size_t(lines.size()), 0);
    int row = -1;
    QRect rowBox;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int middle = lines[i].box.center().y();
        if (row < 0 || middle > rowBox.bottom()) {
            ++row;
            rowBox = lines[i].box;
        }
        rowOf[size_t(i)] = row;
    }
    std::vector<int> order(size_t(lines.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return rowOf[size_t(a)] != rowOf[size_t(b)] ? rowOf[size_t(a)] < rowOf[size_t(b)]
                                                   : lines[a].box.left() < lines[b].box.left();
    });
    QList<TextLineBox> out;
    out.reserve(lines.size());
    for (int i : order)
        out.append(lines[i]);
    return out;
}
