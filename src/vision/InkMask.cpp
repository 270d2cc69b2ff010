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

// The smallest flat area, in pixels across, that counts as a background.
constexpr int kMinBackground = 56;

int findRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

// Fills smaller than a background: at least this tall, half again as wide, solid.
constexpr int kMinFillHeight = 8;

// A colour key of 5 bits a channel, for finding the commonest colour of an area.
uint32_t colourKey(QRgb p) { return uint32_t(((qRed(p) >> 3) << 10) | ((qGreen(p) >> 3) << 5) | (qBlue(p) >> 3)); }

// The mean colour of the commonest key among `pixels`, and the share of them it covers.
std::pair<QRgb, double> commonestColour(const std::vector<QRgb>& pixels)
{
    if (pixels.empty())
        return { qRgb(255, 255, 255), 0 };
    std::unordered_map<uint32_t, int> votes;
    for (QRgb p : pixels)
        ++votes[colourKey(p)];
    const auto best = std::max_element(votes.begin(), votes.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    long sums[3] = { 0, 0, 0 };
    for (QRgb p : pixels)
        if (colourKey(p) == best->first) {
            sums[0] += qRed(p);
            sums[1] += qGreen(p);
            sums[2] += qBlue(p);
        }
    const int n = best->second;
    return { qRgb(int(sums[0] / n), int(sums[1] / n), int(sums[2] / n)), double(n) / double(pixels.size()) };
}

// The text on the small fills in one blob of ink. A fill is a rectangle or a pill of one colour,
// solid once its holes are filled, that differs from the colour around it and holds ink of its own
// clear of its rim; a blob may hold several that touch (badges wrapped onto two rows). Letters
// are no such fill: their gaps open to the outside ('m', 'w'), and even joined round letters
// ("oo") fill too little of their box. What lies outside the fills stays ink. Components in page
// pixels; none when the blob holds no fill. `stacked`: the blob is taller than one fill, fills
// sharing their rims one above the next.
std::vector<InkMask::Component> textInFills(const QImage& page, const InkMask::Component& c, const std::vector<InkMask::Run>& runs, bool stacked)
{
    const int bw = c.w(), bh = c.h();
    const size_t n = size_t(bw) * bh;
    const auto at = [&](int x, int y) { return reinterpret_cast<const QRgb*>(page.constScanLine(c.y0 + y))[c.x0 + x]; };
    std::vector<uint8_t> blob(n, 0);
    for (const InkMask::Run& r : runs)
        std::fill_n(blob.begin() + (size_t(r.y - c.y0) * bw + (r.x0 - c.x0)), r.x1 - r.x0, uint8_t(1));

    // The colours that cover a small fill or more of the blob, commonest first.
    std::unordered_map<uint32_t, int> votes;
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x)
            if (blob[size_t(y) * bw + x])
                ++votes[colourKey(at(x, y))];
    std::vector<std::pair<int, uint32_t>> ranked;
    for (const auto& [key, count] : votes)
        if (count >= 3 * kMinFillHeight * kMinFillHeight && 40 * count >= c.area)
            ranked.push_back({ count, key });
    std::sort(ranked.begin(), ranked.end(), std::greater<>());
    if (ranked.size() > 8)
        ranked.resize(8);

    std::vector<uint8_t> text(n, 0), taken(n, 0), where;
    std::vector<int> stack;
    bool found = false;
    for (const auto& [count, key] : ranked) {
        std::vector<QRgb> ofKey;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x)
                if (blob[size_t(y) * bw + x] && colourKey(at(x, y)) == key)
                    ofKey.push_back(at(x, y));
        const QRgb fill = commonestColour(ofKey).first;
        // Where part of a fill is flat enough to be a background already, it is no ink: the fill
        // is every pixel of its colour in the blob's box.
        std::vector<uint8_t> ofFill(n, 0);
        for (size_t i = 0; i < n; ++i)
            ofFill[i] = !taken[i] && colourDistance(at(int(i % bw), int(i / bw)), fill) <= kEdgeStep;
        // Two fills stacked so close that they share a rim meet at most where their rounded
        // corners blend into the fill's colour: a pixel or two across, which no fill is. (Only
        // across: the fill above and below tall glyphs is often that thin.)
        std::vector<uint8_t> neck(n, 0);
        const auto markShortRuns = [&](int lines, int length, size_t lineStep, size_t step) {
            for (int l = 0; l < lines; ++l)
                for (int k = 0; k < length;) {
                    const size_t start = size_t(l) * lineStep + size_t(k) * step;
                    int run = 0;
                    while (k + run < length && ofFill[start + size_t(run) * step])
                        ++run;
                    if (run > 0 && run < 3)
                        for (int q = 0; q < run; ++q)
                            neck[start + size_t(q) * step] = 1;
                    k += std::max(run, 1);
                }
        };
        if (stacked)
            markShortRuns(bh, bw, size_t(bw), 1);
        std::vector<uint8_t> cut(n, 0);
        for (size_t i = 0; i < n; ++i)
            cut[i] = ofFill[i] && !neck[i];
        const InkMask::Labelling regions = InkMask::label(cut, 1, bw, bh, false);
        for (size_t k = 0; k < regions.components.size(); ++k) {
            const InkMask::Component& r = regions.components[k];
            if (r.h() < kMinFillHeight || 2 * r.w() < 3 * r.h())
                continue;
            // Within the region's box: 1 the fill and the blob's pixels within two of it (its rim),
            // 2 outside (reached from the box's border), 0 a hole (the text on it).
            const int rw = r.w(), rh = r.h();
            where.assign(size_t(rw) * rh, 0);
            for (size_t q = 0; q < regions.runs.size() && !stacked; ++q) {
                if (size_t(regions.componentOfRun[q]) != k)
                    continue;
                const InkMask::Run& run = regions.runs[q];
                for (int y = std::max(r.y0, run.y - 2); y < std::min(r.y1, run.y + 3); ++y)
                    for (int x = std::max(r.x0, run.x0 - 2); x < std::min(r.x1, run.x1 + 2); ++x)
                        if (blob[size_t(y) * bw + x] || (y == run.y && x >= run.x0 && x < run.x1))
                            where[size_t(y - r.y0) * rw + (x - r.x0)] = 1;
            }
            // Of stacked fills, every pixel of the colour in the box, the slivers cut off included.
            for (int fy = r.y0; fy < r.y1 && stacked; ++fy)
                for (int fx = r.x0; fx < r.x1; ++fx) {
                    if (!ofFill[size_t(fy) * bw + fx])
                        continue;
                    for (int y = std::max(r.y0, fy - 2); y < std::min(r.y1, fy + 3); ++y)
                        for (int x = std::max(r.x0, fx - 2); x < std::min(r.x1, fx + 3); ++x)
                            if (blob[size_t(y) * bw + x] || (y == fy && x == fx))
                                where[size_t(y - r.y0) * rw + (x - r.x0)] = 1;
                }
            const auto reach = [&](int x, int y) {
                const size_t i = size_t(y) * rw + x;
                if (where[i] == 0) {
                    where[i] = 2;
                    stack.push_back(int(i));
                }
            };
            for (int x = 0; x < rw; ++x) {
                reach(x, 0);
                reach(x, rh - 1);
            }
            for (int y = 0; y < rh; ++y) {
                reach(0, y);
                reach(rw - 1, y);
            }
            while (!stack.empty()) {
                const int i = stack.back();
                stack.pop_back();
                const int x = i % rw, y = i / rw;
                if (x > 0)
                    reach(x - 1, y);
                if (x + 1 < rw)
                    reach(x + 1, y);
                if (y > 0)
                    reach(x, y - 1);
                if (y + 1 < rh)
                    reach(x, y + 1);
            }
            // What lies around the fill: its corners inside the box and a ring just outside it;
            // of stacked fills, the pixels clear of the blob alone where there are enough, since
            // the rims and fills of neighbours are no colour around it.
            std::vector<QRgb> around, clear;
            const auto inBlob = [&](int x, int y) {
                const int bx = x - c.x0, by = y - c.y0;
                return bx >= 0 && by >= 0 && bx < bw && by < bh && blob[size_t(by) * bw + bx];
            };
            qint64 filled = 0;
            for (int y = 0; y < rh; ++y)
                for (int x = 0; x < rw; ++x) {
                    if (where[size_t(y) * rw + x] == 2) {
                        around.push_back(at(r.x0 + x, r.y0 + y));
                        if (!blob[size_t(r.y0 + y) * bw + (r.x0 + x)])
                            clear.push_back(around.back());
                    } else {
                        ++filled;
                    }
                }
            if (filled < qint64(0.85 * rw * rh) || r.area < 0.4 * filled)
                continue;
            const int px0 = c.x0 + r.x0, py0 = c.y0 + r.y0;
            for (int y = std::max(0, py0 - 2); y < std::min(page.height(), py0 + rh + 2); ++y) {
                const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
                for (int x = std::max(0, px0 - 2); x < std::min(page.width(), px0 + rw + 2); ++x)
                    if (y < py0 || y >= py0 + rh || x < px0 || x >= px0 + rw) {
                        around.push_back(row[x]);
                        if (!inBlob(x, y))
                            clear.push_back(row[x]);
                    }
            }
            const QRgb outside = commonestColour(stacked && clear.size() >= size_t(2 * rh) ? clear : around).first;
            if (colourDistance(fill, outside) <= kInkContrast)
                continue;
            // The text: what differs from the fill, but not the rim, where the fill blends into
            // the outside.
            const auto nearOutside = [&](int x, int y, int d) {
                for (int yy = y - d; yy <= y + d; ++yy)
                    for (int xx = x - d; xx <= x + d; ++xx)
                        if (xx < 0 || yy < 0 || xx >= rw || yy >= rh || where[size_t(yy) * rw + xx] == 2)
                            return true;
                return false;
            };
            std::vector<int> ink;
            for (int y = 0; y < rh; ++y)
                for (int x = 0; x < rw; ++x) {
                    if (where[size_t(y) * rw + x] == 2)
                        continue;
                    const QRgb p = at(r.x0 + x, r.y0 + y);
                    if (colourDistance(p, fill) <= kInkContrast || nearOutside(x, y, 1)
                        || (nearOutside(x, y, 2) && isBlend(p, fill, outside)))
                        continue;
                    ink.push_back(int(size_t(r.y0 + y) * bw + (r.x0 + x)));
                }
            if (ink.size() < 8 || double(ink.size()) < 0.03 * double(filled) || double(ink.size()) > 0.6 * double(filled))
                continue;
            for (int i : ink)
                text[size_t(i)] = 1;
            for (int y = 0; y < rh; ++y)
                for (int x = 0; x < rw; ++x)
                    if (where[size_t(y) * rw + x] != 2)
                        taken[size_t(r.y0 + y) * bw + (r.x0 + x)] = 1;
            found = true;
        }
    }
    if (!found)
        return {};
    // The text, and what of the blob no fill took.
    for (size_t i = 0; i < n; ++i)
        if (blob[i] && !taken[i])
            text[i] = 1;
    std::vector<InkMask::Component> parts = InkMask::label(text, 1, bw, bh, true).components;
    for (InkMask::Component& part : parts) {
        part.x0 += c.x0;
        part.x1 += c.x0;
        part.y0 += c.y0;
        part.y1 += c.y0;
    }
    return parts;
}

