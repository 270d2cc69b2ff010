#include "vision/EdgeCutTokens.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// The distance from one glyph's centre to the next inside words: a character's advance.
double medianPitch(const RecognizedLine& line)
{
    std::vector<double> pitches;
    for (qsizetype i = 1; i < line.text.size(); ++i) {
        const QRectF &a = line.charBoxes.at(i - 1), &b = line.charBoxes.at(i);
        if (!a.isEmpty() && !b.isEmpty() && b.center().x() > a.center().x())
            pitches.push_back(b.center().x() - a.center().x());
    }
    if (pitches.empty())
        return 0;
    std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
    return pitches[pitches.size() / 2];
}

// A key's body rather than a word: letters with digits, or capitals and small letters mixed at
// random, or letters of one case as random letters fall, or a key's own prefix. Dates and times
// ("2026-07-20T17", "2024-O1-26T17") hold two letters at most; camel-cased names
// ("getElementById") put one capital before each run of small letters, where a random body has
// capitals side by side and single small letters between them. Random letters hold a vowel in
// five and stack consonants; words hold about two vowels in five and seldom stack five consonants
// ("strengths"), or four where vowels are as scarce.
bool keyBody(QStringView body)
{
    if (body.startsWith(u"sk-") || body.startsWith(u"AKIA"))
        return true;
    int upper = 0, lower = 0, digits = 0, irregular = 0, vowels = 0, consonants = 0, longestConsonants = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        upper += c.isUpper() ? 1 : 0;
        lower += c.isLower() ? 1 : 0;
        digits += c.isDigit() ? 1 : 0;
        if (i > 0 && c.isUpper() && body.at(i - 1).isUpper())
            ++irregular;
        if (i > 1 && c.isUpper() && body.at(i - 1).isLower() && body.at(i - 2).isUpper())
            ++irregular;
        const bool vowel = QStringView(u"aeiouAEIOU").contains(c);
        vowels += vowel ? 1 : 0;
        consonants = c.isLetter() && !vowel ? consonants + 1 : 0;
        longestConsonants = std::max(longestConsonants, consonants);
    }
    const int letters = upper + lower;
    const bool oneCase = letters >= 8 && (upper == 0 || lower == 0);
    return (letters >= 3 && digits >= 1) || (upper >= 3 && lower >= 3 && irregular >= 3)
        || (oneCase && (longestConsonants >= 5 || vowels * 4 < letters || (vowels * 10 <= letters * 3 && longestConsonants >= 4)));
}

int digitCount(QStringView text)
{
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }));
}

// What a run of digits and separators that the edge cuts at its start (left edge) or end shows
// of: a card (eight digits or more in groups of three or more, blanks or hyphens between), a
// phone number (six digits or more, its whole groups of three and four as in 650-555-0158, after a
// country code, however misread), or an IP address (two groups or more of up to three
// digits, dots between, none past 255). Only the group the edge cuts may be shorter. Dates
// ("2024-04-25") and versions fit none of them.
std::optional<RedactionKind> numberKind(QStringView run, bool cutAtStart)
{
    QList<QStringView> groups;
    QString separators;
    for (qsizetype i = 0; i < run.size();) {
        if (!run.at(i).isDigit()) {
            if (!groups.isEmpty())
                separators += run.at(i);
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < run.size() && run.at(j).isDigit())
            ++j;
        groups.append(run.mid(i, j - i));
        i = j;
    }
    const int digits = digitCount(run);
    const qsizetype n = groups.size();
    const auto cut = [&](qsizetype g) { return cutAtStart ? g == 0 : g == n - 1; };
    const auto onlyOf = [&](QStringView allowed) {
        return std::all_of(separators.begin(), separators.end(), [&](QChar c) { return allowed.contains(c); });
    };
    // An address's groups, and a blank the engine may put after a wide dot.
    if (n >= 2 && n <= 4 && separators.contains(u'.') && onlyOf(u". ")
        && std::all_of(groups.begin(), groups.end(), [](QStringView g) { return g.size() <= 3 && g.toInt() <= 255; }))
        return RedactionKind::ip;
    // The whole groups follow the national number's 3, 3, 4 from its end (left edge), or from its
    // start after a country code, if any (right edge).
    const auto national = [&](qsizetype first) {
        static const int sizes[] = { 3, 3, 4 };
        const qsizetype whole = n - first - 1;
        if (whole < 1 || whole > 3)
            return false;
        for (qsizetype g = first; g < n; ++g) {
            const qsizetype k = cutAtStart ? 3 - (n - g) : g - first;
            if (!cut(g) && (k < 0 || groups.at(g).size() != sizes[k]))
                return false;
        }
        return true;
    };
    if (digits >= 6 && n >= 2 && onlyOf(u" -.()")
        && (national(0) || (!cutAtStart && n >= 3 && groups.at(0).size() <= 3 && national(1))))
        return RedactionKind::phone;
    if (digits >= 8 && onlyOf(u" -")) {
        for (qsizetype g = 0; g < n; ++g)
            if (!cut(g) && groups.at(g).size() < 3)
                return std::nullopt;
        return RedactionKind::card;
    }
    return std::nullopt;
}

