#include "vision/InkMarks.h"

#include "vision/LineInk.h"

#include "vision/SensitiveTextDetector.h"

#include <QRectF>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

using namespace LineInk;

namespace {

// The baseline and height of the line's glyphs among `glyphs`, in line image rows, from the
// engine's boxes (tight around each glyph: the ink in a glyph's columns may take in a table's rule
// or the row above), and how many there were.
struct Body {
    double base = 0, height = 0;
    int glyphs = 0;
    bool digits = false;
};

Body bodyOf(const RecognizedLine& line, const LineImage& image, QSizeF page, QStringView glyphs)
{
    std::vector<double> bottoms, heights;
    for (qsizetype k = 0; k < line.text.size(); ++k) {
        const QRectF box = line.charBoxes.at(k);
        if (!glyphs.contains(line.text.at(k)) || box.isEmpty())
            continue;
        bottoms.push_back((box.bottom() * page.height() - image.origin.y()) * image.scale);
        heights.push_back(box.height() * page.height() * image.scale);
    }
    return { median(bottoms, 0), median(heights, 0), int(bottoms.size()), glyphs.front() == u'0' };
}

// The box of a dot between the glyphs at `k` and `next` (the next glyph, or the one after a blank),
// in fractions of the page, or none: a small blob on the baseline, about as tall as wide, with blank
// columns on either side (a 1 without a foot, in a proportional face's digits, may touch it).
QRectF dotBetween(const RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page,
    const Body& body, qsizetype k, qsizetype next)
{
    const QString& t = line.text;
    const QImage& grey = image.image;
    const QRectF left = line.charBoxes.at(k), right = line.charBoxes.at(next);
    if (!t.at(k).isLetterOrNumber() || !t.at(next).isLetterOrNumber() || left.isEmpty() || right.isEmpty())
        return {};
    const int a = imageColumn(image, grey.width(), left.center().x() * page.width(), false);
    const int b = imageColumn(image, grey.width(), right.center().x() * page.width(), true);
    const int threshold = inkThreshold(darkest, image, left.left() * page.width(), right.right() * page.width());
    const int middle = std::clamp(int(body.base - 0.75 * body.height), 0, grey.height());
    const int low = std::clamp(int(body.base - 0.35 * body.height), 0, grey.height());
    const int bottom = std::clamp(int(body.base + 0.15 * body.height) + 1, 0, grey.height());
    const auto ink = [&](int x, int from, int to) {
        int first = -1, last = -1;
        for (int y = from; y < to; ++y)
            if (grey.constScanLine(y)[x] < threshold) {
                first = first < 0 ? y : first;
                last = y;
            }
        return std::pair { first, last };
    };
    // Each column: 0 blank, 1 ink on the baseline only, 2 ink through the glyphs' middle
    // (what stands above it, an arm or an ascender, may overhang a dot).
    std::vector<int> kind;
    for (int x = a; x < b; ++x)
        kind.push_back(ink(x, middle, low).first >= 0 ? 2 : ink(x, low, bottom).first >= 0 ? 1 : 0);
    // A dot stands apart from the glyphs beside it: the foot of a 7 or an l, or the bar of an L
    // or a 2, touches its own glyph. Only a 1 without a foot (a digit of a proportional face)
    // has the dot kerned against it.
    const bool thinLeft = body.digits && t.at(k) == u'1', thinRight = body.digits && t.at(next) == u'1';
    for (size_t r = 1; r < kind.size();) {
        if (kind[r] != 1) {
            ++r;
            continue;
        }
        size_t e = r;
        while (e < kind.size() && kind[e] == 1)
            ++e;
        if (e == kind.size())
            break;
        // It reaches the baseline, is about as tall as wide, and is no wider than a dot.
        int top = grey.height(), last = -1;
        for (size_t x = r; x < e; ++x) {
            const auto [first, end] = ink(a + int(x), low, bottom);
            top = std::min(top, first);
            last = std::max(last, end);
        }
        const int width = int(e - r), height = last - top + 1;
        const bool apart = (kind[r - 1] == 0 || thinLeft) && (kind[e] == 0 || thinRight);
        if (apart && last >= body.base - 0.1 * body.height && height >= 0.1 * body.height && height >= 0.6 * width
            && width <= 0.45 * body.height) {
            const double x0 = image.origin.x() + (a + int(r)) / image.scale, x1 = image.origin.x() + (a + int(e)) / image.scale;
            return QRectF(x0 / page.width(), left.top(), (x1 - x0) / page.width(), left.height());
        }
        r = e;
    }
    return {};
}

// Whether the mark at `k`, read as a comma, is a dot: its ink stays on the digits' baseline and is
// not much taller than wide.
bool dotShaped(const RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page,
    const Body& body, qsizetype k)
{
    const double base = body.base, height = body.height;
    if (line.charBoxes.at(k).isEmpty())
        return false;
    // The mark's ink runs down from its rows on the baseline until a blank row: below that
    // lie the tops of the next row's glyphs, in tight terminal rows.
    const QRectF box = line.charBoxes.at(k);
    const QImage& grey = image.image;
    const int a = imageColumn(image, grey.width(), box.left() * page.width(), false);
    const int b = imageColumn(image, grey.width(), box.right() * page.width(), true);
    const int threshold = inkThreshold(darkest, image, box.left() * page.width(), box.right() * page.width());
    const auto inkIn = [&](int y) {
        const uchar* row = grey.constScanLine(y);
        return std::any_of(row + a, row + b, [&](uchar v) { return v < threshold; });
    };
    int y = std::clamp(int(base - 0.4 * height), 0, grey.height() - 1);
    while (y <= int(base) && y < grey.height() && !inkIn(y))
        ++y;
    if (y > int(base) || y >= grey.height())
        return false;
    while (y + 1 < grey.height() && inkIn(y + 1))
        ++y;
    // A short tail may end near the baseline too: a comma is also taller than wide, a dot is
    // not. The mark is the ink joined to its lowest row (a digit beside it may share columns).
    const int from = std::max(0, int(base - 0.6 * height));
    // The engine's box may clip the mark: it is followed a little past it.
    const int pad = int(0.2 * height), a0 = std::max(0, a - pad), b0 = std::min(grey.width(), b + pad);
    const int w = b0 - a0, h = y - from + 1;
    if (w <= 0 || h <= 0)
        return false;
    std::vector<uint8_t> seen(size_t(w) * size_t(h), 0);
    std::vector<std::pair<int, int>> stack;
    for (int x = a; x < b; ++x)
        if (grey.constScanLine(y)[x] < threshold) {
            seen[size_t(h - 1) * size_t(w) + size_t(x - a0)] = 1;
            stack.push_back({ x, y });
        }
    int left = b0, right = a0 - 1, markTop = y;
    while (!stack.empty()) {
        const auto [x, r] = stack.back();
        stack.pop_back();
        left = std::min(left, x);
        right = std::max(right, x);
        markTop = std::min(markTop, r);
        for (const auto& [dx, dy] : { std::pair { 1, 0 }, { -1, 0 }, { 0, 1 }, { 0, -1 } }) {
            const int nx = x + dx, ny = r + dy;
            if (nx < a0 || nx >= b0 || ny < from || ny > y)
                continue;
            uint8_t& mark = seen[size_t(ny - from) * size_t(w) + size_t(nx - a0)];
            if (!mark && grey.constScanLine(ny)[nx] < threshold) {
                mark = 1;
                stack.push_back({ nx, ny });
            }
        }
    }
    return y <= base + std::max(1.0, 0.08 * height) && y - markTop + 1 <= 1.5 * (right - left + 1);
}

} // namespace

