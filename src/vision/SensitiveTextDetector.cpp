#include "vision/SensitiveTextDetector.h"

#include "core/Async.h"
#include "core/Log.h"
#include "vision/EdgeCutTokens.h"
#include "vision/HarmlessMatches.h"
#include "vision/MaskedAddresses.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace {

// Compiled once per kind and shared by detections running at the same time; the lookup and the
// insert after a miss happen under the lock.
QMutex patternCacheLock;
std::map<RedactionKind, QRegularExpression>& patternCache()
{
    static std::map<RedactionKind, QRegularExpression> cache;
    return cache;
}

std::optional<QRegularExpression> compiledPattern(RedactionKind kind)
{
    QMutexLocker locker(&patternCacheLock);
    auto& cache = patternCache();
    if (auto it = cache.find(kind); it != cache.end())
        return it->second;
    // Unicode properties make \d, \b and the case folding behave like the platform's ICU engine.
    QRegularExpression expression(sensitivePattern(kind),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    if (!expression.isValid())
        return std::nullopt; // not cached: a later line tries again
    expression.optimize();
    cache.emplace(kind, expression);
    return expression;
}

QRectF boxOfRange(const RecognizedLine& line, qsizetype start, qsizetype length)
{
    QRectF box;
    const qsizetype end = std::min(start + length, line.charBoxes.size());
    for (qsizetype i = std::max<qsizetype>(start, 0); i < end; ++i) {
        const QRectF& c = line.charBoxes.at(i);
        if (c.isEmpty())
            continue;
        box = box.isNull() ? c : box.united(c);
    }
    return box.isNull() ? line.box : box;
}

// Detections wait here, not in the global pool, so that a burst of them never starves the
// application's other background work; each one already spreads over every core inside the
// recogniser.
QThreadPool* detectionPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        // A recognition still running at quit uses the recogniser and Tesseract's globals, which
        // go once the application object is gone: quitting waits for it (a second at most).
        qAddPostRoutine([] { detectionPool()->waitForDone(); });
        return p;
    }();
    return pool;
}

} // namespace

QString sensitivePattern(RedactionKind kind)
{
    switch (kind) {
    case RedactionKind::email:
        return QStringLiteral(R"([A-Z0-9._%+\-]+@[A-Z0-9.\-]+\.[A-Z]{2,})");
    case RedactionKind::phone:
        return QStringLiteral(R"(^(?:\+?\d{1,3}[-.\s]?)?\(?\d{3}\)?[-.\s]?\d{3}[-.\s]?\d{4}$)");
    case RedactionKind::card:
        return QStringLiteral(R"(\b(?:\d[ \-]*?){13,16}\b)");
    case RedactionKind::ip:
        return QStringLiteral(R"(\b\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3}\b)");
    case RedactionKind::money:
        return QStringLiteral(u"[$\u00A3\u20AC]\\s?\\d[\\d,]*(\\.\\d{1,2})?");
    case RedactionKind::apiKey:
        return QStringLiteral(R"(\b(sk-[A-Za-z0-9]{16,}|AKIA[0-9A-Z]{16}|[A-Za-z0-9_\-]{32,})\b)");
    }
    return {};
}

namespace {

// Every match of an expression in a line, as items of one kind.
QList<SensitiveMatch> matchesOf(const QRegularExpression& expression, const QString& text, RedactionKind kind)
{
    QList<SensitiveMatch> matches;
    for (auto it = expression.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        matches.append({ kind, m.capturedStart(), m.capturedLength() });
    }
    return matches;
}

} // namespace

QList<SensitiveMatch> findSensitiveMatches(const QString& line)
{
    QList<SensitiveMatch> matches;
    for (RedactionKind kind : allCases<RedactionKind>) {
        const std::optional<QRegularExpression> expression = compiledPattern(kind);
        if (!expression)
            continue;
        matches += matchesOf(*expression, line, kind);
    }
    return matches;
}

