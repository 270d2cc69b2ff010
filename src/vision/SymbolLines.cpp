#include "vision/SymbolLines.h"

#include "vision/AddressSigns.h"
#include "vision/CellGrid.h"
#include "vision/ConfusedCharacters.h"
#include "vision/InkMarks.h"
#include "vision/LineInk.h"
#include "vision/SensitiveTextDetector.h"

#include <QRegularExpression>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

using namespace LineInk;

std::vector<Symbol> readSymbols(tesseract::TessBaseAPI& api, const LineImage& line)
{
    std::vector<Symbol> symbols;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return symbols;
    const auto level = tesseract::RIL_SYMBOL;
    do {
        const std::unique_ptr<char[]> utf8(it->GetUTF8Text(level));
        if (!utf8)
            continue;
        int l = 0, t = 0, r = 0, b = 0;
        if (!it->BoundingBox(level, &l, &t, &r, &b))
            continue;
        Symbol s;
        s.text = QString::fromUtf8(utf8.get()).trimmed();
        if (s.text.isEmpty())
            continue;
        s.startsWord = it->IsAtBeginningOf(tesseract::RIL_WORD);
        s.confidence = it->Confidence(level);
        s.box = QRectF(line.origin.x() + l / line.scale, line.origin.y() + t / line.scale, (r - l) / line.scale,
            (b - t) / line.scale);
        symbols.push_back(std::move(s));
    } while (it->Next(level));
    return symbols;
}

namespace {

// From the start of the word before the blank at `at` to the end of the word after it.
std::pair<qsizetype, qsizetype> wordsAround(const QString& text, qsizetype at)
{
    qsizetype from = at, to = at + 1;
    while (from > 0 && !text.at(from - 1).isSpace())
        --from;
    while (to < text.size() && !text.at(to).isSpace())
        ++to;
    return { from, to };
}

// Beside a thin glyph ('1', 'l', 'I') or an @ a blank on a narrow margin is often the glyph's own
// wide side bearing: where dropping it makes an address, a dotted number or a phone number across
// it ("10.206.1 17.122", "tbel l@globex.com", "elena.brandt@ mailbox.net"), it goes.
} // namespace

bool blankSplitsAddressOrNumber(const QString& text, qsizetype at)
{
    if (at <= 0 || at + 1 >= text.size())
        return false;
    const auto thin = [](QChar c) { return c == u'1' || c == u'l' || c == u'I' || c == u'@'; };
    if (!thin(text.at(at - 1)) && !thin(text.at(at + 1)))
        return false;
    auto [from, to] = wordsAround(text, at);
    // An amount's currency sign may stand a blank before it ("$ 3,1 06.30").
    if (from >= 2 && text.at(from - 1) == u' ' && QStringView(u"$\u00A3\u20AC").contains(text.at(from - 2)))
        from -= 2;
    const QString joined = text.mid(from, at - from) + text.mid(at + 1, to - at - 1);
    const qsizetype blank = at - from;
    static const QRegularExpression across[] = {
        QRegularExpression(QStringLiteral(R"((?<![\d.])\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3}(?!\d|\.\d))")),
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9._%+\-]+@[A-Za-z0-9.\-]+\.[A-Za-z]{2,})")),
        QRegularExpression(QStringLiteral(u"[$\u00A3\u20AC]\\s?\\d[\\d,]*(?:\\.\\d{1,2})?(?![\\d.])")),
    };
    for (const QRegularExpression& e : across) {
        auto it = e.globalMatch(joined);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            // Both sides of the blank belong to the match.
            if (m.capturedStart() < blank && m.capturedEnd() > blank)
                return true;
        }
    }
    // A phone number alone in its cell, in groups of three and four, that is none with the blank.
    static const QRegularExpression phone(QStringLiteral(R"(^\+?[\d\-. ()]{10,16}$)"));
    static const QRegularExpression groups(QStringLiteral(R"(\d{3}[\-.]\d{4}$)"));
    static const QRegularExpression phoneAlready(sensitivePattern(RedactionKind::phone));
    const QString whole = text.left(at) + text.mid(at + 1);
    return phone.match(whole).hasMatch() && groups.match(whole).hasMatch() && !phoneAlready.match(text).hasMatch();
}

