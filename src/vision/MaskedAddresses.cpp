#include "vision/MaskedAddresses.h"

#include <algorithm>
#include <vector>

namespace {

bool nameCharacter(QChar c)
{
    return (c.unicode() < 128 && c.isLetterOrNumber()) || QStringView(u"._%+-").contains(c);
}

bool maskGlyph(QChar c) { return QStringView(u"*\u2022\u25CF\u00B7\u2219").contains(c); }

// What the engine reads middle dots as.
bool dotLookAlike(QChar c) { return QStringView(u"-:+~.").contains(c); }

bool xHeightLetter(QChar c) { return QStringView(u"acemnorsuvwxz").contains(c); }

// Capitals, digits and ascenders that stand on the baseline.
bool tallGlyph(QChar c)
{
    return c.unicode() < 128 && (c.isUpper() || c.isDigit() || QStringView(u"bdfhkl").contains(c)) && c != u'J' && c != u'Q';
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Where the line's glyphs stand, measured outside the address's name and first host label. The
// engine boxes most glyphs to their ink, but some to the whole line, from the top of its capitals
// to below its baseline: such a box is taller than the ink of its kind, so of the small letters and
// of the tall glyphs outside only the shortest of each kind count. They must agree: small letters
// on one baseline, tall glyphs standing taller than they do, as no box drawn to the line does.
// Otherwise the baseline is unknown, and no letter counts as a mask.
struct Baseline {
    bool known = false;
    double base = 0;
    double xHeight = 0;
};

Baseline baselineOutside(const RecognizedLine& line, qsizetype from, qsizetype to)
{
    struct Glyph {
        double height, bottom;
        bool tall;
    };
    std::vector<Glyph> glyphs;
    std::vector<double> tallInside;
    double shortestSmall = 1, shortestTall = 1;
    for (qsizetype i = 0; i < line.text.size(); ++i) {
        const QChar c = line.text.at(i);
        const QRectF& box = line.charBoxes.at(i);
        if (box.isEmpty() || !(tallGlyph(c) || xHeightLetter(c)))
            continue;
        if (i >= from && i < to) {
            if (tallGlyph(c))
                tallInside.push_back(box.height());
            continue;
        }
        glyphs.push_back({ box.height(), box.bottom(), tallGlyph(c) });
        double& shortest = tallGlyph(c) ? shortestTall : shortestSmall;
        shortest = std::min(shortest, box.height());
    }
    std::vector<double> small, tall, bottoms;
    for (const Glyph& g : glyphs) {
        if (g.height > 1.25 * (g.tall ? shortestTall : shortestSmall))
            continue;
        (g.tall ? tall : small).push_back(g.height);
        bottoms.push_back(g.bottom);
    }
    // With no tall glyph outside, the address's own tell how tall capitals stand.
    if (tall.empty())
        tall = tallInside;
    if (small.empty() || tall.empty())
        return {};
    const double xHeight = median(small), tallHeight = median(tall), base = median(bottoms);
    const auto onBase = std::count_if(bottoms.begin(), bottoms.end(), [&](double b) { return std::abs(b - base) <= 0.12 * xHeight; });
    if (tallHeight < 1.15 * xHeight || tallHeight > 1.7 * xHeight || onBase * 2 <= qsizetype(bottoms.size()))
        return {};
    return { true, base, xHeight };
}

} // namespace

bool maskedAddress(const RecognizedLine& line, qsizetype at, bool nameCut)
{
    const QString& t = line.text;
    if (at <= 0 || at >= t.size() || t.at(at) != u'@')
        return false;
    // The name reaches back over every character a name or a mask may hold; the host's first label
    // runs to its first dot.
    qsizetype nameStart = at;
    while (nameStart > 0) {
        const QChar c = t.at(nameStart - 1);
        if (!nameCharacter(c) && !maskGlyph(c) && !dotLookAlike(c) && c != u'@')
            break;
        --nameStart;
    }
    qsizetype labelEnd = at + 1;
    while (labelEnd < t.size() && (nameCharacter(t.at(labelEnd)) || maskGlyph(t.at(labelEnd))) && t.at(labelEnd) != u'.')
        ++labelEnd;

    const bool geometry = line.charBoxes.size() == t.size();
    const Baseline baseline = geometry ? baselineOutside(line, nameStart, labelEnd) : Baseline {};
    // A letter or digit whose glyph floats above the baseline, smaller than a letter, is a star or
    // a bullet read as one: no letter does (their boxes sit on it within a twentieth of their
    // height, or reach below). A box much smaller still is a quote's or a tick's that the engine
    // gave the letter beside it.
    const auto floats = [&](qsizetype i) {
        const QRectF& box = line.charBoxes.at(i);
        return baseline.known && t.at(i).isLetterOrNumber() && !box.isEmpty() && box.bottom() < baseline.base - 0.12 * baseline.xHeight
            && box.height() >= 0.35 * baseline.xHeight && box.height() <= 0.95 * baseline.xHeight;
    };
    // A letter that stands on the baseline, where a part's masks follow its first letters.
    const auto standing = [&](qsizetype i) {
        const QRectF& box = line.charBoxes.at(i);
        return baseline.known && t.at(i).isLetterOrNumber() && !box.isEmpty() && box.height() <= 1.7 * baseline.xHeight
            && std::abs(box.bottom() - baseline.base) <= 0.12 * baseline.xHeight;
    };
    const auto mask = [&](qsizetype i) { return maskGlyph(t.at(i)) || (t.at(i) == u'@' && i < at) || floats(i); };

    // A run counts where it stands in place of letters: after one of the part's own letters, or up
    // to the part's end when it holds a mask glyph as such. A run before the first letter is a
    // mark around the address. Where letters read from floating glyphs make the run, a letter
    // before it must stand on the baseline they float above: else that baseline is not the line's.
    const auto maskedPart = [&](qsizetype from, qsizetype to) {
        bool letterBefore = false, standingBefore = false;
        for (qsizetype i = from; i < to;) {
            if (!mask(i) && !dotLookAlike(t.at(i))) {
                letterBefore = letterBefore || t.at(i).isLetterOrNumber();
                standingBefore = standingBefore || standing(i);
                ++i;
                continue;
            }
            qsizetype end = i;
            int masks = 0, glyphs = 0;
            while (end < to && (mask(end) || dotLookAlike(t.at(end)))) {
                masks += mask(end) ? 1 : 0;
                glyphs += maskGlyph(t.at(end)) || t.at(end) == u'@' ? 1 : 0;
                ++end;
            }
            // Middle dots come out as hyphens, colons and plus signs: three of them in a row are
            // no name either.
            const bool asRead = glyphs >= 2 || end - i - masks + glyphs >= 3;
            if ((asRead && (letterBefore || end == to)) || (masks >= 2 && (standingBefore || (end == to && glyphs > 0))))
                return true;
            i = end;
        }
        return false;
    };
    const bool nameless = !nameCut && std::none_of(t.begin() + nameStart, t.begin() + at, [](QChar c) { return c.isLetterOrNumber(); });
    return nameless || maskedPart(nameStart, at) || maskedPart(at + 1, labelEnd);
}