namespace {

// A mark standing alone at either end of a cell: the rim of a bubble or a badge read as a dash, a
// slash or a tilde, or a list's bullet.
bool strayMark(QChar c)
{
    return QStringView(u"-\u2013\u2014\\/|~`'\",.:;*\u2022\u00B7_=^").contains(c);
}

// A flat mark alone between blanks whose box stands taller than the line's letters and digits
// may have no ink of its own: the engine read the wide gap between two cells as a mark
// ("(351) 109-5170 = mailer", "+61 897 136 6984 _ session", "5073 8151 4529 6780 = (626) ...").
// A drawn dash or bullet after a name is boxed as tall ("Ingrid - 975-624-0091"), and a name
// with its number is one cell: only a mark after a number or an e-mail address parts the line
// ("noor@acme.io = 222-307-8510").
bool markReadInAGap(const RecognizedLine& line, qsizetype from, qsizetype i, double glyphHeight)
{
    const QString& t = line.text;
    const bool alone = i > 0 && i + 1 < t.size() && t.at(i - 1).isSpace() && t.at(i + 1).isSpace();
    if (!alone || glyphHeight <= 0 || !QStringView(u"=_-~\u2013\u2014.,:;'`\"*\u00B7\u2022\u00B0").contains(t.at(i))
        || line.charBoxes.at(i).height() <= 1.25 * glyphHeight)
        return false;
    const QStringView before = QStringView(t).mid(from, i - from);
    return std::any_of(before.begin(), before.end(), [](QChar c) { return c.isDigit() || c == u'@'; });
}

std::optional<SensitiveMatch> phoneBehindBullet(const QString& text);

// Whether the blank between the characters at `left` and `right` is a column's gap: wider than
// nearly three of a phone number's own characters (`advance`). Two blanks of a monospaced face are
// narrower, and stay inside a cell.
bool columnGap(const RecognizedLine& line, qsizetype left, qsizetype right, double advance)
{
    return advance > 0 && line.charBoxes.at(right).left() - line.charBoxes.at(left).right() > 2.7 * advance;
}

// A blank wider than nearly three of a phone number's own characters after it (behind a list's
// bullet or not) is a column's gap, as between a contact's number and a grey word beside it: the
// line finder takes words that far apart into one line, and the anchored pattern would fail on
// it.
bool gapAfterPhone(const RecognizedLine& line, qsizetype from, qsizetype i)
{
    const QString& t = line.text;
    if (!t.at(i).isSpace() || i == 0 || !t.at(i - 1).isDigit())
        return false;
    qsizetype next = i;
    while (next < t.size() && t.at(next).isSpace())
        ++next;
    qsizetype first = from;
    while (first < i && !t.at(first).isDigit() && t.at(first) != u'+' && t.at(first) != u'(')
        ++first;
    if (next == t.size() || i - first < 7 || line.charBoxes.at(first).isEmpty() || line.charBoxes.at(i - 1).isEmpty()
        || line.charBoxes.at(next).isEmpty())
        return false;
    const double advance = (line.charBoxes.at(i - 1).right() - line.charBoxes.at(first).left()) / double(i - first);
    if (!columnGap(line, i - 1, next, advance))
        return false;
    const std::optional<QRegularExpression> phone = compiledPattern(RedactionKind::phone);
    const QString before = t.mid(from, i - from).trimmed();
    return (phone && phone->match(before).hasMatch()) || phoneBehindBullet(before);
}

// The same gap before a phone number whose cell runs to the line's end or to the next such gap
// ("omar   415-555-0182   omar@acme.io"): a terminal's columns, or a name and its number in a
// contact's row, that the line finder kept as one line.
bool gapBeforePhone(const RecognizedLine& line, qsizetype from, qsizetype i)
{
    const QString& t = line.text;
    if (!t.at(i).isSpace() || i == from || t.at(i - 1).isSpace() || line.charBoxes.at(i - 1).isEmpty())
        return false;
    qsizetype first = i;
    while (first < t.size() && t.at(first).isSpace())
        ++first;
    // The cell's end: the last character before a column's gap, or the line's end.
    static const QString phoneMarks = QStringLiteral("+()-. ");
    qsizetype last = first;
    double advance = 0;
    for (qsizetype k = first; k < t.size(); ++k) {
        const QChar c = t.at(k);
        if (c.isSpace()) {
            qsizetype next = k;
            while (next < t.size() && t.at(next).isSpace())
                ++next;
            if (next == t.size())
                break;
            if (!line.charBoxes.at(next).isEmpty() && columnGap(line, last, next, advance))
                break;
            k = next - 1;
            continue;
        }
        if (!c.isDigit() && !phoneMarks.contains(c))
            return false;
        if (line.charBoxes.at(k).isEmpty())
            return false;
        last = k;
        advance = (line.charBoxes.at(last).right() - line.charBoxes.at(first).left()) / double(last - first + 1);
    }
    if (last - first < 9 || !columnGap(line, i - 1, first, advance))
        return false;
    const std::optional<QRegularExpression> phone = compiledPattern(RedactionKind::phone);
    return phone && phone->match(t.mid(first, last - first + 1)).hasMatch();
}

// Whether the token that ends before the blank at `i` (or starts after the blanks from it) is a
// whole item other than a phone number: an address, an IP address, a card or an amount. A table's
// row ("+1.857.045.0297  192.168.172.151", "ana@duff.io 264-774-2293") parts its cells by less
// than a column's gap in a proportional face; a number between such items, or between one and
// the line's end, stands in a cell of its own. A phone number beside a word is in a sentence.
bool blankBesideItem(const QString& t, qsizetype i)
{
    if (!t.at(i).isSpace() || i == 0 || t.at(i - 1).isSpace())
        return false;
    static const QRegularExpression item(QStringLiteral(
        R"(^["'(\[<]*(?:[A-Z0-9._%+\-]+@[A-Z0-9.\-]+\.[A-Z]{2,}|\d{1,3}(?:\.\d{1,3}){3}|\d{13,16}|(?:\d{4}-){3}\d{4}|[$\x{00A3}\x{20AC}]\d[\d,]*(?:\.\d{2})?)["')\]>,;.]*$)"),
        QRegularExpression::CaseInsensitiveOption);
    qsizetype from = i;
    while (from > 0 && !t.at(from - 1).isSpace())
        --from;
    qsizetype next = i;
    while (next < t.size() && t.at(next).isSpace())
        ++next;
    qsizetype to = next;
    while (to < t.size() && !t.at(to).isSpace())
        ++to;
    // Two decimals of a list glued by a misread comma are no item ("load average: 0.04, 0.35.0.96").
    const auto itemAt = [&](qsizetype a, qsizetype b) {
        qsizetype end = b;
        while (end > a && QStringView(u",;").contains(t.at(end - 1)))
            --end;
        return item.match(QStringView(t).mid(a, b - a)).hasMatch() && !decimalsInAList(t, { RedactionKind::ip, a, end - a });
    };
    return itemAt(from, i) || (next < t.size() && itemAt(next, to));
}

