#include "vision/ConfusedCharacters.h"

#include "vision/CurrencySigns.h"

#include "vision/AddressSigns.h"
#include "vision/DottedNumbers.h"
#include "vision/GluedFields.h"
#include "vision/NumberSevens.h"
#include "vision/OcrFaceDigits.h"
#include "vision/RecognizedLineEdits.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// Slashed and dotted zeros come out as @, Ø or ø.
bool isZeroLike(QChar c) { return QStringView(u"Oo@\u00D8\u00F8").contains(c); }

bool isDigitLike(QChar c) { return isZeroLike(c) || c == u'I' || c == u'l' || c == u'|'; }

QChar asDigit(QChar c) { return isZeroLike(c) ? u'0' : u'1'; }

bool isHexDigit(QChar c) { return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'); }

// A run of digits and separators with a few look-alike letters among them.
void mendNumber(QString& line, qsizetype from, qsizetype to)
{
    int digits = 0, lookAlikes = 0;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = line.at(i);
        if (c.isDigit())
            ++digits;
        else if (isDigitLike(c))
            ++lookAlikes;
        else if (!QStringView(u".,:-/").contains(c))
            return;
    }
    if (lookAlikes == 0 || digits < 2 || lookAlikes * 2 > digits)
        return;
    // A look-alike with a digit beside it, or alone between two separators inside the number
    // ("192.168.O.1"), is a digit.
    for (qsizetype i = from; i < to; ++i) {
        if (!isDigitLike(line.at(i)))
            continue;
        const bool digitBeside = (i > from && line.at(i - 1).isDigit()) || (i + 1 < to && line.at(i + 1).isDigit());
        const bool betweenSeparators = i > from && i + 1 < to && !line.at(i - 1).isLetterOrNumber() && !line.at(i + 1).isLetterOrNumber();
        if (digitBeside || betweenSeparators)
            line[i] = asDigit(line.at(i));
    }
}

// A card's number written without separators holds no slash: one among a dozen digits or more is
// a 7 whose stem the face draws straight ("5836/708344478313"). Dates and fractions are shorter.
void mendCardSlash(QString& line, qsizetype from, qsizetype to)
{
    qsizetype digits = 0, slash = -1;
    for (qsizetype i = from; i < to; ++i) {
        if (line.at(i).isDigit())
            ++digits;
        else if (line.at(i) == u'/' && slash < 0 && i > from && i + 1 < to)
            slash = i;
        else
            return;
    }
    if (slash >= 0 && digits >= 12)
        line[slash] = u'7';
}

// A card's number holds no letters: an S, a B, a d or a U among a dozen digits or more is a 5, an
// 8 or a 4 ("6976156177449S507", "4503853277679d22", an open 4 in "4U64884433363704").
void mendCardLetters(QString& line, qsizetype from, qsizetype to)
{
    qsizetype digits = 0, letter = -1;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = line.at(i);
        if (c.isDigit())
            ++digits;
        else if ((c == u'S' || c == u'B' || c == u'd' || c == u'U') && letter < 0 && i > from && i + 1 < to && line.at(i - 1).isDigit() && line.at(i + 1).isDigit())
            letter = i;
        else if (!QStringView(u" -").contains(c) || i == from || i + 1 == to)
            return;
    }
    if (letter >= 0 && digits >= 12)
        line[letter] = line.at(letter) == u'S' ? u'5' : line.at(letter) == u'B' ? u'8' : u'4';
}

// A lower-case word that begins with a 1 begins with an l ("1s -la"), unless it is "1st".
void mendWord(QString& line, qsizetype from, qsizetype to)
{
    if (to - from < 2 || to - from > 12 || line.at(from) != u'1')
        return;
    for (qsizetype i = from + 1; i < to; ++i)
        if (!line.at(i).isLower())
            return;
    if (QStringView(line).mid(from, to - from) != u"1st")
        line[from] = u'l';
}

