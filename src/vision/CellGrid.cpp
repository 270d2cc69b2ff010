#include "vision/CellGrid.h"

#include <QStringView>

#include <algorithm>
#include <cmath>

namespace {

double median(std::vector<double> values, double fallback)
{
    if (values.empty())
        return fallback;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

CellGrid fitCells(const std::vector<Symbol>& symbols, double pitch, double h)
{
    CellGrid out;
    out.grid = pitch;
    out.cell.assign(symbols.size(), 0);
    if (symbols.size() < 6)
        return out;
    std::vector<int>& cell = out.cell;
    double& grid = out.grid;
    const double c0 = symbols.front().box.center().x();
    const auto centre = [&](size_t i) { return symbols[i].box.center().x(); };
    for (int round = 0; round < 2; ++round) {
        double sk = 0, sc = 0, skk = 0, skc = 0;
        for (size_t i = 0; i < symbols.size(); ++i) {
            cell[i] = int(std::lround((centre(i) - c0) / grid));
            sk += cell[i];
            sc += centre(i);
            skk += double(cell[i]) * cell[i];
            skc += double(cell[i]) * centre(i);
        }
        const double n = double(symbols.size());
        const double denominator = n * skk - sk * sk;
        if (denominator > 0)
            grid = std::max(1.0, (n * skc - sk * sc) / denominator);
    }
    const double offset = [&] {
        std::vector<double> r;
        for (size_t i = 0; i < symbols.size(); ++i)
            r.push_back(centre(i) - c0 - cell[i] * grid);
        return median(r, 0);
    }();
    const auto miss = [&](size_t i) { return std::abs(centre(i) - c0 - offset - cell[i] * grid); };
    for (size_t i = 0; i < symbols.size(); ++i)
        cell[i] = int(std::lround((centre(i) - c0 - offset) / grid));
    out.origin = c0 + offset;
    // A box two cells wide is a glyph the engine boxed with its neighbour's ink, and a sliver one
    // it put at its neighbour's edge: their centres say nothing about their cells.
    const auto placed = [&](size_t k) { return symbols[k].box.width() < 1.3 * grid && symbols[k].box.width() >= 0.1 * grid; };
    const auto narrow = [&](size_t k) { return symbols[k].text.size() == 1 && QStringView(u"iljtfrI.,:;!|'()").contains(symbols[k].text.at(0)); };
    // Whether the cells make a line of fixed pitch, and narrow glyphs prove it; `guessed` symbols
    // have cells given by their neighbours and count for neither.
    const auto judge = [&](const std::vector<uint8_t>& guessed) {
        out.doubled.clear();
        out.proven = false;
        int fitting = 0, kept = 0;
        bool increasing = true;
        size_t last = 0; // the last symbol kept
        for (size_t i = 0; i < symbols.size(); ++i) {
            if (guessed[i]) {
                increasing = increasing && cell[i] > cell[last];
                last = i;
                continue;
            }
            // Two readings of one glyph overlap much, and the engine doubts at least one of them; a
            // narrow glyph's box that merely touches its neighbour's (".i"), or two the engine is sure
            // of, are two glyphs (boxes pushed a cell off).
            if (i > 0 && cell[i] == cell[last] && symbols[i].box.left() + 0.15 * grid < symbols[last].box.right() && placed(i) && placed(last)
                && std::min(symbols[i].confidence, symbols[last].confidence) < 97) {
                // An ASCII letter or digit before an accented letter (what a screenshot's tokens are
                // made of), then the reading the engine is surer of.
                const auto plain = [&](size_t k) {
                    return !std::any_of(symbols[k].text.begin(), symbols[k].text.end(), [](QChar c) { return c.isLetter() && c.unicode() >= 0x80; });
                };
                const bool surer = plain(i) != plain(last) ? plain(i)
                    : symbols[i].confidence != symbols[last].confidence ? symbols[i].confidence > symbols[last].confidence
                                                                        : miss(i) < miss(last);
                out.doubled.push_back(surer ? last : i);
                if (!surer)
                    continue;
                // The kept symbol takes the place of the dropped one in the counts.
                fitting -= miss(last) < 0.22 * grid;
                --kept;
            } else {
                increasing = increasing && (i == 0 || cell[i] > cell[last]);
            }
            fitting += miss(i) < 0.22 * grid;
            ++kept;
            last = i;
        }
        // Only a few glyphs read twice: many pairs in one cell are no fixed pitch.
        const bool fewDoubled = out.doubled.size() * 4 <= size_t(kept);
        out.monospaced = increasing && fewDoubled && fitting >= 0.9 * kept && grid < 1.2 * h && std::abs(grid - pitch) < 0.25 * pitch;
        if (!out.monospaced) {
            out.doubled.clear();
            return;
        }
        // In a proportional face the glyph beside a narrow one stands a fraction of a cell off the grid.
        int narrowPairs = 0, narrowSteps = 0;
        constexpr size_t kNone = size_t(-1);
        size_t previous = kNone;
        for (size_t i = 0; i < symbols.size(); ++i) {
            if (std::find(out.doubled.begin(), out.doubled.end(), i) != out.doubled.end())
                continue;
            if (guessed[i]) {
                previous = kNone;
                continue;
            }
            if (previous != kNone && (narrow(i) || narrow(previous))) {
                ++narrowPairs;
                narrowSteps += miss(i) < 0.15 * grid && miss(previous) < 0.15 * grid;
            }
            previous = i;
        }
        out.proven = narrowSteps >= 2 && narrowSteps >= 0.75 * narrowPairs;
    };
    std::vector<uint8_t> guessed(symbols.size(), 0);
    judge(guessed);
    if (out.monospaced)
        return out;
    // Glyphs the engine did not place may have run the cells backwards ("n" boxed over "ji" and
    // both put at its edge, in a wide face). They take the cells left between the placed glyphs
    // around them, where exactly as many are left; the line is one of fixed pitch then only if
    // its narrow glyphs prove it.
    const std::vector<int> measured = cell;
    bool moved = false;
    for (size_t i = 1; i < symbols.size();) {
        size_t j = i;
        while (j < symbols.size() && !placed(j))
            ++j;
        if (j > i && j < symbols.size() && placed(i - 1) && cell[j] - cell[i - 1] - 1 == int(j - i))
            for (size_t k = i; k < j; ++k) {
                const int c = cell[i - 1] + int(k - i) + 1;
                moved = moved || c != cell[k];
                cell[k] = c;
                guessed[k] = 1;
            }
        i = j + 1;
    }
    if (!moved)
        return out;
    judge(guessed);
    if (!out.proven) {
        cell = measured;
        out.monospaced = false;
        out.doubled.clear();
        out.proven = false;
    }
    return out;
}