// A bar standing alone between blanks is a table's rule or a divider the line finder could not
// part from the text: each cell it bounds is a line of its own, so that a phone number alone in
// its cell is alone in its line; so is one behind a stray mark ("- 535.044.8975"), and one before
// a gap the engine read as a mark.
QList<RecognizedLine> cellsOf(const RecognizedLine& line)
{
    const QString& t = line.text;
    if (line.charBoxes.size() != t.size())
        return { line };
    QList<double> heights;
    for (qsizetype i = 0; i < t.size(); ++i)
        if (t.at(i).isLetterOrNumber() && !line.charBoxes.at(i).isEmpty())
            heights.append(line.charBoxes.at(i).height());
    std::sort(heights.begin(), heights.end());
    const double glyphHeight = heights.isEmpty() ? 0 : heights.at(heights.size() / 2);
    QList<RecognizedLine> cells;
    qsizetype from = 0;
    bool parted = false;
    // Only a line with a phone number's worth of digits can hold such a row.
    const bool rowOfItems = std::count_if(t.begin(), t.end(), [](QChar c) { return c.isDigit(); }) >= 10;
    const auto cut = [&](qsizetype to) {
        while (from < to && t.at(from).isSpace())
            ++from;
        while (to > from && t.at(to - 1).isSpace())
            --to;
        if (to - from > 2 && strayMark(t.at(from)) && t.at(from + 1).isSpace()) {
            parted = true;
            from += 2;
            while (from < to && t.at(from).isSpace())
                ++from;
        }
        if (to - from > 2 && strayMark(t.at(to - 1)) && t.at(to - 2).isSpace()) {
            parted = true;
            to -= 2;
            while (to > from && t.at(to - 1).isSpace())
                --to;
        }
        if (to > from)
            cells.append({ t.mid(from, to - from), boxOfRange(line, from, to - from), line.charBoxes.mid(from, to - from) });
    };
    for (qsizetype i = 0; i < t.size(); ++i) {
        const bool alone = t.at(i) == u'|' && (i == 0 || t.at(i - 1).isSpace()) && (i + 1 == t.size() || t.at(i + 1).isSpace());
        if (!alone && !markReadInAGap(line, from, i, glyphHeight) && !gapAfterPhone(line, from, i) && !gapBeforePhone(line, from, i)
            && !(rowOfItems && blankBesideItem(t, i)))
            continue;
        parted = true;
        cut(i);
        from = i + 1;
    }
    cut(t.size());
    return parted ? cells : QList<RecognizedLine> { line };
}