namespace {

// Long keys and hashes carry no blanks: a blank placed on a narrow margin between two long runs
// of letters and digits, or beside the separator after the prefix of a key ("sk- ", "sk-proj -"),
// splits one token and goes.
void joinSplitTokens(RecognizedLine& line, const std::vector<qsizetype>& doubtfulBlanks)
{
    const auto tokenChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'-'; };
    for (auto it = doubtfulBlanks.rbegin(); it != doubtfulBlanks.rend(); ++it) {
        const qsizetype at = *it;
        if (at <= 0 || at + 1 >= line.text.size() || line.text.at(at) != u' ')
            continue;
        qsizetype left = 0, right = 0;
        while (at - left - 1 >= 0 && tokenChar(line.text.at(at - left - 1)))
            ++left;
        while (at + right + 1 < line.text.size() && tokenChar(line.text.at(at + right + 1)))
            ++right;
        // Words of prose are letters of one case; keys mix in digits or both cases.
        const auto keyLike = [&](qsizetype from, qsizetype n) {
            bool digit = false, upper = false, lower = false;
            for (qsizetype k = from; k < from + n; ++k) {
                const QChar c = line.text.at(k);
                digit = digit || c.isDigit();
                upper = upper || c.isUpper();
                lower = lower || c.isLower();
            }
            return digit || (upper && lower);
        };
        const QChar before = line.text.at(at - 1), after = line.text.at(at + 1);
        // The blank may fall on either side of the prefix's separator ("sk-proj -q3AA...").
        const bool separator = before == u'-' || before == u'_' || after == u'-' || after == u'_';
        const bool keyPrefix = separator && left >= 2 && right >= 8 && keyLike(at + 1, right);
        const bool splitKey = left >= 6 && right >= 6 && left + right >= 20 && keyLike(at - left, left) && keyLike(at + 1, right);
        if (!keyPrefix && !splitKey && !blankSplitsAddressOrNumber(line.text, at))
            continue;
        line.text.remove(at, 1);
        line.charBoxes.removeAt(at);
    }
}

