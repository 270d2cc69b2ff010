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
// random, or a key's own prefix. Dates and times ("2026-07-20T17", "2024-O1-26T17") hold two
// letters at most; camel-cased names ("getElementById") put one capital before each run of small
// letters, where a random body has capitals side by side and single small letters between them.
bool keyBody(QStringView body)
{
    if (body.startsWith(u"sk-") || body.startsWith(u"AKIA"))
        return true;
    int upper = 0, lower = 0, digits = 0, irregular = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        upper += c.isUpper() ? 1 : 0;
        lower += c.isLower() ? 1 : 0;
        digits += c.isDigit() ? 1 : 0;
        if (i > 0 && c.isUpper() && body.at(i - 1).isUpper())
            ++irregular;
        if (i > 1 && c.isUpper() && body.at(i - 1).isLower() && body.at(i - 2).isUpper())
            ++irregular;
    }
    return (upper + lower >= 3 && digits >= 1) || (upper >= 3 && lower >= 3 && irregular >= 3);
}

// A card's digits come in groups of three or more; only the group the edge cuts may be shorter.
// Dates ("2024-04-25") have shorter ones inside.
bool cardGroups(QStringView digits, bool cutAtStart)
{
    static const QRegularExpression separator(QStringLiteral("[ \\-]"));
    const QList<QStringView> groups = digits.split(separator, Qt::SkipEmptyParts);
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const bool cut = cutAtStart ? g == 0 : g == groups.size() - 1;
        if (!cut && groups.at(g).size() < 3)
            return false;
    }
    return true;
}

int digitCount(QStringView text)
{
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }));
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
    // it), the right edge its name with the @ (and no host that starts with a digit: "…PxTT@50Qv5"
    // is a key whose zero was read as an @). A key's body may hold one misread character: such an
    // @, a nine read as a per cent sign, a seven or an l read as a slash or a bar.
    static const QRegularExpression leftPatterns[] = {
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9._%+\-]*@ ?[A-Za-z0-9\-]+\.[A-Za-z0-9.\-]*[A-Za-z0-9](?![A-Za-z0-9_%+\-@]))")),
        QRegularExpression(QStringLiteral(R"(\d(?:[ \-]?\d)+(?![A-Za-z0-9]))")),
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9_\-@%]+(?:[/|][A-Za-z0-9_\-@%]+)?(?![A-Za-z0-9_\-@%]))")),
    };
    static const QRegularExpression rightPatterns[] = {
        QRegularExpression(QStringLiteral(R"((?<![A-Za-z0-9._%+\-@])[A-Za-z0-9._%+\-]*[A-Za-z0-9]@(?:[A-Za-z][A-Za-z0-9.\-]*)?$)")),
        QRegularExpression(QStringLiteral(R"((?<![A-Za-z0-9])\d(?:[ \-]?\d)+$)")),
        QRegularExpression(QStringLiteral(R"((?<![A-Za-z0-9_\-@%])[A-Za-z0-9_\-@%]+(?:[/|][A-Za-z0-9_\-@%]+)?$)")),
    };
    static const RedactionKind kinds[] = { RedactionKind::email, RedactionKind::card, RedactionKind::apiKey };
    for (int k = 0; k < 3; ++k) {
        QRegularExpressionMatch m;
        if (left) {
            m = leftPatterns[k].match(t, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        } else {
            m = rightPatterns[k].match(QStringView(t).left(at));
        }
        if (!m.hasMatch())
            continue;
        const QStringView token = m.capturedView();
        const auto plain = [](QChar c) { return (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'_' || c == u'-'; };
        const qsizetype misread = std::count_if(token.begin(), token.end(), [&](QChar c) { return !plain(c); });
        if ((kinds[k] == RedactionKind::card && (digitCount(token) < 8 || !cardGroups(token, left)))
            || (kinds[k] == RedactionKind::apiKey && (token.size() - misread < 8 || misread > 1 || !keyBody(token))))
            continue;
        return Span { kinds[k], m.capturedStart(), m.capturedEnd() };
    }
    return std::nullopt;
}

} // namespace

QList<EdgeCutToken> findEdgeCutTokens(const RecognizedLine& line)
{
    QList<EdgeCutToken> found;
    const QString& t = line.text;
    if (line.charBoxes.size() != t.size())
        return found;
    // The glyph the edge cuts in two is read as a stray mark, or dropped when little of it shows:
    // then the first whole glyph stands less than a character's advance from the edge. Text that
    // merely starts near the edge (a log's margin) stands further off.
    const double tolerance = 0.85 * medianPitch(line);
    if (tolerance <= 0)
        return found;
    const auto inked = [&](qsizetype i) { return !t.at(i).isSpace() && !line.charBoxes.at(i).isEmpty(); };
    for (const bool left : { true, false }) {
        qsizetype outer = left ? 0 : t.size() - 1;
        while (outer >= 0 && outer < t.size() && !inked(outer))
            outer += left ? 1 : -1;
        if (outer < 0 || outer >= t.size())
            continue;
        const QRectF& box = line.charBoxes.at(outer);
        if (left ? box.left() > tolerance : box.right() < 1 - tolerance)
            continue;
        // Where the token may begin (left edge) or end (right edge): at the outermost glyph, after
        // one stray glyph glued to it or two stray marks, or after a stray glyph standing alone.
        const qsizetype step = left ? 1 : -1;
        const auto at = [&](qsizetype k) { return outer + step * k; };
        const auto inside = [&](qsizetype i) { return i >= 0 && i < t.size(); };
        std::vector<qsizetype> starts { at(0), at(1) };
        if (inside(at(1)) && !t.at(at(0)).isLetterOrNumber() && !t.at(at(1)).isLetterOrNumber())
            starts.push_back(at(2));
        if (inside(at(1)) && t.at(at(1)).isSpace())
            starts.push_back(at(2));
        for (const qsizetype s : starts) {
            if (!inside(s) || t.at(s).isSpace())
                continue;
            const std::optional<Span> span = headOrTail(t, left ? s : s + 1, left);
            if (!span || (left ? span->start != s : span->end != s + 1))
                continue;
            // The token reaches to the edge, stray glyphs and all.
            const qsizetype from = left ? outer : span->start, to = left ? span->end : outer + 1;
            found.append({ span->kind, from, to - from, left });
            break;
        }
    }
    return found;
}