// A list's bullet before a phone number alone in its cell comes out as any mark ("•", "◦" and
// "‣" read as "¢", "©", "°", "»", "*", "+", "#"), one or two of them, glued or
// spaced, or as a lone "e" or "o": the anchored pattern then holds for what follows it. The box
// takes the marks in too, since they may be the number's own misread ("+] 608 210 4058").
std::optional<SensitiveMatch> phoneBehindBullet(const QString& text)
{
    static const QRegularExpression bullet(QStringLiteral(R"(^(?:[^\p{L}\p{N}\s(]{1,2}|[eo](?=[\s(+\d]))\s*)"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = bullet.match(text);
    if (!m.hasMatch() || m.capturedLength() == 0 || m.capturedEnd() >= text.size())
        return std::nullopt;
    const std::optional<QRegularExpression> phone = compiledPattern(RedactionKind::phone);
    const QString rest = text.mid(m.capturedEnd());
    if (!phone || !phone->match(rest).hasMatch())
        return std::nullopt;
    return SensitiveMatch { RedactionKind::phone, 0, text.size() };
}

// A field's amount whose currency sign the face cannot draw or the engine could not read: the
// sign's cell comes out blank or as an underscore right after the field's equals sign
// ("amount= 314.95", "amount=_421.06"), or as the thin mark a bitmap face draws for a glyph it
// lacks ("amount=:661.19", "amount=i661.19", "amount=!'310.49"), where a value is glued to its
// name. Only an amount written with cents; "x = 12.34" with blanks either side is an assignment.
QList<SensitiveMatch> amountsWithoutTheirSign(const QString& text)
{
    static const QRegularExpression amount(QStringLiteral(R"((?<=[A-Za-z_]=)(?:[ _]|[:;!i|]'?)(?:\d{1,3}(?:,\d{3})+|\d+)\.\d{2}(?![\d.,]?\d))"));
    return matchesOf(amount, text, RedactionKind::money);
}

// An access key read a character short or long, or with a mark for one of its capitals or digits
// ("AKjAVMXVLMFVZF7FJEOE", "AKIAIE6T869J6E4FYW2)", "AKIABTYISXFQITURQ?IQ", "AKIAZ¥TU6JOZNYVCWXIDC"),
// its prefix's first or last capital misread too ("SKIAB5LI5K8QK1859501", "AKI84Q70GZKHO7LUUGEG"): no other token starts
// with its prefix and runs on in capitals and digits for about sixteen characters more. The blank
// before it may be lost in a narrow face ("Your keyAKIA..."): a lower-case word glued to its prefix
// does not hide it.
QList<SensitiveMatch> misreadAccessKeys(const QString& text)
{
    static const QRegularExpression key(QStringLiteral(R"((?<![A-Z0-9])(?:AK[I1lTj|]{1,2}A|[A-Z0-9]KIA|AKI[0-9A-Z])[0-9A-Za-z?)(/|\[\]{}@~!%&*#$\x{00A5}\x{00A3}\x{20AC}\x{00A2}\x{00A7}\x{00AE}\x{00A9}]{15,19}(?![A-Za-z0-9]))"));
    QList<SensitiveMatch> keys;
    auto it = key.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString body = m.captured();
        if (std::count_if(body.begin(), body.end(), [](QChar c) { return c.isLower(); }) > 2)
            continue;
        keys.append({ RedactionKind::apiKey, m.capturedStart(), m.capturedLength() });
    }
    return keys;
}

} // namespace