// The slash at `at` stands inside a run of at least eight hex digits, letters and digits both,
// that dashes, underscores or the token's ends bound: a hash's 7, never a path's parting.
bool insideHexRun(const QString& line, qsizetype at, qsizetype from, qsizetype to)
{
    qsizetype a = at, b = at + 1;
    while (a > from && !QStringView(u"-_").contains(line.at(a - 1)))
        --a;
    while (b < to && !QStringView(u"-_").contains(line.at(b)))
        ++b;
    int digits = 0, letters = 0;
    for (qsizetype i = a; i < b; ++i) {
        if (i == at)
            continue;
        if (!isHexDigit(line.at(i)))
            return false;
        (line.at(i).isDigit() ? digits : letters) += 1;
    }
    return digits + letters >= 8 && digits > 0 && letters > 0;
}

// The slash at `at` is the only one of a token of letters and digits (and dashes or underscores)
// at least 32 long, with eight or more either side, capitals, small letters and digits all in it.
bool lonelyKeySlash(const QString& line, qsizetype at, qsizetype from, qsizetype to)
{
    if (to - from < 32 || at - from < 8 || to - at - 1 < 8)
        return false;
    bool upper = false, lower = false, digit = false;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = line.at(i);
        if (i == at)
            continue;
        if (c.unicode() >= 128 || !(c.isLetterOrNumber() || c == u'-' || c == u'_'))
            return false;
        upper = upper || c.isUpper();
        lower = lower || c.isLower();
        digit = digit || c.isDigit();
    }
    return upper && lower && digit;
}

// Inside a long key or hash, a stray symbol is a misread letter or digit: a bracket is the hook
// of a j or an l, a question mark a 7, a tilde or a long dash a hyphen. In a hash (nearly all hex
// digits) an @ is a slashed or dotted zero and a % a 9; so is an @ in a key with capitals and
// digits and no dot after it (an address's host has one), and in an access key ("AKIA@751RE2...")
// whatever its length; elsewhere an @ may join a user to a host.
void mendKey(QString& line, qsizetype from, qsizetype to)
{
    const bool accessKey = to - from == 20 && QStringView(line).mid(from, 2) == u"AK";
    if (to - from < 24 && !accessKey)
        return;
    static const QString strays = QStringLiteral(u"\u00E9\u00E8\u00A2\u00A5/|\u00A3\u20AC$])[\u00AE&?");
    static const QString meant = QStringLiteral(u"eecY7lfeSjjl087");
    static const QString dashes = QStringLiteral(u"~\u2010\u2011\u2012\u2013\u2014\u2015\u2212");
    static const QString hashStrays = QStringLiteral(u"@%\u00D8\u00F8");
    static const QString hashMeant = QStringLiteral(u"0900");
    int odd = 0, hashOdd = 0, dashed = 0, alnum = 0, hex = 0, digits = 0, capitals = 0;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = line.at(i);
        const bool plain = c.isLetterOrNumber() && c.unicode() < 128;
        if (!plain && c != u'_' && c != u'-' && !strays.contains(c) && !hashStrays.contains(c) && !dashes.contains(c))
            return;
        odd += strays.contains(c) ? 1 : 0;
        hashOdd += hashStrays.contains(c) ? 1 : 0;
        dashed += dashes.contains(c) ? 1 : 0;
        alnum += plain ? 1 : 0;
        hex += plain && isHexDigit(c) ? 1 : 0;
        digits += c.isDigit() ? 1 : 0;
        capitals += c.isUpper() && c.unicode() < 128 ? 1 : 0;
    }
    const bool hash = hex * 10 >= alnum * 9;
    const bool zeros = accessKey || hash || (digits > 0 && capitals > 0 && !line.mid(from, to - from).contains(u'%'));
    if (hashOdd > 0 && !zeros)
        return;
    // Only the dashes of a key's own separators ("sk~proj~9jtA...").
    if (dashed > 3 || (dashed > 0 && (alnum < 20 || digits == 0 || !line.at(from).isLetterOrNumber())))
        return;
    // A hash read with a slashed zero can hold several, and so can an access key, all capitals and digits.
    const qsizetype allowed = accessKey ? 6 : std::max<qsizetype>(2, (to - from) / 10);
    if (odd + hashOdd + dashed == 0 || odd > 2 || odd + hashOdd > allowed)
        return;
    for (qsizetype i = from + 1; i + 1 < to; ++i) {
        if (const qsizetype k = hashStrays.indexOf(line.at(i)); k >= 0) {
            line[i] = hashMeant.at(k);
            continue;
        }
        if (dashes.contains(line.at(i)) && line.at(i - 1).isLetterOrNumber() && line.at(i + 1).isLetterOrNumber()) {
            line[i] = u'-';
            continue;
        }
        const qsizetype k = strays.indexOf(line.at(i));
        // A slash between digits is a 7 ("6516/74fe"), and anywhere in an access key, which holds
        // no slash, inside a run of hex digits between a key's dashes ("billing-c/6ff7eade-"), at
        // the start of a part after a dash ("dd3f9dad9c-/xyjl") and as the one slash of a key that
        // mixes capitals, small letters and digits with long parts either side (no path's words
        // are written so); elsewhere it may be a path's.
        if (k < 0 || (line.at(i) == u'/' && !accessKey && !(line.at(i - 1).isDigit() && line.at(i + 1).isDigit()) && !insideHexRun(line, i, from, to)
                && line.at(i - 1) != u'-' && !lonelyKeySlash(line, i, from, to)))
            continue;
        line[i] = meant.at(k);
    }
}