// Ink: pixels near a steep step that differ from the colour of the nearest flat area (the
// background) and from the flat areas beside it. Work is done in horizontal bands, each with a
// margin of kBandMargin rows so that its results match those of the whole page: flat areas
// crossing the margin are large anyway, and a background farther away than that is none.
constexpr int kBandMargin = kMinBackground + 8;

} // namespace

namespace {

// Two chamfer passes over `source` (-1 where not yet reached, else the seed's index).
void chamfer(std::vector<int32_t>& source, int w, int h)
{
    std::vector<uint16_t> dist(source.size());
    for (size_t i = 0; i < source.size(); ++i)
        dist[i] = source[i] >= 0 ? 0 : 0xffff;
    const auto relax = [&](size_t i, size_t j) {
        if (dist[j] != 0xffff && dist[j] + 1 < dist[i]) {
            dist[i] = uint16_t(dist[j] + 1);
            source[i] = source[j];
        }
    };
    for (int y = 0; y < h; ++y) {
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
    for (int y = h - 1; y >= 0; --y) {
        for (int x = w - 1; x >= 0; --x) {
            const size_t i = size_t(y) * w + x;
            if (dist[i] == 0)
                continue;
            if (x + 1 < w)
                relax(i, i + 1);
            if (y + 1 < h) {
                relax(i, i + w);
                if (x + 1 < w)
                    relax(i, i + w + 1);
                if (x > 0)
                    relax(i, i + w - 1);
            }
        }
    }
}

} // namespace

namespace InkMask {

std::vector<int32_t> nearestOf(const std::vector<int32_t>& seeds, int w, int h)
{
    std::vector<int32_t> source(size_t(w) * h, -1);
    for (int32_t i : seeds)
        source[size_t(i)] = i;
    chamfer(source, w, h);
    return source;
}

std::vector<int32_t> nearestOf(const std::vector<uint8_t>& mask, uint8_t value, int w, int h)
{
    std::vector<int32_t> source(size_t(w) * h, -1);
    for (size_t i = 0; i < source.size(); ++i)
        if (mask[i] == value)
            source[i] = int32_t(i);
    chamfer(source, w, h);
    return source;
}

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

std::vector<Component> offRules(const Labelling& ink, int minRule)
{
    std::vector<Component> out;
    std::vector<uint8_t> mask;
    for (size_t c = 0; c < ink.components.size(); ++c) {
        const Component& frame = ink.components[c];
        if (frame.w() < minRule || frame.area >= 0.25 * double(frame.w()) * frame.h())
            continue;
        const int w = frame.w(), h = frame.h();
        mask.assign(size_t(w) * h, 0);
        bool any = false;
        for (size_t i = 0; i < ink.runs.size(); ++i) {
            const Run& r = ink.runs[i];
            if (ink.componentOfRun[i] != int(c) || r.x1 - r.x0 >= minRule)
                continue;
            std::fill(mask.begin() + (size_t(r.y - frame.y0) * w + (r.x0 - frame.x0)), mask.begin() + (size_t(r.y - frame.y0) * w + (r.x1 - frame.x0)), uint8_t(1));
            any = true;
        }
        if (!any)
            continue;
        for (Component piece : label(mask, 1, w, h, true).components) {
            // An upright rule's sliver, or the frame's own sides and rounded corners.
            if (piece.w() <= 4 || piece.x0 == 0 || piece.y0 == 0 || piece.x1 == w || piece.y1 == h)
                continue;
            piece.x0 += frame.x0;
            piece.x1 += frame.x0;
            piece.y0 += frame.y0;
            piece.y1 += frame.y0;
            out.push_back(piece);
        }
    }
    return out;
}

std::vector<Component> separateFills(const QImage& page, const Labelling& ink)
{
    const auto oneFill = [](const Component& c) { return c.h() < kMinBackground + 8 && 2 * c.w() >= 3 * c.h(); };
    // Fills stacked a pixel or two apart (the code boxes of a list, one a row) join into one
    // blob far taller than any of them.
    const auto stacked = [](const Component& c) {
        return c.h() >= 3 * kMinFillHeight && c.h() <= 4 * kMinBackground && c.w() >= 3 * kMinFillHeight;
    };
    const std::vector<Component>& comps = ink.components;
    // Candidates only: tall enough, wider than tall, a good part of their box ink (the text on a
    // fill may have the colour around it and leave holes), smaller than a background.
    std::vector<int> slot(comps.size(), -1);
    int candidates = 0;
    for (size_t i = 0; i < comps.size(); ++i) {
        const Component& c = comps[i];
        if (c.h() >= kMinFillHeight && 4 * c.area >= c.w() * c.h() && (oneFill(c) || stacked(c)))
            slot[i] = candidates++;
    }
    if (candidates == 0)
        return comps;
    std::vector<std::vector<Run>> runsOf(static_cast<size_t>(candidates));
    for (size_t r = 0; r < ink.runs.size(); ++r)
        if (const int s = slot[size_t(ink.componentOfRun[r])]; s >= 0)
            runsOf[size_t(s)].push_back(ink.runs[r]);
    std::vector<Component> out;
    out.reserve(comps.size());
    for (size_t i = 0; i < comps.size(); ++i) {
        std::vector<Component> text;
        if (slot[i] >= 0)
            text = textInFills(page, comps[i], runsOf[size_t(slot[i])], !oneFill(comps[i]));
        if (text.empty())
            out.push_back(comps[i]);
        else
            out.insert(out.end(), text.begin(), text.end());
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

        // 3. The nearest flat pixel of every other pixel.
        const std::vector<int32_t> source = nearestOf(notFlat, 0, w, rows);

        // 4. Ink differs from that background colour, and from the backgrounds next to it: where
        // two flat areas meet (a selected row, a bubble, a button), their edge and its
        // anti-aliased blend are no ink.
        const auto colourOf = [&](int32_t s) { return row(top + int(s / w))[s % w]; };
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