// A phone number's area code in brackets, found as a line of its own before the rest of the
// number on the same row ("(886)" and "256-9958"): the line finder parted them at the blank,
// wide in a terminal's face. The two are read as one line again.
QList<RecognizedLine> areaCodesParted(const QList<RecognizedLine>& read)
{
    static const QRegularExpression areaCode(QStringLiteral(R"(^\(\d{3}\)$)"));
    static const QRegularExpression number(QStringLiteral(R"(^\d{3}[-. ]\d{4}(?![\w\-.]))"));
    QList<RecognizedLine> joined;
    for (const RecognizedLine& code : read) {
        if (!areaCode.match(code.text).hasMatch() || code.charBoxes.size() != code.text.size())
            continue;
        for (const RecognizedLine& rest : read) {
            const double gap = rest.box.left() - code.box.right();
            const bool sameRow = std::abs(rest.box.center().y() - code.box.center().y()) < code.box.height() / 2;
            // No wider than the bracketed code itself: farther off, the number is another column's.
            if (!sameRow || gap < 0 || gap > code.box.width() || rest.charBoxes.size() != rest.text.size()
                || !number.match(rest.text).hasMatch())
                continue;
            RecognizedLine line { code.text + u' ' + rest.text, code.box.united(rest.box), code.charBoxes };
            line.charBoxes.append(QRectF(code.box.right(), code.box.top(), gap, code.box.height()));
            line.charBoxes.append(rest.charBoxes);
            joined.append(line);
        }
    }
    return joined;
}