// Every `from` within a match of the expression becomes `to`; lengths stay, so boxes stay.
void replaceWithinMatches(QString& line, const QRegularExpression& expression, QChar from, QChar to)
{
    for (auto it = expression.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        for (qsizetype k = m.capturedStart(); k < m.capturedEnd(); ++k)
            if (line.at(k) == from)
                line[k] = to;
    }
}

} // namespace

void mendConfusedCharacters(QString& line)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && line.at(i).isSpace())
            ++i;
        const qsizetype start = i;
        while (i < n && !line.at(i).isSpace())
            ++i;
        if (i == start)
            continue;
        // Numbers inside a token ("ip=10.0.4.l7") are mended on their own.
        qsizetype j = start;
        while (j < i) {
            // An @ after a letter joins a user to a host ("deploy@10.0.4.1"): the number starts after it.
            while (j < i && ((!line.at(j).isDigit() && !isDigitLike(line.at(j))) || (line.at(j) == u'@' && j > start && line.at(j - 1).isLetter())))
                ++j;
            qsizetype k = j;
            while (k < i && (line.at(k).isDigit() || isDigitLike(line.at(k)) || QStringView(u".,:-/").contains(line.at(k))))
                ++k;
            // Only a run that stands apart from letters: "Il0" inside a word is left alone.
            const bool apart = (j == start || !line.at(j - 1).isLetter()) && (k == i || !line.at(k).isLetter());
            if (k > j && apart) {
                mendNumber(line, j, k);
                mendCardSlash(line, j, k);
            }
            j = std::max(k, j + 1);
        }
        mendCardLetters(line, start, i);
        mendAddressUser(line, start, i);
        mendDomainEnding(line, start, i);
        {
            // The key without the quotes or brackets around it.
            qsizetype a = start, b = i;
            const qsizetype eq = line.lastIndexOf(u'=', b - 1);
            if (eq >= a)
                a = eq + 1;
            while (a < b && QStringView(u"\"'`([{<\u2018\u201C").contains(line.at(a)))
                ++a;
            while (b > a && QStringView(u"\"'`)]}>,;\u2019\u201D").contains(line.at(b - 1)))
                --b;
            mendKey(line, a, b);
        }
        for (qsizetype a = start; a < i;) {
            qsizetype b = a;
            while (b < i && line.at(b).isLetterOrNumber())
                ++b;
            if (b > a)
                mendWord(line, a, b);
            a = b + 1;
        }
    }
    // A straight-stemmed 7 read as a slash after a digit of a phone number ("51/-475-0542"): no
    // date or path is grouped three, three and four. An address with its prefix length
    // ("108.112.165.4/32") is grouped so too, and keeps its slash.
    static const QRegularExpression phoneSlash(QStringLiteral(
        R"((?<![\w/.\-])(?:\+?\d{1,3}[-. ])?\(?[\d/]{3}\)?[-. ]?[\d/]{3}[-. ][\d/]{4}(?![\w/]|[.\-]\d))"));
    static const QRegularExpression prefixed(QStringLiteral(R"(^(?:\d{1,3}\.){3}\d{1,3}/\d{1,2}$)"));
    auto slashes = phoneSlash.globalMatch(line);
    while (slashes.hasNext()) {
        const QRegularExpressionMatch m = slashes.next();
        const QString found = m.captured();
        const qsizetype at = found.indexOf(u'/');
        if (at > 0 && found.count(u'/') == 1 && found.at(at - 1).isDigit() && !prefixed.match(found).hasMatch())
            line[m.capturedStart() + at] = u'7';
    }
    // A phone number's opening bracket read as a currency sign ("€741) 646-7375", "C741) 646-7375"): no
    // amount is closed by a bracket and followed by a phone number's groups.
    static const QRegularExpression signedAreaCode(QStringLiteral(u"(?<![\\w(\\[{])[$\u00A3\u20ACC](?=\\d{3}\\) ?\\d{3}[-. ]\\d{4}(?![\\w\\-]))"));
    for (auto it = signedAreaCode.globalMatch(line); it.hasNext();)
        line[it.next().capturedStart()] = u'(';
    // A phone number's area code closed or opened by a brace or a square bracket ("(961} 234-3945"):
    // a bracket of the other kind never pairs with a round one.
    static const QRegularExpression areaCode(QStringLiteral(R"((?<![\w(\[{])(?:\(\d{3}[}\]]|[{\[]\d{3}\))(?= ?\d{3}[-. ]\d{4}(?![\w\-])))"));
    auto codes = areaCode.globalMatch(line);
    while (codes.hasNext()) {
        const QRegularExpressionMatch m = codes.next();
        line[m.capturedStart()] = u'(';
        line[m.capturedEnd() - 1] = u')';
    }
    // A 1 whose flag and foot the engine reads as a closing square bracket, after a digit of a
    // phone number's groups ("+6] 646 457 0288", "415-55] 0182"): no bracket closes there.
    static const QRegularExpression phoneBracket(QStringLiteral(
        R"((?<![\w\[\].\-])(?:\+?[\d\]]{1,3}[-. ])?\(?[\d\]]{3}\)?[-. ]?[\d\]]{3}[-. ][\d\]]{4}(?![\w\[\]]|[.\-]\d))"));
    auto brackets = phoneBracket.globalMatch(line);
    while (brackets.hasNext()) {
        const QRegularExpressionMatch m = brackets.next();
        const QString found = m.captured();
        const qsizetype at = found.indexOf(u']');
        if (at > 0 && found.count(u']') == 1 && found.at(at - 1).isDigit())
            line[m.capturedStart() + at] = u'1';
    }
    mendAddressSign(line);
    mendSevensAndZerosBeforeAt(line);
    // A bitmap face's dots read as commas in an address's host, before a common ending
    // ("liam_doe@oscorp,dev"); a list of addresses parts them before a name and its @.
    static const QRegularExpression commaHost(QStringLiteral(
        R"((?<=[A-Za-z0-9._%+\-]@)[A-Za-z0-9\-]+(?:[.,][A-Za-z0-9\-]+)*,(?:com|org|net|io|dev|co|uk|app|ai|edu|gov|info|biz|me|de|fr|eu|ca|au|us|jp|nl)(?![A-Za-z0-9@._%+\-]))"),
        QRegularExpression::CaseInsensitiveOption);
    replaceWithinMatches(line, commaHost, u',', u'.');
    // A host's dot read low, as an underscore ("brandt.f@mail_northfield.org"): no host name holds
    // one, and an address's host ends in a dotted ending.
    static const QRegularExpression lowDotHost(QStringLiteral(
        R"((?<=[A-Za-z0-9._%+\-]@)[A-Za-z0-9\-]+(?:[._][A-Za-z0-9\-]+)*\.[A-Za-z]{2,}(?![A-Za-z0-9@_%+\-]|\.[A-Za-z0-9]))"));
    replaceWithinMatches(line, lowDotHost, u'_', u'.');
    // An l read as a bar or a closing bracket inside an address's user name ("doe.|@brightwave.io",
    // "romero.]@acme.io"): one glued between the name's characters, or to its @, is a letter,
    // unless a bracket it closes stands before it.
    static const QRegularExpression barInUser(QStringLiteral(
        R"((?<=[A-Za-z0-9._%+\-])[|\]](?=[A-Za-z0-9._%+\-]*@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,}))"));
    for (auto bars = barInUser.globalMatch(line); bars.hasNext();) {
        const qsizetype at = bars.next().capturedStart();
        qsizetype from = at;
        while (from > 0 && !line.at(from - 1).isSpace())
            --from;
        if (line.at(at) == u'|' || !QStringView(line).mid(from, at - from).contains(u'['))
            line[at] = u'l';
    }
    static const QRegularExpression accessKey(QStringLiteral("(?<![A-Za-z0-9])AK[T1l|]A(?=[0-9A-Z]{16}(?![A-Za-z0-9]))"));
    auto it = accessKey.globalMatch(line);
    while (it.hasNext())
        line[it.next().capturedStart() + 2] = u'I';
    // Last, once look-alike letters around it have become digits ("322l€2").
    mendCurrencySigns(line);
    mendGluedFields(line);
    mendAmountDigits(line);
}

