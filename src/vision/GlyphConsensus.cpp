#include "vision/GlyphConsensus.h"

#include "vision/PixelSteps.h"
#include "vision/SensitiveTextDetector.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace {

// Fewer glyphs than this say too little about a line's pitch.
constexpr int kFewestGlyphs = 8;
// A reading outvotes another when at least this many copies had it, and five times as many as
// had the other.
constexpr int kFewestVotes = 3;
constexpr int kOutvote = 5;
// Lines on one grid, counted over all readings, that make it a terminal's.
constexpr int kSharedGrid = 5;

QRgb pixelAt(const QImage& page, int x, int y)
{
    return reinterpret_cast<const QRgb*>(page.constScanLine(y))[x];
}

// Whole-pixel cells: cell k spans [left + k * pitch, left + (k + 1) * pitch).
struct Grid {
    int pitch = 0;
    int left = 0;
};

double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

bool hasBox(const RecognizedLine& line, qsizetype i)
{
    return !line.text.at(i).isSpace() && i < line.charBoxes.size() && line.charBoxes.at(i).width() > 0;
}

// The grid a line's glyphs stand on, if they stand on one whose pitch is a whole number of pixels,
// as a terminal draws; a proportional line fits none.
std::optional<Grid> fitGrid(const RecognizedLine& line, double width)
{
    std::vector<double> centres, steps;
    for (qsizetype i = 0; i < line.text.size(); ++i) {
        if (!hasBox(line, i))
            continue;
        centres.push_back(line.charBoxes.at(i).center().x() * width);
        if (i > 0 && hasBox(line, i - 1))
            steps.push_back((line.charBoxes.at(i).center().x() - line.charBoxes.at(i - 1).center().x()) * width);
    }
    if (int(centres.size()) < kFewestGlyphs || int(steps.size()) < kFewestGlyphs / 2)
        return std::nullopt;
    const double step = median(steps);
    const int pitch = int(std::lround(step));
    if (pitch < 4 || std::abs(step - pitch) > 0.25)
        return std::nullopt;
    // The centres' place within a cell, unwrapped around the first one's.
    const double first = std::fmod(centres.front(), pitch);
    std::vector<double> places;
    for (double c : centres) {
        double place = std::fmod(c, pitch);
        if (place - first > pitch / 2.0)
            place -= pitch;
        else if (first - place > pitch / 2.0)
            place += pitch;
        places.push_back(place);
    }
    const double centre = median(places);
    int fitting = 0;
    for (double c : centres) {
        const double off = std::remainder(c - centre, double(pitch));
        fitting += std::abs(off) <= 0.3 * pitch;
    }
    if (fitting * 10 < int(centres.size()) * 9)
        return std::nullopt;
    return Grid { pitch, int(std::lround(centre - pitch / 2.0)) };
}

// One glyph as drawn: its ink within its cell, cut to the ink's bounds.
struct Glyph {
    qsizetype at = 0;
    int cellLeft = 0;
    QRect ink;
    QByteArray bits;
};

// The line's background: the commonest colour of its band.
QRgb backgroundOf(const QImage& page, int top, int bottom, int left, int right)
{
    QHash<QRgb, int> counts;
    const int stride = std::max(1, (right - left) / 256);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; x += stride)
            ++counts[pixelAt(page, x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        if (it.value() > most || (it.value() == most && it.key() < best)) {
            most = it.value();
            best = it.key();
        }
    return best;
}

std::optional<Glyph> cutGlyph(const QImage& page, const Grid& grid, int cell, int top, int bottom, QRgb background)
{
    const int x0 = std::max(0, grid.left + cell * grid.pitch), x1 = std::min(page.width(), grid.left + (cell + 1) * grid.pitch);
    if (x1 <= x0)
        return std::nullopt;
    QRect ink;
    for (int y = top; y < bottom; ++y)
        for (int x = x0; x < x1; ++x)
            if (colourDistance(pixelAt(page, x, y), background) > 2 * kInkContrast)
                ink |= QRect(x, y, 1, 1);
    if (ink.isEmpty())
        return std::nullopt;
    Glyph glyph;
    glyph.cellLeft = x0;
    glyph.ink = ink;
    QByteArray& bits = glyph.bits;
    bits.reserve(ink.width() * ink.height() / 8 + 8);
    uchar byte = 0;
    int filled = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) {
            byte = uchar(byte << 1 | (colourDistance(pixelAt(page, x, y), background) > 2 * kInkContrast));
            if (++filled == 8) {
                bits.append(char(byte));
                byte = 0;
                filled = 0;
            }
        }
    if (filled)
        bits.append(char(byte));
    return glyph;
}