// A blank over a faint low rule is an underscore the engine left out where putting it back makes
// the address around it whole ("marcus laurent@umbrella.dev"): half an address would stay
// readable beside the bar over the other half. Blanks beside an underscore that splits an
// address go.
void restoreUnderscores(RecognizedLine& line, const std::vector<std::pair<qsizetype, QRectF>>& blanks, QSizeF page)
{
    static const QRegularExpression address(QStringLiteral(R"([A-Za-z0-9._%+\-]+@[A-Za-z0-9.\-]+\.[A-Za-z]{2,})"));
    for (const auto& [at, box] : blanks) {
        if (at <= 0 || at + 1 >= line.text.size() || line.text.at(at) != u' ')
            continue;
        const auto [from, to] = wordsAround(line.text, at);
        const QString joined = line.text.mid(from, at - from) + u'_' + line.text.mid(at + 1, to - at - 1);
        const QRegularExpressionMatch m = address.match(joined);
        if (!m.hasMatch() || m.capturedStart() > at - from || m.capturedEnd() <= at - from)
            continue;
        line.text[at] = u'_';
        line.charBoxes[at] = QRectF(box.x() / page.width(), box.y() / page.height(), box.width() / page.width(), box.height() / page.height());
    }
    // Blanks over low rules inside what is then one token of a key's length ("pscale tkn7GQQ0erd..."):
    // a face whose underscores the engine leaves out leaves them out of keys as well.
    const auto tokenChar = [](QChar c) { return (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'_' || c == u'-'; };
    std::vector<std::pair<qsizetype, QRectF>> ruled;
    for (const auto& blank : blanks)
        if (blank.first > 0 && blank.first + 1 < line.text.size() && line.text.at(blank.first) == u' ')
            ruled.push_back(blank);
    std::sort(ruled.begin(), ruled.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto tokenBetween = [&](qsizetype a, qsizetype b) {
        return b > a + 1 && std::all_of(line.text.begin() + a + 1, line.text.begin() + b, tokenChar);
    };
    for (size_t i = 0; i < ruled.size();) {
        size_t j = i;
        while (j + 1 < ruled.size() && tokenBetween(ruled[j].first, ruled[j + 1].first))
            ++j;
        qsizetype from = ruled[i].first, to = ruled[j].first + 1;
        while (from > 0 && tokenChar(line.text.at(from - 1)))
            --from;
        while (to < line.text.size() && tokenChar(line.text.at(to)))
            ++to;
        if (from < ruled[i].first && to > ruled[j].first + 1 && to - from >= 32) {
            for (size_t k = i; k <= j; ++k) {
                const auto& [at, box] = ruled[k];
                line.text[at] = u'_';
                line.charBoxes[at] = QRectF(box.x() / page.width(), box.y() / page.height(), box.width() / page.width(), box.height() / page.height());
            }
        }
        i = j + 1;
    }
    // An underscore read with blanks around it ("isla _ silva@mailbox.net") joins its address.
    for (qsizetype at = line.text.size() - 2; at > 0; --at) {
        if (line.text.at(at) != u' ' || (line.text.at(at - 1) != u'_' && line.text.at(at + 1) != u'_'))
            continue;
        const auto [from, to] = wordsAround(line.text, at);
        const QString joined = line.text.mid(from, at - from) + line.text.mid(at + 1, to - at - 1);
        const QRegularExpressionMatch m = address.match(joined);
        if (!m.hasMatch() || m.capturedStart() >= at - from || m.capturedEnd() <= at - from)
            continue;
        line.text.remove(at, 1);
        line.charBoxes.removeAt(at);
    }
}

// A dotted address glued to the word before it ("Wifi192.168.1.20"): between two thin glyphs a
// blank needs a wide gap, and a word with digits after it is seldom one token with them when the
// digits make an address. Where a gap nearly wide enough for a blank parts them, the blank goes in.
void partGluedAddresses(RecognizedLine& line, const std::vector<qsizetype>& nearBlanks)
{
    static const QRegularExpression address(QStringLiteral(R"(^\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3}(?![\d.]))"));
    for (auto it = nearBlanks.rbegin(); it != nearBlanks.rend(); ++it) {
        const qsizetype at = *it;
        if (at <= 0 || at >= line.text.size() || !line.text.at(at - 1).isLetter()
            || !address.match(QStringView(line.text).mid(at)).hasMatch())
            continue;
        line.text.insert(at, QLatin1Char(' '));
        line.charBoxes.insert(at, QRectF());
    }
}

// An address's @ that the engine read as one or two letters ("felix.silvafiexample.com",
// "kenji.sharmagfabrikam.dev"): where a token that reads as an address but for its @ holds
// exactly one glyph shaped like an @, that glyph becomes one. An @ stands out of the line's
// lower-case letters as no letter does: it rises well above their x-height and sinks below their
// baseline, as wide as they are or wider and darker. Faces whose @ sits on the baseline keep it
// as read.
void restoreAddressSigns(RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page)
{
    static const QRegularExpression token(QStringLiteral(u"(?<![^\\s\"'<>=,;:(\\[{\u201C\u2018])[A-Za-z0-9._%+\\-]{4,}\\.[A-Za-z]{2,}(?![A-Za-z0-9@])"));
    static const QRegularExpression address(QStringLiteral(R"(^[A-Za-z0-9._%+\-]*[A-Za-z0-9]@[A-Za-z0-9][A-Za-z0-9.\-]*\.[A-Za-z]{2,}$)"));
    if (line.text.contains(u'@') || line.charBoxes.size() != line.text.size() || !token.match(line.text).hasMatch())
        return;
    const auto extentOf = [&](qsizetype from, qsizetype to, int high = -1, int low = std::numeric_limits<int>::max()) {
        QRectF box;
        for (qsizetype k = from; k < to; ++k)
            box = box.isNull() ? line.charBoxes.at(k) : box.united(line.charBoxes.at(k));
        return inkExtent(image, darkest, box.left() * page.width(), box.right() * page.width(), high, low);
    };
    std::vector<double> tops, bottoms, widths, masses;
    for (qsizetype k = 0; k < line.text.size(); ++k) {
        if (!QStringView(u"acemnorsuvwxz").contains(line.text.at(k)) || line.charBoxes.at(k).isEmpty())
            continue;
        const InkExtent e = extentOf(k, k + 1);
        if (e.top < 0)
            continue;
        tops.push_back(e.top);
        bottoms.push_back(e.bottom);
        widths.push_back(e.width);
        masses.push_back(e.mass);
    }
    if (tops.size() < 3)
        return;
    const double xTop = median(tops, 0), base = median(bottoms, 0), xWidth = median(widths, 1), xMass = median(masses, 1);
    const double xHeight = base - xTop + 1;
    if (xHeight < 4)
        return;
    // Its arcs over the x-height and under the baseline span much of it; the dot of an i or a j, or
    // the stems of "lp", do not.
    const auto shapedLikeAt = [&](qsizetype from, qsizetype to) {
        const InkExtent e = extentOf(from, to, int(xTop - 0.1 * xHeight), int(base + 0.05 * xHeight));
        return e.top >= 0 && xTop - e.top >= 0.2 * xHeight && e.bottom - base >= 0.1 * xHeight && e.width >= 0.95 * xWidth
            && e.width <= 1.8 * xWidth && e.mass >= 1.25 * xMass && e.mass <= 3 * xMass && e.above >= 0.4 * e.width
            && e.below >= 0.3 * e.width;
    };
    // Faces whose @ is a ring around a small a read it as an a, a d or a g, and each draws it wider
    // than the small letters: a dyslexia-friendly face's rises no higher than they do and sinks a
    // little below their baseline (a g's or a q's tail sinks twice as far); an OCR face's stands on
    // the baseline and rises well over them, where no a does, short of a d's stem, and holds far
    // more ink than they do, more than a d.
    const auto ringedAt = [&](qsizetype k) {
        const QChar c = line.text.at(k);
        if (!QStringView(u"adg").contains(c))
            return false;
        const InkExtent e = extentOf(k, k + 1);
        if (e.top < 0 || e.width < 1.05 * xWidth)
            return false;
        const double rise = (xTop - e.top) / xHeight, sink = (e.bottom - base) / xHeight;
        const bool low = rise <= 0.05 && sink >= 0.12 && sink <= 0.4 && e.width >= 1.1 * xWidth;
        const bool onBaseline = std::abs(sink) <= 0.1 && e.mass >= 1.4 * xMass && (c == u'a' ? rise >= 0.2 : rise >= 0.1);
        return low || onBaseline;
    };
    // Two symbols are one glyph read as two only where their ink runs on between them: two
    // letters ("lp", "dg") have a gap.
    const auto oneGlyph = [&](qsizetype k) {
        const QRectF a = line.charBoxes.at(k), b = line.charBoxes.at(k + 1);
        return blankBetween(darkest, image, a.center().x() * page.width(), b.center().x() * page.width(),
                   a.left() * page.width(), b.right() * page.width())
            <= 0;
    };
    auto it = token.globalMatch(line.text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype start = m.capturedStart(), lastDot = line.text.lastIndexOf(u'.', m.capturedEnd() - 1);
        // Where the @ may stand: a letter or two after the user's first character and before the
        // domain's last part.
        // A glyph that rises and sinks as an @ does is surer than a ring: where there is one, a
        // ring elsewhere in the token is a letter.
        qsizetype at = -1, length = 0, ringAt = -1;
        int found = 0, rings = 0;
        for (qsizetype k = start + 1; k + 1 < lastDot && found < 2; ++k) {
            if (!line.text.at(k).isLetter() || line.charBoxes.at(k).isEmpty())
                continue;
            const bool pair = line.text.at(k + 1).isLetter() && !line.charBoxes.at(k + 1).isEmpty() && oneGlyph(k) && shapedLikeAt(k, k + 2);
            if (pair || shapedLikeAt(k, k + 1)) {
                ++found;
                at = k;
                length = pair && !shapedLikeAt(k, k + 1) ? 2 : 1;
                k += length; // the next glyph is another
            } else if (ringedAt(k)) {
                ++rings;
                ringAt = k;
            }
        }
        const bool ringed = found == 0 && rings == 1;
        if (ringed) {
            at = ringAt;
            length = 1;
        } else if (found != 1) {
            continue;
        }
        QString mended = m.captured();
        mended.replace(at - start, length, u'@');
        // A ring low in the line is a letter of some faces too ("gatew@y-3265.csv"): it makes an
        // address only before a common domain's ending, never a file's extension.
        static const QRegularExpression common(QStringLiteral(R"(\.(?:%1)$)").arg(commonDomainEndings()));
        if (!address.match(mended).hasMatch() || (ringed && !common.match(mended).hasMatch()))
            continue;
        line.text[at] = u'@';
        if (length == 2) {
            line.charBoxes[at] = line.charBoxes.at(at).united(line.charBoxes.at(at + 1));
            line.charBoxes.removeAt(at + 1);
            line.text.remove(at + 1, 1);
        }
        return; // one address per reading: the text has moved on
    }
}

} // namespace

QList<RecognizedLine> assembleLines(const std::vector<Symbol>& symbols, const LineImage& image,
    const TextLineBox& lineBox, QSizeF page)
{
    QList<RecognizedLine> out;
    if (symbols.empty())
        return out;
    std::vector<double> pitches;
    for (size_t i = 1; i < symbols.size(); ++i)
        if (!symbols[i].startsWord)
            pitches.push_back(symbols[i].box.center().x() - symbols[i - 1].box.center().x());
    const double h = std::max(1.0, double(lineBox.height));
    const double pitch = std::max(1.0, median(pitches, 0.55 * h));
    const CellGrid cells = fitCells(symbols, pitch, h);
    // A glyph read twice within one cell is one: the reading the engine is surer of stays.
    if (!cells.doubled.empty()) {
        std::vector<Symbol> once;
        once.reserve(symbols.size());
        bool wordStarts = false;
        for (size_t i = 0; i < symbols.size(); ++i) {
            if (std::find(cells.doubled.begin(), cells.doubled.end(), i) != cells.doubled.end()) {
                // A word the engine began with the dropped reading begins with the kept one after it.
                wordStarts = symbols[i].startsWord && i + 1 < symbols.size() && symbols[i + 1].box.left() < symbols[i].box.right();
                continue;
            }
            once.push_back(symbols[i]);
            once.back().startsWord = once.back().startsWord || wordStarts;
            wordStarts = false;
        }
        return assembleLines(once, image, lineBox, page);
    }
    const bool monospaced = cells.monospaced;
    const double grid = cells.grid;
    const std::vector<int>& cell = cells.cell;
    const std::vector<uint8_t> darkest = darkestInColumns(image.image);
    const auto blankRun = [&](size_t i) {
        return blankBetween(darkest, image, symbols[i - 1].box.center().x(), symbols[i].box.center().x(),
            symbols[i - 1].box.left(), symbols[i].box.right());
    };
    // Whether a cell between symbols i - 1 and i has no ink in its middle, between the line's usual
    // glyph top and bottom: in tight rows a line image takes in the descenders of the row above and
    // the tops of the row below.
    std::vector<double> tops, bottoms;
    for (const Symbol& s : symbols) {
        tops.push_back(s.box.top());
        bottoms.push_back(s.box.bottom());
    }
    const double bodyTop = median(tops, 0), bodyBottom = median(bottoms, 0);
    // What the middle of cell `c` holds, between symbols i - 1 and i: nothing, a dot on the baseline
    // (a narrow glyph the engine left out), or some other glyph's ink.
    enum class CellInk { none, dot, glyph };
    const auto inkInCell = [&](size_t i, int c) {
        const int threshold = inkThreshold(darkest, image, symbols[i - 1].box.left(), symbols[i].box.right());
        const QImage& grey = image.image;
        const int top = std::clamp(int((bodyTop - image.origin.y()) * image.scale), 0, grey.height());
        const int bottom = std::clamp(int(std::ceil((bodyBottom - image.origin.y()) * image.scale)), 0, grey.height());
        const double middle = cells.origin + c * grid;
        const int from = imageColumn(image, grey.width(), middle - 0.2 * grid, false);
        const int to = imageColumn(image, grey.width(), middle + 0.2 * grid, true);
        int inkTop = -1, inkBottom = -1;
        for (int y = top; y < bottom; ++y) {
            const uchar* row = grey.constScanLine(y);
            if (std::any_of(row + from, row + to, [&](uchar v) { return v < threshold; })) {
                inkTop = inkTop < 0 ? y : inkTop;
                inkBottom = y;
            }
        }
        if (inkTop < 0)
            return CellInk::none;
        const int body = bottom - top;
        return inkTop >= top + 0.6 * body && inkBottom - inkTop < 0.35 * body ? CellInk::dot : CellInk::glyph;
    };
    const auto emptyCellBetween = [&](size_t i) {
        for (int c = cell[i - 1] + 1; c < cell[i]; ++c)
            if (inkInCell(i, c) == CellInk::none)
                return true;
        return false;
    };
    // A blank adds about half a character to the usual gap between two letters of the line.
    std::vector<double> letterGaps;
    for (size_t i = 1; i < symbols.size(); ++i)
        if (!symbols[i].startsWord)
            letterGaps.push_back(blankRun(i));
    const double letterGap = median(letterGaps, 0.1 * h);
    // Narrow glyphs have wide side bearings: beside a dot, comma or colon, or between two thin
    // glyphs (1, l, i), a blank needs a wider gap.
    const auto oneOf = [](const QString& t, QStringView set) { return t.size() == 1 && set.contains(t.at(0)); };
    const auto punctuation = [&](const QString& t) { return oneOf(t, u".,:;'`"); };
    const auto thin = [&](const QString& t) { return oneOf(t, u"1lIi|!"); };

    RecognizedLine current;
    QRectF currentBox;
    // Blanks placed on a narrow margin, by their position in the current line's text, and gaps
    // nearly wide enough for one that got none.
    std::vector<qsizetype> doubtfulBlanks, nearBlanks;
    // Blanks over a faint low rule, with the rule's box.
    std::vector<std::pair<qsizetype, QRectF>> underscoreBlanks;
    const auto flush = [&] {
        if (!current.text.isEmpty()) {
            restoreUnderscores(current, underscoreBlanks, page);
            joinSplitTokens(current, doubtfulBlanks);
            partGluedAddresses(current, nearBlanks);
            restoreAddressSigns(current, image, darkest, page);
            restoreBullets(current, image, darkest, page);
            restoreDots(current, image, darkest, page);
            restoreLostDots(current, image, darkest, page);
            mendConfusedCharacters(current);
            current.box = currentBox;
            out.append(current);
        }
        current = {};
        currentBox = {};
        doubtfulBlanks.clear();
        nearBlanks.clear();
        underscoreBlanks.clear();
    };
    const auto fraction = [&](const QRectF& r) {
        return QRectF(r.x() / page.width(), r.y() / page.height(), r.width() / page.width(), r.height() / page.height());
    };
    const auto append = [&](const QString& text, const QRectF& pageBox) {
        const QRectF box = fraction(pageBox);
        current.text += text;
        for (qsizetype k = 0; k < text.size(); ++k)
            current.charBoxes.append(box);
        currentBox = currentBox.isNull() ? box : currentBox.united(box);
    };
    // A symbol's box reaches as far as its ink does, up to the boxes of its neighbours and at most
    // a character further: the engine's boxes often stop short of the glyph (most at the ends of
    // tokens), and what they leave out stays readable beside a redaction. A symbol the engine gave
    // next to no box (a sliver at a neighbour's edge, narrower than any glyph but a thin one or a
    // mark) takes what lies between its neighbours within a character of where it was put, the
    // line's height tall.
    const auto reach = [&](size_t i) {
        const Symbol& s = symbols[i];
        QRectF box = s.box;
        const double before = i > 0 ? symbols[i - 1].box.right() : box.left() - pitch;
        const double after = i + 1 < symbols.size() ? symbols[i + 1].box.left() : box.right() + pitch;
        const bool sliver = box.width() <= 1.0 / image.scale || box.height() <= 1.0 / image.scale
            || (box.width() < 0.35 * pitch && !thin(s.text) && !punctuation(s.text));
        if (sliver) {
            const QRectF line(lineBox.box);
            const double c = box.center().x();
            const double from = std::max(before, c - pitch), to = std::min(after, c + pitch);
            if (to > from)
                box = QRectF(from, std::min(box.top(), line.top()), to - from, std::max(box.bottom(), line.bottom()) - std::min(box.top(), line.top()));
        }
        const int threshold = inkThreshold(darkest, image, box.left() - pitch, box.right() + pitch);
        const double within = letterGap + 0.3 * pitch; // a wider gap is a blank
        box.setLeft(inkEdge(darkest, image, box.left(), std::max(before, box.left() - pitch), -1, within, threshold));
        box.setRight(inkEdge(darkest, image, box.right(), std::min(after, box.right() + pitch), 1, within, threshold));
        return box;
    };
    for (size_t i = 0; i < symbols.size(); ++i) {
        const Symbol& s = symbols[i];
        if (i > 0) {
            const double gap = blankRun(i);
            const QString& before = symbols[i - 1].text;
            const bool punctuationBeside = punctuation(before) || punctuation(s.text);
            const bool narrow = punctuationBeside || thin(before) || thin(s.text);
            const double extra = punctuationBeside ? 0.25 * pitch : thin(before) && thin(s.text) ? 0.1 * pitch : 0;
            // Tabular digits make a proportional line look monospaced ("Card 4111 1111"): there a
            // blank is narrower than a cell, but still a clear gap between two wide glyphs.
            // Where narrow glyphs prove the pitch, a blank is a whole empty cell and nothing less; a
            // skipped cell with ink in its middle holds a glyph the engine left out.
            const bool blank = monospaced
                ? (cell[i] - cell[i - 1] >= 2 && (!cells.proven || emptyCellBetween(i)))
                    || (!cells.proven && s.startsWord && !punctuationBeside && gap >= (narrow ? 0.6 : 0.5) * grid)
                : s.startsWord            ? gap >= letterGap + 0.3 * pitch + extra
                                          : gap > letterGap + 0.4 * pitch + extra;
            // A cell the engine skipped over a low rule held an underscore ("elena_silva").
            if (monospaced && cell[i] - cell[i - 1] == 2) {
                const double from = symbols[i - 1].box.center().x() + 0.6 * grid, to = symbols[i].box.center().x() - 0.6 * grid;
                if (underscoreBetween(image, QRectF(lineBox.box), from, to,
                        inkThreshold(darkest, image, symbols[i - 1].box.left(), symbols[i].box.right()))) {
                    append(QStringLiteral("_"), QRectF(from, symbols[i - 1].box.top(), to - from, symbols[i - 1].box.height()));
                    append(s.text, reach(i));
                    continue;
                }
            }
            // A cell the engine skipped with a dot in it held a dot ("130.85 23.84").
            if (cells.proven && cell[i] - cell[i - 1] == 2 && inkInCell(i, cell[i - 1] + 1) == CellInk::dot) {
                const double middle = cells.origin + (cell[i - 1] + 1) * grid;
                append(QStringLiteral("."), QRectF(middle - 0.5 * grid, bodyTop, grid, bodyBottom - bodyTop));
                append(s.text, reach(i));
                continue;
            }
            // Text on two fills (neighbouring badges or table cells) is two cells, whatever the gap.
            const bool otherFill = std::any_of(image.fillEdges.begin(), image.fillEdges.end(), [&](double x) {
                return x > symbols[i - 1].box.right() && x < s.box.left();
            });
            if (gap > std::max(1.6 * h, 2.0 * pitch) || (blank && otherFill)) {
                flush();
            } else if (blank) {
                // In neighbouring cells no blank fits: the gap is the side bearings of narrow glyphs
                // ("mai l.acme.co.nz").
                const double margin = monospaced ? (cell[i] - cell[i - 1] >= 3 ? pitch : cell[i] - cell[i - 1] <= 1 ? 0 : gap - 0.5 * grid)
                                                 : gap - (letterGap + 0.3 * pitch + extra);
                if (margin < 0.35 * pitch)
                    doubtfulBlanks.push_back(current.text.size());
                if (faintUnderscoreIn(image, QRectF(lineBox.box), darkest, symbols[i - 1].box.center().x(), s.box.center().x(),
                        symbols[i - 1].box, s.box, inkThreshold(darkest, image, symbols[i - 1].box.left(), s.box.right())))
                    underscoreBlanks.push_back({ current.text.size(),
                        QRectF(symbols[i - 1].box.right(), symbols[i - 1].box.top(), std::max(1.0, s.box.left() - symbols[i - 1].box.right()),
                            symbols[i - 1].box.height()) });
                current.text += QLatin1Char(' ');
                current.charBoxes.append(QRectF());
            } else if (!monospaced && gap >= letterGap + 0.15 * pitch) {
                nearBlanks.push_back(current.text.size());
            }
        }
        append(s.text, reach(i));
    }
    flush();
    return out;
}