DetectionResult detectSensitiveText(const QList<RecognizedLine>& read)
{
    DetectionResult result;
    // The patterns look at each cell; what shows of items the image's edge cuts is looked for in
    // whole lines, whose outermost glyph (a stray bar among them) is the one at the edge.
    QList<std::pair<RecognizedLine, bool>> pieces;
    for (const RecognizedLine& line : read) {
        for (const RecognizedLine& cell : cellsOf(line))
            pieces.append({ cell, false });
        pieces.append({ line, true });
    }
    for (const RecognizedLine& line : areaCodesParted(read))
        pieces.append({ line, false });
    const TextCutByEdges cutByEdges = textCutByEdges(read);
    for (const auto& piece : pieces) {
        const RecognizedLine& line = piece.first;
        const bool atEdges = piece.second;
        struct Found {
            SensitiveMatch match;
            int edge = 0; // -1 left, 1 right
        };
        QList<Found> found;
        if (!atEdges) {
            for (const SensitiveMatch& match : findSensitiveMatches(line.text))
                found.append({ match });
            const bool phone = std::any_of(found.begin(), found.end(), [](const auto& f) { return f.match.kind == RedactionKind::phone; });
            if (const std::optional<SensitiveMatch> behind = phoneBehindBullet(line.text); !phone && behind)
                found.append({ *behind });
            for (const SensitiveMatch& amount : amountsWithoutTheirSign(line.text))
                found.append({ amount });
            for (const SensitiveMatch& key : misreadAccessKeys(line.text)) {
                const bool already = std::any_of(found.begin(), found.end(), [&](const auto& f) {
                    return f.match.kind == RedactionKind::apiKey && f.match.start < key.start + key.length && key.start < f.match.start + f.match.length;
                });
                if (!already)
                    found.append({ key });
            }
        } else {
            for (const EdgeCutToken& token : findEdgeCutTokens(line, cutByEdges))
                found.append({ { token.kind, token.start, token.length }, token.leftEdge ? -1 : 1 });
        }
        for (const auto& [match, edge] : found) {
            // Dotted numbers after a plus sign are a phone's ("+1.555.010.1'700"), never an address;
            // so are grouped ones, read a digit long ("+61 499 3522 2441"), never a card.
            if ((match.kind == RedactionKind::email && maskedAddress(line, line.text.indexOf(u'@', match.start), edge < 0))
                || (match.kind == RedactionKind::card && scatteredDigits(line.text, match))
                || (match.kind == RedactionKind::apiKey && ruleReadAsLetters(line.text, match))
                || (match.kind == RedactionKind::ip && decimalsInAList(line.text, match))
                || ((match.kind == RedactionKind::ip || match.kind == RedactionKind::card) && match.start > 0
                    && line.text.at(match.start - 1) == u'+')
                || (match.kind == RedactionKind::money && (promptsDollar(line.text, match) || signInsideHexWord(line.text, match)
                    || signAfterDigitGroup(line.text, match) || cardBehindASign(line.text, match))))
                continue;
            // A misread character can cut a match short ("4111-1111-1111-11110", "a£9f..."): the
            // box covers the rest of the token the match lies in, so nothing of it stays readable.
            // A bracket glued between letters or digits is a misread letter ("...EoP]jBY" for
            // "...EoPjjBY"), except an opening one before the match: a call's or an index's name.
            const QString& t = line.text;
            const auto glued = [&](qsizetype k) {
                return k > 0 && k + 1 < t.size() && t.at(k - 1).isLetterOrNumber() && t.at(k + 1).isLetterOrNumber();
            };
            // So is a semicolon or a comma glued inside an address's user name ("mokafor;7@...").
            // A lambda may not capture a structured binding before C++20's fix (clang 14 refuses it).
            const bool address = match.kind == RedactionKind::email;
            // After an address, a bar before a digit or a sign is a table's ("omar@duff.io|+1.686..."):
            // the next field is no part of it; so is a bar beside a card or an amount
            // ("4992394307511341|$5,285.58"), whose characters hold no bar.
            const bool figures = match.kind == RedactionKind::card || match.kind == RedactionKind::money;
            const auto joins = [&](qsizetype k, bool before) {
                const QChar c = t.at(k);
                if (QStringView(before ? u")]}>" : u"([{<)]}>").contains(c) || (before && address && (c == u';' || c == u',')))
                    return glued(k);
                if (c == u'|' && (figures || (!before && address && (k + 1 == t.size() || !t.at(k + 1).isLetter()))))
                    return false;
                return !c.isSpace() && !QStringView(u"\"'=,:;(){}[]<>`").contains(c);
            };
            qsizetype start = match.start, end = match.start + match.length;
            if (end > start) {
                while (start > 0 && joins(start - 1, true))
                    --start;
                while (end < t.size() && joins(end, false))
                    ++end;
            }
            // A sentence's full stop or comma after the token may hold the last glyph's place, so it
            // is covered; but its box may be a sliver of a code box's border, as tall as the box, and
            // the box is as tall as the token without it.
            qsizetype core = end;
            while (core > match.start + match.length && QStringView(u".,;:").contains(t.at(core - 1)))
                --core;
            // The recogniser already reports a top-left origin, so the box only grows. The tail
            // of a comma or a descender may hang below a line bounded by its digits and capitals,
            // by about a third of their height, and an anti-aliased edge a pixel more.
            // A quote mark or a bracket glued to either end is covered as well: the engine sometimes
            // gives the first or last glyph's place to the mark beside it ("(sam@north.co)").
            const auto mark = [&](qsizetype k, QStringView brackets) {
                return QStringView(u"\"'`\u2018\u2019\u201C\u201D").contains(t.at(k)) || brackets.contains(t.at(k));
            };
            const qsizetype from = start > 0 && mark(start - 1, u"([{<") ? start - 1 : start;
            const qsizetype to = end < t.size() && mark(end, u")]}>") ? end + 1 : end;
            QRectF box = boxOfRange(line, from, to - from);
            if (core < end) {
                const QRectF body = boxOfRange(line, from, core - from);
                box.setTop(body.top());
                box.setBottom(body.bottom());
            }
            // Half a glyph at the edge is readable too.
            if (edge < 0)
                box.setLeft(std::min(box.left(), 0.0));
            else if (edge > 0)
                box.setRight(std::max(box.right(), 1.0));
            box.adjust(-0.004, -std::max(0.006, 0.15 * box.height()), 0.004, std::max(0.006, 0.4 * box.height()));
            // A doubtful line may come read twice: the same item found twice counts once, under
            // both boxes, since one reading may reach a character further than the other. Two
            // readings of one line stand as tall as each other; a big figure's grown box reaching
            // over the small print under it (a dashboard's card, a price and its terms) is another
            // item, and one box over both would hide the words between them. Two readings of one
            // line stand at one height, too; the next row of a tight table, whose grown box reaches
            // well over this one's, stands a row lower and holds an item of its own.
            QList<QRectF>& boxes = result[match.kind];
            const auto again = std::find_if(boxes.begin(), boxes.end(), [&](const QRectF& other) {
                const QRectF overlap = other.intersected(box);
                const double smaller = std::min(other.width() * other.height(), box.width() * box.height());
                const double lower = std::min(other.height(), box.height());
                return overlap.width() * overlap.height() > 0.6 * smaller && lower >= 0.6 * std::max(other.height(), box.height())
                    && std::abs(other.center().y() - box.center().y()) <= 0.3 * lower;
            });
            if (again != boxes.end())
                *again = again->united(box);
            else
                boxes.append(box);
        }
    }
    return result;
}