void restoreBullets(RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page)
{
    const QString& t = line.text;
    const qsizetype blank = t.indexOf(u' ');
    if (blank < 1 || blank > 2 || line.charBoxes.size() != t.size())
        return;
    qsizetype next = blank;
    while (next < t.size() && t.at(next) == u' ')
        ++next;
    if (next == t.size() || !(t.at(next).isDigit() || t.at(next) == u'+' || t.at(next) == u'('))
        return;
    QRectF token;
    for (qsizetype k = 0; k < blank; ++k) {
        if (t.at(k).isDigit() || t.at(k) == u'+' || t.at(k) == u'(' || line.charBoxes.at(k).isEmpty())
            return;
        token = token.isNull() ? line.charBoxes.at(k) : token.united(line.charBoxes.at(k));
    }
    std::vector<double> digits;
    for (qsizetype k = next; k < t.size(); ++k)
        if (t.at(k).isDigit() && !line.charBoxes.at(k).isEmpty())
            digits.push_back(line.charBoxes.at(k).height() * page.height() * image.scale);
    int height = 0;
    if (digits.size() < 7 || !solidBlob(image, darkest, token.left() * page.width(), token.right() * page.width(), &height)
        || height > 1.2 * median(digits, 0))
        return;
    line.text.replace(0, blank, QStringLiteral("\u2022"));
    line.charBoxes.remove(0, blank);
    line.charBoxes.insert(0, token);
}

