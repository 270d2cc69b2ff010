#include "vision/TextLineFinder.h"

#include "vision/InkMask.h"
#include "vision/PixelSteps.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <unordered_map>
#include <vector>

namespace {

using InkMask::Component;

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

// A glyph's columns and height.
struct Mark {
    int x0, x1, h;
};

struct Line {
    int x0, y0, x1, y1;
    double heightSum = 0;
    int glyphs = 0;
    bool merged = false; // taken into the line to its left
    std::vector<Mark> marks;
    int shortLetters = 0; // marks under the seeds' height, but four pixels or more, that joined
    double typical() const { return glyphs ? heightSum / glyphs : y1 - y0; }
};

// The cells of a line drawn in a fixed pitch (a terminal's, a code block's): its glyphs' centres
// lie on a grid of one width. Letters of two heights must be among them: a row of digits alone may
// be the tabular digits of a proportional face. Empty for any other line.
struct Cells {
    double pitch = 0, origin = 0;
    bool onGrid(double x) const
    {
        const double k = (x - origin) / pitch;
        return pitch > 0 && std::abs(k - std::round(k)) < 0.25;
    }
};

Cells cellsOf(std::vector<Mark> marks, double typical)
{
    if (marks.size() < 6)
        return {};
    std::sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.x0 < b.x0; });
    const auto centre = [&](size_t k) { return 0.5 * (marks[k].x0 + marks[k].x1); };
    std::vector<double> steps;
    int tallest = 0;
    for (size_t k = 0; k < marks.size(); ++k) {
        tallest = std::max(tallest, marks[k].h);
        if (k > 0)
            steps.push_back(centre(k) - centre(k - 1));
    }
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    double pitch = steps[steps.size() / 2];
    if (pitch < 0.3 * typical || pitch > 1.5 * typical)
        return {};
    std::vector<long> cell(marks.size());
    const double c0 = centre(0);
    for (int round = 0; round < 2; ++round) {
        double sk = 0, sc = 0, skk = 0, skc = 0;
        for (size_t k = 0; k < marks.size(); ++k) {
            cell[k] = std::lround((centre(k) - c0) / pitch);
            sk += cell[k];
            sc += centre(k);
            skk += double(cell[k]) * cell[k];
            skc += double(cell[k]) * centre(k);
        }
        const double n = double(marks.size()), denominator = n * skk - sk * sk;
        if (denominator <= 0)
            return {};
        pitch = (n * skc - sk * sc) / denominator;
        if (pitch < 0.3 * typical || pitch > 1.5 * typical)
            return {};
    }
    std::vector<double> residual;
    for (size_t k = 0; k < marks.size(); ++k)
        residual.push_back(centre(k) - c0 - cell[k] * pitch);
    std::nth_element(residual.begin(), residual.begin() + residual.size() / 2, residual.end());
    const Cells out { pitch, c0 + residual[residual.size() / 2] };
    size_t fitting = 0, short_ = 0;
    for (size_t k = 0; k < marks.size(); ++k) {
        fitting += out.onGrid(centre(k));
        short_ += marks[k].h < 0.8 * tallest;
    }
    return fitting >= 0.85 * double(marks.size()) && short_ >= 2 && short_ < marks.size() ? out : Cells {};
}

int overlap(int a0, int a1, int b0, int b1) { return std::min(a1, b1) - std::max(a0, b0); }

using ParallelFor = std::function<void(int, const std::function<void(int)>&)>;

// In a terminal's tight rows a descender may touch the glyph under it ('g' over 'l'): the two are
// one mark two rows tall, which then gathers both rows into one line. A mark about twice as tall
// as the page's glyphs and no wider than a glyph or two is parted where, in its middle, its ink
// narrows to a pixel or two. Signs that reach above and below the digits (a '$' over a '$' in a
// column of amounts) make such a mark up to three times as tall.
void splitRowsJoined(std::vector<Component>& seeds, const std::vector<uint8_t>& ink, int w)
{
    if (seeds.size() < 8)
        return;
    std::vector<int> heights;
    heights.reserve(seeds.size());
    for (const Component& c : seeds)
        heights.push_back(c.h());
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    const int typical = heights[heights.size() / 2];
    std::vector<int> count;
    const size_t n = seeds.size();
    for (size_t k = 0; k < n; ++k) {
        const Component c = seeds[k];
        if (c.h() < 1.8 * typical || c.h() > 3.2 * typical || c.w() > 1.5 * typical)
            continue;
        count.assign(size_t(c.h()), 0);
        for (int y = c.y0; y < c.y1; ++y)
            for (int x = c.x0; x < c.x1; ++x)
                count[size_t(y - c.y0)] += ink[size_t(y) * w + x];
        const int from = c.h() * 35 / 100, to = c.h() - c.h() * 35 / 100;
        int cut = -1;
        for (int y = from; y < to; ++y)
            if (cut < 0 || count[size_t(y)] < count[size_t(cut)])
                cut = y;
        const int widest = *std::max_element(count.begin(), count.end());
        if (cut < 0 || count[size_t(cut)] > 2 || 3 * count[size_t(cut)] > widest)
            continue;
        const auto part = [&](int y0, int y1) {
            Component p { c.x1, c.y0 + y0, c.x0, c.y0 + y1, 0 };
            for (int y = p.y0; y < p.y1; ++y)
                for (int x = c.x0; x < c.x1; ++x)
                    if (ink[size_t(y) * w + x]) {
                        p.x0 = std::min(p.x0, x);
                        p.x1 = std::max(p.x1, x + 1);
                        ++p.area;
                    }
            return p;
        };
        const Component top = part(0, cut), bottom = part(cut + 1, c.h());
        if (top.area == 0 || bottom.area == 0)
            continue;
        seeds[k] = top;
        seeds.push_back(bottom);
    }
}