struct Span {
    RedactionKind kind;
    qsizetype start, end;
};

// The tail of an item that begins at `at` (left edge), or the head of one that ends before `at`
// (right edge), of the first kind that has one there.
std::optional<Span> headOrTail(const QString& t, qsizetype at, bool left)
{
    // Of an address, the left edge leaves its host with the @ (and a blank the engine may put after
    // it, and whatever it read of the name's rest before it), the right edge its name with the @
    // (and no host that starts with a digit: "…PxTT@50Qv5" is a key whose zero was read as an @),
    // unless it is a prompt's (see below). Numbers run over digits, blanks, hyphens, dots and
    // brackets, and stop at a letter (a date's T); a head keeps its country code ("+] 650-555"),
    // and an amount's tail ("$1,234.5") is none. A key's body may hold one misread character:
    // such an @, a nine read as a per cent sign, a seven or an l read as a slash or a bar.
    static const QRegularExpression leftPatterns[] = {
        QRegularExpression(QStringLiteral(R"([^\s@]*@ ?[A-Za-z0-9\-]+\.[A-Za-z0-9.\-]*[A-Za-z0-9](?![A-Za-z0-9_%+\-@]))")),
        QRegularExpression(QStringLiteral(R"([(+]?\d(?:[ \-.()]{0,2}\d)+(?![A-Za-z0-9]))")),
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9_\-@%]+(?:[/|][A-Za-z0-9_\-@%]+)?(?![A-Za-z0-9_\-@%]))")),
    };
    static const QRegularExpression rightPatterns[] = {
        QRegularExpression(QStringLiteral(R"((?<![A-Za-z0-9._%+\-@])[A-Za-z0-9._%+\-]*[A-Za-z0-9]@(?:[A-Za-z][A-Za-z0-9.\-]*)?$)")),
        QRegularExpression(QStringLiteral(R"((?<![A-Za-z0-9.,$\x{00A3}\x{20AC}])(?:\+\S{0,2} ?)?[(+]?\d(?:[ \-.()]{0,2}\d)+$)")),
        QRegularExpression(QStringLiteral(R"((?<![A-Za-z0-9_\-@%])[A-Za-z0-9_\-@%]+(?:[/|][A-Za-z0-9_\-@%]+)?$)")),
    };
    // A shell's prompt ("dev@pod-7f9c2:~$"): a name and a host without a dot, then a colon and a
    // path. An address's host has its dot ("git@github.com:org/repo" is one).
    const auto prompt = [&](qsizetype start, qsizetype end) {
        const qsizetype sign = t.indexOf(u'@', start);
        return sign >= 0 && sign < end && !QStringView(t).mid(sign + 1, end - sign - 1).contains(u'.') && end + 1 < t.size()
            && t.at(end) == u':' && (t.at(end + 1) == u'~' || t.at(end + 1) == u'/');
    };
    for (int k = 0; k < 3; ++k) {
        QRegularExpressionMatch m;
        if (left) {
            m = leftPatterns[k].match(t, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        } else {
            m = rightPatterns[k].match(QStringView(t).left(at));
        }
        if (!m.hasMatch() || prompt(m.capturedStart(), m.capturedEnd()))
            continue;
        const QStringView token = m.capturedView();
        const Span span { RedactionKind::email, m.capturedStart(), m.capturedEnd() };
        if (k == 0)
            return span;
        if (k == 1) {
            if (const std::optional<RedactionKind> kind = numberKind(token, left))
                return Span { *kind, span.start, span.end };
            continue;
        }
        const auto plain = [](QChar c) { return (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'_' || c == u'-'; };
        const qsizetype misread = std::count_if(token.begin(), token.end(), [&](QChar c) { return !plain(c); });
        if (token.size() - misread >= 8 && misread <= 1 && keyBody(token))
            return Span { RedactionKind::apiKey, span.start, span.end };
    }
    return std::nullopt;
}

// The line's outermost glyph on that side when it stands within a character's advance of the
// image's edge; -1 otherwise. The glyph the edge cuts in two is read as a stray mark, or dropped
// when little of it shows: then the first whole glyph stands less than an advance from the edge.
// Text that merely starts near the edge (a log's margin) stands further off.
qsizetype glyphNearEdge(const RecognizedLine& line, bool left)
{
    const QString& t = line.text;
    if (line.charBoxes.size() != t.size())
        return -1;
    const double tolerance = 0.85 * medianPitch(line);
    if (tolerance <= 0)
        return -1;
    const auto inked = [&](qsizetype i) { return !t.at(i).isSpace() && !line.charBoxes.at(i).isEmpty(); };
    qsizetype outer = left ? 0 : t.size() - 1;
    while (outer >= 0 && outer < t.size() && !inked(outer))
        outer += left ? 1 : -1;
    if (outer < 0 || outer >= t.size())
        return -1;
    const QRectF& box = line.charBoxes.at(outer);
    return (left ? box.left() > tolerance : box.right() < 1 - tolerance) ? -1 : outer;
}

} // namespace