// Readings no vote alone may undo: the characters numbers, amounts and addresses are made of.
bool keepsItsReading(QChar c)
{
    return c.isDigit() || QStringView(u"@$£€.").contains(c);
}


// The reading most copies had, and how many; ties go to the lower character, so that the same
// shot reads the same every time.
std::pair<QChar, int> majority(const QHash<QChar, int>& tally)
{
    QChar best;
    int most = 0;
    for (auto it = tally.constBegin(); it != tally.constEnd(); ++it)
        if (it.value() > most || (it.value() == most && it.key() < best)) {
            most = it.value();
            best = it.key();
        }
    return { best, most };
}

// What the detector finds of each kind in a line read alone: how many matches, and how wide
// they are together.
using Found = std::map<RedactionKind, std::pair<qsizetype, double>>;

Found found(const RecognizedLine& line)
{
    Found counts;
    for (const auto& [kind, boxes] : detectSensitiveText({ line })) {
        double width = 0;
        for (const QRectF& box : boxes)
            width += box.width();
        counts[kind] = { boxes.size(), width };
    }
    return counts;
}

// Neither a match nor a glyph of one lost: a number that reads a digit longer is found only in
// part.
bool losesNothing(const Found& before, const Found& after)
{
    return std::all_of(before.begin(), before.end(), [&](const auto& entry) {
        const auto it = after.find(entry.first);
        return it != after.end() && it->second.first >= entry.second.first && it->second.second >= entry.second.second - 1e-9;
    });
}

// More found: a match more, or one a glyph or so wider.
bool gains(const Found& before, const Found& after)
{
    return losesNothing(before, after) && std::any_of(after.begin(), after.end(), [&](const auto& entry) {
        const auto it = before.find(entry.first);
        return it == before.end() || entry.second.first > it->second.first || entry.second.second > it->second.second + 0.002;
    });
}

// Takes the votes' readings of a line's glyphs, so far as they take nothing the detector would
// find away: a vote is no proof, and a misread line that the detector's mends make whole must stay
// whole. A digit, an @, a currency sign or a dot changes only where the line's readings together
// find more than before (an engine that read "@f" as "a@" is mended by two votes, each of which
// alone would part the address).
void agreeOnLine(RecognizedLine& line, const QList<std::pair<qsizetype, QChar>>& proposed)
{
    const Found before = found(line);
    const auto with = [&](const QList<std::pair<qsizetype, QChar>>& changes) {
        RecognizedLine changed = line;
        for (const auto& [at, c] : changes)
            changed.text[at] = c;
        return changed;
    };
    const bool anyKept = std::any_of(proposed.begin(), proposed.end(), [&](const auto& p) { return keepsItsReading(line.text.at(p.first)); });
    if (anyKept) {
        const RecognizedLine all = with(proposed);
        if (gains(before, found(all))) {
            line = all;
            return;
        }
    }
    QList<std::pair<qsizetype, QChar>> free;
    for (const auto& p : proposed)
        if (!keepsItsReading(line.text.at(p.first)))
            free.append(p);
    if (free.isEmpty())
        return;
    const RecognizedLine all = with(free);
    if (losesNothing(before, found(all))) {
        line = all;
        return;
    }
    for (const auto& p : free) {
        const RecognizedLine one = with({ p });
        if (losesNothing(before, found(one)))
            line = one;
    }
}

// A change of a line's length: the blank at `at` goes, or the two characters from `at` on, one
// glyph read as two, become `glyph`.
struct Closing {
    qsizetype at = 0;
    QChar glyph; // null for a blank
};

RecognizedLine closed(RecognizedLine line, const QList<Closing>& closings)
{
    // From the end, so that each position still holds.
    QList<Closing> order = closings;
    std::sort(order.begin(), order.end(), [](const Closing& a, const Closing& b) { return a.at > b.at; });
    for (const Closing& c : order) {
        const bool boxed = c.at + 1 < line.charBoxes.size();
        if (c.glyph.isNull()) {
            line.text.remove(c.at, 1);
        } else {
            line.text[c.at] = c.glyph;
            line.text.remove(c.at + 1, 1);
            if (boxed)
                line.charBoxes[c.at] = line.charBoxes.at(c.at).united(line.charBoxes.at(c.at + 1));
        }
        if (c.at + (c.glyph.isNull() ? 0 : 1) < line.charBoxes.size())
            line.charBoxes.removeAt(c.at + (c.glyph.isNull() ? 0 : 1));
    }
    return line;
}