// The lines of one scale of the page, in no particular order.
QList<TextLineBox> linesAtScale(const QImage& page, const ParallelFor& parallelFor, bool coarse)
{
    const int w = page.width(), h = page.height();
    const std::vector<uint8_t> ink = InkMask::find(page, parallelFor);
    const InkMask::Labelling labelled = InkMask::label(ink, 1, w, h, true);
    std::vector<Component> comps = InkMask::separateFills(page, labelled);
    const int maxGlyphHeight = std::max(24, std::min(220, h / 3));
    // A rule: a run far longer than a glyph's stroke.
    const std::vector<Component> loose = InkMask::offRules(labelled, std::max(48, maxGlyphHeight / 2));
    comps.insert(comps.end(), loose.begin(), loose.end());

    std::vector<Component> seeds, small;
    for (const Component& c : comps) {
        if (!isGlyphLike(c, maxGlyphHeight, coarse))
            continue;
        (c.h() >= 5 ? seeds : small).push_back(c);
    }
    splitRowsJoined(seeds, ink, w);
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
            // A glyph far shorter than a line of one or two marks lies within their height: one
            // that only grazes a tall mark (a badge left whole beside two rows of text) belongs
            // to a row of its own.
            const double need = ratio < 0.6 && l.glyphs <= 2 ? 0.8 * c.h() : 0.5 * std::min<double>(c.h(), typical);
            if (ov < need)
                continue;
            const double score = double(ov) / c.h() - 0.01 * std::max(0.0, gap) / typical;
            if (best < 0 || score > bestScore) {
                best = index;
                bestScore = score;
            }
        }
        if (best < 0) {
            lines.push_back({ c.x0, c.y0, c.x1, c.y1, double(c.h()), 1, false, { { c.x0, c.x1, c.h() } } });
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
            l.marks.push_back({ c.x0, c.x1, c.h() });
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
        double bestDistance = 0, bestAside = 0;
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
            // Two lines of one row (a thin glyph may have started the right one early) both hold
            // the mark's height: the one it lies in or nearest to takes it, so that a full stop
            // does not reach back over the glyph before it and keep the two apart.
            const double aside = c.x1 < l.x0 ? l.x0 - c.x1 : c.x0 > l.x1 ? c.x0 - l.x1 : 0;
            if (best < 0 || distance < bestDistance || (distance == bestDistance && aside < bestAside)) {
                best = index;
                bestDistance = distance;
                bestAside = aside;
            }
        }
        if (best < 0)
            return false;
        Line& l = lines[best];
        l.x0 = std::min(l.x0, c.x0);
        l.x1 = std::max(l.x1, c.x1);
        l.y0 = std::min(l.y0, c.y0);
        l.y1 = std::max(l.y1, c.y1);
        l.shortLetters += c.h() >= 4 && c.w() >= 2;
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
        // Measured when first needed, again after each merge.
        Cells leftCells;
        bool measured = false;
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
                if (right.x0 < left.x1 - 0.5 * t || ratio > 1.6 || ratio < 1 / 1.6
                    || overlap(left.y0, left.y1, right.y0, right.y1) < 0.6 * std::min(left.y1 - left.y0, right.y1 - right.y0))
                    continue;
                // In a line of fixed pitch a gap narrower than two cells is one blank beside narrow
                // glyphs ("massive. io"), not the space between two columns.
                if (right.x0 - left.x1 > 0.8 * t) {
                    if (!measured)
                        leftCells = cellsOf(left.marks, left.typical());
                    measured = true;
                    const bool oneBlank = leftCells.pitch > 0 && right.x0 - left.x1 < 2 * leftCells.pitch && !right.marks.empty()
                        && std::all_of(right.marks.begin(), right.marks.end(), [&](const Mark& m) { return leftCells.onGrid(0.5 * (m.x0 + m.x1)); });
                    if (!oneBlank)
                        continue;
                }
                left.x1 = std::max(left.x1, right.x1);
                left.y0 = std::min(left.y0, right.y0);
                left.y1 = std::max(left.y1, right.y1);
                left.heightSum += right.heightSum;
                left.glyphs += right.glyphs;
                left.shortLetters += right.shortLetters;
                left.marks.insert(left.marks.end(), right.marks.begin(), right.marks.end());
                measured = false;
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
        // A lone mark or a sliver is no line of text, nor is one low mark far wider than tall (the
        // gap between two fills stacked close). The smallest bitmap faces (5x8, 6x9) draw their
        // short letters four pixels tall, under the seeds' height: a row of them with a single
        // taller glyph ("noor@acme.io") is a line when several joined it.
        const bool letters = l.glyphs + (l.shortLetters >= 3 ? l.shortLetters : 0) >= 2;
        if (l.x1 - l.x0 < 0.6 * t || t < 5 || (!letters && l.x1 - l.x0 < 1.5 * t)
            || (!letters && t <= 6 && l.x1 - l.x0 > 8 * t))
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
            // Finer lines within it must be fragments: inside it, much shorter than its glyphs,
            // not a run of several glyphs of their own, and over less than half its width.
            // Otherwise the text was read already, and the coarse line is the outline of a bubble,
            // a selected row, a button or a box of small text, or an edge.
            const int glyphHeight = found.height * factor;
            bool fragmentsOnly = true;
            std::vector<uint8_t> covered(size_t(box.width()), 0);
            for (const TextLineBox& line : lines) {
                const QRect inside = line.box.intersected(box);
                if (inside.isEmpty())
                    continue;
                if (area(inside) < area(line.box) / 2 || line.height > 0.6 * glyphHeight || line.box.width() >= 4 * line.box.height()) {
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