TextCutByEdges textCutByEdges(const QList<RecognizedLine>& lines)
{
    TextCutByEdges cut;
    for (const RecognizedLine& line : lines) {
        cut.left = cut.left || (line.inkAtLeftEdge && glyphNearEdge(line, true) >= 0);
        cut.right = cut.right || (line.inkAtRightEdge && glyphNearEdge(line, false) >= 0);
    }
    return cut;
}

QList<EdgeCutToken> findEdgeCutTokens(const RecognizedLine& line, TextCutByEdges image)
{
    QList<EdgeCutToken> found;
    const QString& t = line.text;
    for (const bool left : { true, false }) {
        // Whole glyphs a border's width in are cut by nothing, however near the edge they stand;
        // but where the edge cuts through text, it may fall between two glyphs of an item too,
        // and so it plainly did where a token runs into it with a dot or a hyphen ("192.168.1.").
        const qsizetype outer = glyphNearEdge(line, left);
        if (outer < 0)
            continue;
        const qsizetype next = left ? outer + 1 : outer - 1;
        const bool runsOn = next >= 0 && next < t.size() && QStringView(u".-").contains(t.at(outer)) && t.at(next).isLetterOrNumber();
        if (!(left ? line.inkAtLeftEdge || image.left : line.inkAtRightEdge || image.right) && !runsOn)
            continue;
        // Where the token may begin (left edge) or end (right edge): at the outermost glyph, after
        // one stray glyph glued to it, or past up to three stray marks and blanks at the edge or
        // after such a glyph (the engine reads half a glyph as "?)", "=-<" or a glyph alone).
        const qsizetype step = left ? 1 : -1;
        const auto at = [&](qsizetype k) { return outer + step * k; };
        const auto inside = [&](qsizetype i) { return i >= 0 && i < t.size(); };
        std::vector<qsizetype> starts { at(0), at(1) };
        for (const qsizetype from : { at(0), at(1) }) {
            qsizetype k = from;
            while (inside(k) && std::abs(k - from) < 3 && !t.at(k).isLetterOrNumber())
                k += step;
            if (k != from)
                starts.push_back(k);
        }
        // Or past the cut glyph read as up to three thin strokes ("11", "l|") and the blank the
        // engine put after them.
        {
            qsizetype k = at(0);
            while (inside(k) && std::abs(k - at(0)) < 3 && QStringView(u"1lIi|!'").contains(t.at(k)))
                k += step;
            if (k != at(0) && inside(k) && t.at(k).isSpace()) {
                while (inside(k) && t.at(k).isSpace())
                    k += step;
                starts.push_back(k);
            }
        }
        // Or past the cut glyph read as a short word ("Stihl LUbObJUBKYBZD8zz..."), where a whole
        // key's worth follows the blank: sixteen characters at least, not a commit's hexadecimal id
        // nor a pod's hyphenated name.
        qsizetype pastWord = -1;
        {
            qsizetype k = at(0);
            while (inside(k) && std::abs(k - at(0)) < 6 && t.at(k).isLetterOrNumber())
                k += step;
            if (k != at(0) && inside(k) && t.at(k) == u' ' && inside(k + step) && !t.at(k + step).isSpace()
                && std::find(starts.begin(), starts.end(), k + step) == starts.end())
                pastWord = k + step;
        }
        const auto longKey = [&](const Span& span) {
            const QStringView token = QStringView(t).mid(span.start, span.end - span.start);
            const bool hex = std::all_of(token.begin(), token.end(), [](QChar c) { return c.isDigit() || (c >= u'a' && c <= u'f'); });
            return span.kind == RedactionKind::apiKey && token.size() >= 16 && !hex && token.count(u'-') <= 1;
        };
        if (pastWord >= 0)
            starts.push_back(pastWord);
        for (const qsizetype s : starts) {
            if (!inside(s) || t.at(s).isSpace())
                continue;
            const std::optional<Span> span = headOrTail(t, left ? s : s + 1, left);
            if (!span || (left ? span->start != s : span->end != s + 1) || (s == pastWord && !longKey(*span)))
                continue;
            // The token reaches to the edge, stray glyphs and all.
            const qsizetype from = left ? outer : span->start, to = left ? span->end : outer + 1;
            found.append({ span->kind, from, to - from, left });
            break;
        }
    }
    return found;
}