// Takes the closings, all or, where that would take something the detector finds away, each that
// takes nothing.
void close(RecognizedLine& line, const QList<Closing>& closings)
{
    const Found before = found(line);
    const RecognizedLine all = closed(line, closings);
    if (losesNothing(before, found(all))) {
        line = all;
        return;
    }
    QList<Closing> order = closings;
    std::sort(order.begin(), order.end(), [](const Closing& a, const Closing& b) { return a.at > b.at; });
    for (const Closing& c : order) {
        const RecognizedLine one = closed(line, { c });
        if (losesNothing(before, found(one)))
            line = one;
    }
}

} // namespace

void agreeOnGlyphs(const QImage& image, QList<RecognizedLine>& lines)
{
    if (image.isNull())
        return;
    const QImage page = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
        ? image
        : image.convertToFormat(QImage::Format_RGB32);
    const double w = page.width(), h = page.height();

    // Each copy of a glyph, keyed by its pixels and its height over the line's baseline.
    struct Copy {
        int line;
        qsizetype at;
        QByteArray key;
        qint64 place;
    };
    std::vector<Copy> copies;
    QHash<int, QList<Closing>> closings;
    // Two characters the engine read in one cell: the line, the first's position and the cell's
    // glyph.
    struct Twin {
        int line;
        qsizetype at;
        QByteArray key;
    };
    std::vector<Twin> twins;
    // Blanks the engine read over a cell that holds ink: a glyph it left out ("ma l" for "mail").
    std::vector<Twin> skipped;
    // A terminal's lines share one grid; a proportional line that happens to come near a grid has
    // one of its own.
    std::vector<std::optional<Grid>> grids;
    QHash<QPair<int, int>, int> sharing;
    for (const RecognizedLine& line : lines) {
        grids.push_back(fitGrid(line, w));
        if (grids.back())
            ++sharing[{ grids.back()->pitch, ((grids.back()->left % grids.back()->pitch) + grids.back()->pitch) % grids.back()->pitch }];
    }
    for (int l = 0; l < lines.size(); ++l) {
        const RecognizedLine& line = lines.at(l);
        const std::optional<Grid>& grid = grids[size_t(l)];
        if (!grid)
            continue;
        const bool shared = sharing.value({ grid->pitch, ((grid->left % grid->pitch) + grid->pitch) % grid->pitch }) >= kSharedGrid;
        const int top = std::max(0, int(std::floor(line.box.top() * h))), bottom = std::min(page.height(), int(std::ceil(line.box.bottom() * h)));
        const int left = std::max(0, int(std::floor(line.box.left() * w))), right = std::min(page.width(), int(std::ceil(line.box.right() * w)));
        if (bottom <= top || right <= left)
            continue;
        const QRgb background = backgroundOf(page, top, bottom, left, right);
        // Each glyph's cell; one whose box is off its cell's middle is two read as one or one read
        // as two, and one out of order was put in by a mend whose box is a guess.
        std::vector<std::pair<qsizetype, int>> cells;
        // Marks and narrow glyphs stand anywhere in their cells, but within them.
        std::vector<std::pair<qsizetype, int>> within;
        for (qsizetype i = 0; i < line.text.size(); ++i) {
            if (!hasBox(line, i))
                continue;
            const double centre = line.charBoxes.at(i).center().x() * w;
            const int cell = int(std::floor((centre - grid->left) / grid->pitch));
            const double off = std::abs(centre - (grid->left + (cell + 0.5) * grid->pitch));
            cells.push_back({ off <= 0.3 * grid->pitch ? i : -1, cell });
            within.push_back({ off <= 0.42 * grid->pitch ? i : -1, cell });
        }
        // A blank between glyphs in neighbouring cells stands where the grid leaves no room for one:
        // the engine read a narrow glyph's wide margins as a gap ("mai 1. kahuna", "gacPj 9rObp").
        // Only on a grid other lines share.
        for (size_t k = 1; shared && k < within.size(); ++k) {
            const auto [before, from] = within[k - 1];
            const auto [after, to] = within[k];
            if (before >= 0 && after > before + 1 && to == from + 1
                && std::all_of(line.text.begin() + before + 1, line.text.begin() + after, [](QChar c) { return c == u' '; }))
                for (qsizetype i = before + 1; i < after; ++i)
                    closings[l].append({ i, QChar() });
        }
        std::vector<Glyph> glyphs;
        QHash<int, int> bottoms;
        for (size_t k = 0; k < cells.size(); ++k) {
            const auto [i, cell] = cells[k];
            if (i < 0 || (k > 0 && cells[k - 1].second >= cell) || (k + 1 < cells.size() && cells[k + 1].second <= cell))
                continue;
            std::optional<Glyph> glyph = cutGlyph(page, *grid, cell, top, bottom, background);
            if (!glyph)
                continue;
            glyph->at = i;
            ++bottoms[glyph->ink.bottom()];
            glyphs.push_back(std::move(*glyph));
        }
        int baseline = 0, most = 0;
        for (auto it = bottoms.constBegin(); it != bottoms.constEnd(); ++it)
            if (it.value() > most || (it.value() == most && it.key() > baseline)) {
                most = it.value();
                baseline = it.key();
            }
        const auto keyOf = [&](const Glyph& g) {
            QByteArray key;
            const int shape[] = { g.ink.width(), g.ink.height(), baseline - g.ink.bottom() };
            key.append(reinterpret_cast<const char*>(shape), sizeof shape);
            key.append(g.bits);
            return key;
        };
        for (const Glyph& g : glyphs)
            copies.push_back({ l, g.at, keyOf(g), qint64(g.cellLeft) << 32 | qint64(top) });
        // Two characters side by side in the text whose boxes both lie in one cell, between
        // neighbours in the cells before and after it: one glyph read as two.
        for (size_t k = 1; shared && k < within.size(); ++k) {
            const auto [first, cell] = within[k - 1];
            const auto [second, same] = within[k];
            if (first < 0 || second != first + 1 || same != cell || (k >= 2 && within[k - 2].second >= cell)
                || (k + 1 < within.size() && within[k + 1].second <= cell))
                continue;
            if (const std::optional<Glyph> glyph = cutGlyph(page, *grid, cell, top, bottom, background))
                twins.push_back({ l, first, keyOf(*glyph) });
        }
        for (size_t k = 1; shared && k < within.size(); ++k) {
            const auto [before, from] = within[k - 1];
            const auto [after, to] = within[k];
            if (before < 0 || after < 0 || to - from < 2 || after - before != to - from)
                continue;
            for (int j = 1; j < to - from; ++j) {
                if (line.text.at(before + j) != u' ')
                    continue;
                if (const std::optional<Glyph> glyph = cutGlyph(page, *grid, from + j, top, bottom, background))
                    skipped.push_back({ l, before + j, keyOf(*glyph) });
            }
        }
    }

    // Each copy on the page votes once for each reading it had (a line read twice at two scales
    // gives its copies two readings, which may differ).
    QHash<QByteArray, QHash<QChar, int>> votes;
    QSet<QPair<qint64, QChar>> voted;
    for (const Copy& copy : copies) {
        const QChar c = lines.at(copy.line).text.at(copy.at);
        if (!voted.contains({ copy.place, c })) {
            voted.insert({ copy.place, c });
            ++votes[copy.key][c];
        }
    }
    // What each copy's glyph was read as by most of its copies, where that outvotes its own reading.
    QHash<int, QList<std::pair<qsizetype, QChar>>> proposals;
    for (const Copy& copy : copies) {
        const QChar c = lines.at(copy.line).text.at(copy.at);
        const QHash<QChar, int>& tally = votes.value(copy.key);
        const auto [best, most] = majority(tally);
        // Two glyphs drawn alike (an O and a zero in some faces) are read each way many times: only
        // a reading that one or two copies had is a misreading.
        const int own = tally.value(c);
        if (best != c && most >= kFewestVotes && own * kOutvote <= most && own <= 2)
            proposals[copy.line].append({ copy.at, best });
    }
    for (const Twin& blank : skipped) {
        const auto tally = votes.constFind(blank.key);
        if (tally == votes.constEnd())
            continue;
        const auto [best, most] = majority(*tally);
        if (most >= kFewestVotes && best != u' ')
            proposals[blank.line].append({ blank.at, best });
    }
    for (auto it = proposals.constBegin(); it != proposals.constEnd(); ++it)
        agreeOnLine(lines[it.key()], it.value());
    // One glyph read as two ("|1" for an l) is read as most of its copies were.
    for (const Twin& twin : twins) {
        const auto tally = votes.constFind(twin.key);
        if (tally == votes.constEnd())
            continue;
        const auto [best, most] = majority(*tally);
        if (most >= kFewestVotes)
            closings[twin.line].append({ twin.at, best });
    }
    for (auto it = closings.constBegin(); it != closings.constEnd(); ++it)
        close(lines[it.key()], it.value());
}