void mendConfusedCharacters(RecognizedLine& line)
{
    // The hyphens of a key's vendor prefix ("sk-", "sk-svcacct-", "glpat-") read as long dashes, or
    // as two dashes: where one hyphen for each run of one or two dashes makes the token a key, each
    // run becomes one, over the boxes of both.
    static const QString dashes = QStringLiteral(u"-~\u2010\u2011\u2012\u2013\u2014\u2015\u2212");
    static const QRegularExpression dashedToken(QStringLiteral(u"(?<![A-Za-z0-9_\\-~\u2010-\u2015\u2212])[A-Za-z0-9_\\-~\u2010-\u2015\u2212]{19,}"));
    static const QRegularExpression key(QStringLiteral(R"(^(?:sk-[A-Za-z0-9]{16,}|[A-Za-z0-9_\-]{32,})$)"));
    static const QRegularExpression vendorThenBody(QStringLiteral(R"(^[A-Za-z][A-Za-z0-9_]{0,7}(?:-[A-Za-z0-9_]{1,8}){0,3}-[A-Za-z0-9_]{16,}$)"));
    forEachMatch(line, dashedToken, [&](const QRegularExpressionMatch& m) {
        const qsizetype start = m.capturedStart(), end = m.capturedEnd();
        QString plain;
        std::vector<qsizetype> doubled;
        for (qsizetype i = start; i < end; ++i) {
            if (!dashes.contains(line.text.at(i))) {
                plain += line.text.at(i);
                continue;
            }
            if (i + 1 < end && dashes.contains(line.text.at(i + 1))) {
                if (i + 2 < end && dashes.contains(line.text.at(i + 2)))
                    return end;
                doubled.push_back(i + 1);
                ++i;
            }
            plain += u'-';
        }
        const QString body = plain.mid(plain.lastIndexOf(u'-') + 1);
        const bool mixed = std::any_of(body.begin(), body.end(), [](QChar c) { return c.isDigit(); })
            || (body != body.toLower() && body != body.toUpper());
        // An "sk-" key is one whatever its body; after other prefixes only a body that mixes cases
        // or holds digits is a key's, not a hyphenated phrase's.
        if (plain == line.text.mid(start, end - start) || !key.match(plain).hasMatch() || !vendorThenBody.match(plain).hasMatch()
            || !(mixed || plain.startsWith(u"sk-")))
            return end;
        for (auto it = doubled.rbegin(); it != doubled.rend(); ++it)
            dropInto(line, *it, *it - 1);
        for (qsizetype i = start; i < end - qsizetype(doubled.size()); ++i)
            if (dashes.contains(line.text.at(i)))
                line.text[i] = u'-';
        return end - qsizetype(doubled.size());
    });
    // A phone number alone in its cell whose plus sign came out as a star, or with a mark or a blank
    // after it ("*1.555.010.4477", "+#1.225.419.6217", "+ 1.555.010.4477").
    static const QRegularExpression plusSign(QStringLiteral(R"(^(?:\*|\+[#* ])(?=\d{1,3}[\-. ]\(?\d{3}\)?[\-. ]\d{3}[\-. ]\d{4}$))"));
    if (const QRegularExpressionMatch m = plusSign.match(line.text); m.hasMatch()) {
        if (m.capturedLength() == 2)
            dropInto(line, 1, 0);
        line.text[0] = u'+';
    }
    mendSignsAloneInCells(line.text);
    mendDottedNumbers(line);
    mendDoubledDots(line);
    // A blank the engine put after a host's dot beside a narrow glyph ("mdoe06@acme. io"): before a
    // common ending, in the address's own case, the host goes on after its dot.
    static const QRegularExpression spacedEnding(QStringLiteral(
        R"([A-Za-z0-9._%+\-]@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\. (com|org|net|io|dev|co|uk|app|ai|edu|gov|info|biz|me|de|fr|eu|ca|au|us|jp|nl)(?![A-Za-z0-9@_%+\-]))"),
        QRegularExpression::CaseInsensitiveOption);
    forEachMatch(line, spacedEnding, [&](const QRegularExpressionMatch& m) {
        const QString ending = m.captured(1);
        if (ending != ending.toLower() && ending != ending.toUpper())
            return m.capturedEnd();
        const qsizetype blank = m.capturedStart(1) - 1;
        dropInto(line, blank, blank - 1);
        return m.capturedEnd() - 1;
    });
    // A dotted address with one part of four digits, where dropping one of them leaves a part of
    // at most 255: the engine read a sliver of a glyph as a digit of its own ("10.170.209.2356").
    // The digit whose box is narrowest goes.
    static const QRegularExpression longPart(QStringLiteral(R"((?<![\d.])\d{1,4}\.\d{1,4}\.\d{1,4}\.\d{1,4}(?![\d]|\.\d))"));
    forEachMatch(line, longPart, [&](const QRegularExpressionMatch& m) {
        const QStringList parts = m.captured().split(u'.');
        qsizetype offset = m.capturedStart(), at = -1, longer = 0;
        for (const QString& part : parts) {
            if (part.size() == 4) {
                ++longer;
                at = offset;
            } else if (part.toInt() > 255) {
                return m.capturedEnd();
            }
            offset += part.size() + 1;
        }
        // A dotted phone number with its country code ("+1.203.247.1866") has the same shape.
        const bool phone = at + 4 == m.capturedEnd() && (parts.first() == u"1" || (m.capturedStart() > 0 && line.text.at(m.capturedStart() - 1) == u'+'));
        if (longer != 1 || phone)
            return m.capturedEnd();
        qsizetype drop = -1;
        for (qsizetype k = at; k < at + 4; ++k) {
            const QString rest = line.text.mid(at, k - at) + line.text.mid(k + 1, at + 3 - k);
            if (rest.toInt() > 255 || (rest.startsWith(u'0')))
                continue;
            const bool boxes = line.charBoxes.size() == line.text.size();
            if (drop < 0 || (boxes && line.charBoxes.at(k).width() < line.charBoxes.at(drop).width()))
                drop = k;
        }
        if (drop < 0)
            return m.capturedEnd();
        dropInto(line, drop, drop == at ? drop + 1 : drop - 1);
        return m.capturedEnd() - 1;
    });
    // A phone number with one group a digit long where that group holds two zeros side by side
    // ("+1.5000.791.3709", "+1.500@.791.3709"): a slashed zero read as two, the second maybe as an
    // @. One of them goes, its box to the other.
    static const QRegularExpression longGroup(QStringLiteral(R"((?<![\w.\-+@])(\+\d{1,3}[-. ])?\(?([\d@]{3,4})\)?[-. ]([\d@]{3,4})[-. ]([\d@]{4,5})(?![\w@]|[.\-]\d))"));
    forEachMatch(line, longGroup, [&](const QRegularExpressionMatch& m) {
        qsizetype at = -1, longer = 0;
        for (int g = 2; g <= 4; ++g) {
            if (m.capturedLength(g) == (g == 4 ? 5 : 4)) {
                ++longer;
                at = m.capturedStart(g);
            }
        }
        if (longer != 1)
            return m.capturedEnd();
        const qsizetype groupEnd = at + (m.capturedStart(4) == at ? 5 : 4);
        const auto zeroAt = [&](qsizetype k) { return k >= at && k < groupEnd && line.text.at(k) == u'0'; };
        // The @ goes into the zero beside it; of two zeros, the second into the first.
        if (const qsizetype sign = line.text.indexOf(u'@', at); sign >= 0 && sign < groupEnd && (zeroAt(sign - 1) || zeroAt(sign + 1))) {
            dropInto(line, sign, zeroAt(sign - 1) ? sign - 1 : sign + 1);
        } else {
            const qsizetype zeros = line.text.indexOf(QStringLiteral("00"), at);
            if (zeros < 0 || zeros + 2 > groupEnd)
                return m.capturedEnd();
            dropInto(line, zeros + 1, zeros);
        }
        return m.capturedEnd() - 1;
    });
    // An access key read a character long, in its prefix ("AKITA", "AKTIA"), or up to three long
    // after it (a slashed zero read as "O@", a narrow 1 or I read twice): the key is still one, so
    // the extra characters go and their boxes join their neighbours'.
    static const QRegularExpression longAccessKey(QStringLiteral(R"((?<![A-Za-z0-9])AK(?:[I1lT|]A[0-9A-Z@/]{17,19}|(?:ITA|TIA)[0-9A-Z@/]{16})(?![A-Za-z0-9]))"));
    forEachMatch(line, longAccessKey, [&](const QRegularExpressionMatch& m) {
        const qsizetype start = m.capturedStart();
        if (line.text.mid(start, 5) == u"AKITA")
            dropInto(line, start + 3, start + 2);
        else if (line.text.mid(start, 5) == u"AKTIA")
            dropInto(line, start + 2, start + 3);
        else
            for (qsizetype extra = m.capturedLength() - 20; extra > 0; --extra)
                dropInto(line, start + 19 + extra, start + 18 + extra);
        return start + 19;
    });
    // An address's @ with a bracket glued before it ("esharma93(@mailbox.net").
    static const QRegularExpression bracketedSign(QStringLiteral(R"([A-Za-z0-9._%+\-](\()@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,}(?![A-Za-z0-9)]))"));
    forEachMatch(line, bracketedSign, [&](const QRegularExpressionMatch& m) {
        const qsizetype at = m.capturedStart(1);
        dropInto(line, at, at + 1);
        return at + 1;
    });
    // A blank read after an address's @ ("info@ bxx.org"): an @ glued to a name is followed by its
    // host.
    static const QRegularExpression blankAfterSign(QStringLiteral(R"([A-Za-z0-9._%+\-]@( )[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,}(?![A-Za-z0-9@]))"));
    forEachMatch(line, blankAfterSign, [&](const QRegularExpressionMatch& m) {
        const qsizetype at = m.capturedStart(1);
        dropInto(line, at, at - 1);
        return at;
    });
    // Blanks read around the plus of a tagged address ("sofia + invoice@harbor.dev"): a plus
    // between a word and a name glued to its @ and host joins them; the engine widens the gaps
    // either side of a plus in proportional faces.
    static const QRegularExpression spacedPlus(QStringLiteral(R"((?<![A-Za-z0-9._%+\-])[A-Za-z0-9._%\-]+( ?)\+( ?)[A-Za-z0-9._%\-]+@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,}(?![A-Za-z0-9@]))"));
    forEachMatch(line, spacedPlus, [&](const QRegularExpressionMatch& m) {
        qsizetype end = m.capturedEnd();
        if (m.capturedLength(2) > 0) {
            dropInto(line, m.capturedStart(2), m.capturedStart(2) - 1);
            --end;
        }
        if (m.capturedLength(1) > 0) {
            dropInto(line, m.capturedStart(1), m.capturedStart(1) + 1);
            --end;
        }
        return end;
    });
    // An address's top-level domain read as digits, maybe with a blank after its dot as wide dots
    // come out ("liam@acme. 10", "JO@ACME.10"): no domain ends in digits alone, and hosts whose
    // every label holds a letter are no numbers. The host's own case tells the letters'.
    static const QRegularExpression digitEnding(QStringLiteral(
        R"([A-Za-z0-9._%+\-]@((?:[A-Za-z0-9\-]*[A-Za-z][A-Za-z0-9\-]*\.)+)( ?)([015]{2,3})(?![\w.@\-]))"));
    forEachMatch(line, digitEnding, [&](const QRegularExpressionMatch& m) {
        const QString host = m.captured(1);
        const bool lower = std::any_of(host.begin(), host.end(), [](QChar c) { return c.isLower(); });
        for (qsizetype k = m.capturedStart(3); k < m.capturedEnd(3); ++k) {
            const QChar c = line.text.at(k);
            const QChar letter = c == u'0' ? u'o' : c == u'1' ? u'i' : u's';
            line.text[k] = lower ? letter : letter.toUpper();
        }
        if (m.capturedLength(2) > 0)
            dropInto(line, m.capturedStart(2), m.capturedStart(2) - 1);
        return m.capturedEnd() - m.capturedLength(2);
    });
    mendSevensReadAsQuestionMarks(line);
    // An address's @ read twice, as an accented e (or a registered sign) and the @ itself
    // ("plarsen89\u00E9@umbrella.dev"): the pattern finds no user glued to a letter it does not
    // know, so the mark goes and its box joins the @'s.
    static const QRegularExpression doubledSign(QStringLiteral(
        u"(?<=[A-Za-z0-9._%+\\-])[\u00E9\u00E8\u00AE\u00A9](?=@[A-Za-z0-9\\-]+(?:\\.[A-Za-z0-9\\-]+)*\\.[A-Za-z]{2,})"));
    forEachMatch(line, doubledSign, [&](const QRegularExpressionMatch& m) {
        dropInto(line, m.capturedStart(), m.capturedStart() + 1);
        return m.capturedStart();
    });
    mendConfusedCharacters(line.text);
    mendOcrFaceDigits(line.text);
}

void keepNumberSigns(RecognizedLine& again, const QList<RecognizedLine>& first)
{
    if (again.charBoxes.size() != again.text.size())
        return;
    for (qsizetype i = 0; i < again.text.size(); ++i) {
        if (!QStringView(u"$\u00A3\u20AC").contains(again.text.at(i)))
            continue;
        const QPointF centre = again.charBoxes.at(i).center();
        for (const RecognizedLine& line : first) {
            if (line.charBoxes.size() != line.text.size() || !line.box.contains(centre))
                continue;
            for (qsizetype k = 0; k < line.text.size(); ++k)
                if (line.text.at(k) == u'#' && line.charBoxes.at(k).contains(centre))
                    again.text[i] = u'#';
        }
    }
}