void restoreDots(RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page)
{
    const QString& t = line.text;
    if (line.charBoxes.size() != t.size() || !(t.contains(u',') || t.contains(u' ')))
        return;
    const Body body = bodyOf(line, image, page, u"0123456789");
    if (body.glyphs < 4)
        return;
    // Only where every such mark made a dot turns a run of digit groups into an address or a
    // dotted phone number: a thousands separator's short tail may look like a dot too.
    static const QRegularExpression dotted(QStringLiteral(R"(^(?:\d{1,3}\.){3}\d{1,3}$|^(?:\d{1,3}\.)?\d{3}\.\d{3}\.\d{4}$)"));
    const auto mark = [&](qsizetype i) {
        return (t.at(i) == u'.' || t.at(i) == u',') && i + 1 < t.size()
            && (t.at(i + 1).isDigit() || (t.at(i + 1) == u' ' && i + 2 < t.size() && t.at(i + 2).isDigit()));
    };
    // A dot the engine took for a blank ("98 203, 203, 175") shows as a dot between the digits.
    const auto dotForBlank = [&](qsizetype i) {
        return t.at(i) == u' ' && i > 0 && i + 1 < t.size() && t.at(i - 1).isDigit() && t.at(i + 1).isDigit()
            ? dotBetween(line, image, darkest, page, body, i - 1, i + 1)
            : QRectF();
    };
    for (qsizetype k = 0; k < t.size();) {
        if (!t.at(k).isDigit()) {
            ++k;
            continue;
        }
        std::vector<std::pair<qsizetype, QRectF>> dots;
        qsizetype end = k;
        while (end < t.size()) {
            if (const QRectF dot = dotForBlank(end); !dot.isNull())
                dots.push_back({ end, dot });
            else if (!(t.at(end).isDigit() || mark(end) || (t.at(end) == u' ' && mark(end - 1))))
                break;
            ++end;
        }
        QString run = t.mid(k, end - k);
        for (const auto& dot : dots)
            run[dot.first - k] = u'.';
        for (qsizetype i = k; i < end; ++i)
            if (t.at(i) == u',' && dotShaped(line, image, darkest, page, body, i)) {
                run[i - k] = u'.';
                dots.push_back({ i, {} });
            }
        if (!dots.empty() && dotted.match(QString(run).remove(u' ')).hasMatch())
            for (const auto& [i, box] : dots) {
                line.text[i] = u'.';
                if (!box.isNull())
                    line.charBoxes[i] = box;
            }
        k = end;
    }
}

void restoreLostDots(RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page)
{
    const QString& t = line.text;
    if (line.charBoxes.size() != t.size())
        return;
    // Where a dot may have gone: between two glyphs of an address's host that no pattern takes for
    // one, or between two digits of dotted numbers with two groups run together. A number that is
    // whole already (a dotted phone number) is left alone. Each token lost one dot at most.
    static const QRegularExpression runTogether(QStringLiteral(R"(^\d{1,3}\.(?:\d{4,6}\.\d{1,3}|\d{1,3}\.\d{4,6})$)"));
    static const QRegularExpression phone(sensitivePattern(RedactionKind::phone), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression address(QStringLiteral(R"(@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,})"));
    struct Token {
        qsizetype from, to; // the glyphs between which a dot may stand
        bool digits;
    };
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < t.size();) {
        while (i < t.size() && t.at(i).isSpace())
            ++i;
        const qsizetype start = i;
        while (i < t.size() && !t.at(i).isSpace())
            ++i;
        const QString token = t.mid(start, i - start);
        const qsizetype at = token.indexOf(u'@');
        // The dotted numbers without the marks around them.
        qsizetype a = 0, b = token.size();
        while (a < b && !token.at(a).isDigit())
            ++a;
        while (b > a && !token.at(b - 1).isDigit())
            --b;
        const QString number = token.mid(a, b - a);
        if (runTogether.match(number).hasMatch() && !phone.match(number).hasMatch()) {
            tokens.push_back({ start + a, start + b, true });
        } else if (at > 0 && !address.match(token).hasMatch()) {
            qsizetype end = start + at + 1;
            while (end < i && t.at(end).isLetterOrNumber())
                ++end;
            // A host followed by a colon is a prompt's ("tobias@laptop:~/src$"), never an address's.
            if (end == i || t.at(end) != u':')
                tokens.push_back({ start + at + 1, end, false });
        }
    }
    if (tokens.empty())
        return;
    const Body digits = bodyOf(line, image, page, u"0123456789");
    const Body letters = bodyOf(line, image, page, u"acemnorsuvwxz");
    // From the line's end, so that what is put in moves no token still to look at.
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token) {
        const Body& body = token->digits ? digits : letters;
        if (body.glyphs < 3 || body.height < 6)
            continue;
        qsizetype place = -1;
        QRectF dot;
        int found = 0;
        for (qsizetype k = token->from; k + 1 < token->to; ++k)
            if (const QRectF box = dotBetween(line, image, darkest, page, body, k, k + 1); !box.isNull()) {
                ++found;
                place = k + 1;
                dot = box;
            }
        if (found == 1) {
            line.text.insert(place, u'.');
            line.charBoxes.insert(place, dot);
        }
    }
}