void runSensitiveTextDetection(const QImage& image, QObject* receiver,
    std::function<void(DetectionOutcome)> completion)
{
    runSensitiveTextDetection(image, receiver, std::move(completion), TextRecognizer::shared());
}

void runSensitiveTextDetection(const QImage& image, QObject* receiver,
    std::function<void(DetectionOutcome)> completion, TextRecognizer& recognizer)
{
    // Without a receiver the completion is held by the application itself.
    QObject* owner = receiver ? receiver : QCoreApplication::instance();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        logLine(QStringLiteral("text recognition skipped: the image has no bitmap"));
        postToMain(owner, [completion = std::move(completion)] { completion(DetectionOutcome {}); });
        return;
    }
    runInBackground(
        detectionPool(), owner,
        [image, &recognizer]() -> DetectionOutcome {
            QString why;
            try {
                const TextRecognition recognition = recognizer.recognize(image);
                if (recognition.ok) {
                    noteRecognitionSucceeded();
                    return detectSensitiveText(recognition.lines);
                }
                why = recognition.error.isEmpty() ? QStringLiteral("the recogniser gave no reason") : recognition.error;
            } catch (const std::exception& e) {
                why = QString::fromUtf8(e.what());
            } catch (...) {
                why = QStringLiteral("the recogniser threw");
            }
            logRecognitionFailure(why);
            return DetectionOutcome::failure(why);
        },
        [completion = std::move(completion)](DetectionOutcome outcome) { completion(std::move(outcome)); });
}

BeautifySettings withDetectedKinds(BeautifySettings settings, const DetectionResult& detections)
{
    for (const auto& [kind, rects] : detections) {
        if (!rects.isEmpty())
            settings.redactKinds.insert(kind);
    }
    return settings;
}
