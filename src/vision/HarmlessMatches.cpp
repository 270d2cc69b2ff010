#include "vision/HarmlessMatches.h"

#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace {

// A currency sign, or the section and cent signs the engine reads for a dollar sign.
bool sign(QChar c)
{
    return QStringView(u"$\u00A3\u20AC\u00A7\u00A2").contains(c);
}

} // namespace

// A dollar sign ending a path ("~$", "/$", "%$" as small faces read ":~$", or "~/src$") is a
// shell prompt's: the command after it, its first letter read as a digit ("$ 1sblk") or the
// cursor's block read as one ("$ 0"), is no amount.
bool promptsDollar(const QString& text, const SensitiveMatch& match)
{
    if (match.start == 0 || text.at(match.start) != u'$')
        return false;
    if (text.at(match.start - 1) == u'%')
        return true;
    qsizetype from = match.start;
    while (from > 0 && !text.at(from - 1).isSpace())
        --from;
    const QStringView path = QStringView(text).mid(from, match.start - from);
    return path.contains(u'/') || path.contains(u'~');
}

// A currency sign inside a short hexadecimal word is a digit of a commit's or an object's id the
// engine misread ("5e€593b1", "cdaae$2"): the word is nothing but such digits and the sign.
bool signInsideHexWord(const QString& text, const SensitiveMatch& match)
{
    qsizetype from = match.start, to = match.start;
    while (from > 0 && !text.at(from - 1).isSpace())
        --from;
    while (to < text.size() && !text.at(to).isSpace())
        ++to;
    bool letter = false;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text.at(i);
        letter = letter || (c >= u'a' && c <= u'f');
        if (!c.isDigit() && !(c >= u'a' && c <= u'f') && !sign(c))
            return false;
    }
    return letter && to - from >= 7;
}

// A currency sign glued to the end of a dotted number's groups ("+1.605.657.£327") is a digit of
// it the engine misread: no amount is written straight after two groups and a dot. (After a
// comma it may well be one: a table's fields, "1042,$87.97".)
bool signAfterDigitGroup(const QString& text, const SensitiveMatch& match)
{
    qsizetype at = match.start;
    if (at >= text.size() || !sign(text.at(at)))
        return false;
    for (int group = 0; group < 2; ++group) {
        if (at < 2 || text.at(at - 1) != u'.' || !text.at(at - 2).isDigit())
            return false;
        at -= 2;
        while (at > 0 && text.at(at - 1).isDigit())
            --at;
    }
    return true;
}

// Digits in ones and twos ("4 4 44 44 44 44 4 4 4": the stars of a masked key read as digits)
// are no card number: cards are printed in groups of four to six, or in one run.
bool scatteredDigits(const QString& text, const SensitiveMatch& match)
{
    int groups = 0, short_ = 0, run = 0;
    for (qsizetype i = match.start; i <= match.start + match.length; ++i) {
        if (i < match.start + match.length && text.at(i).isDigit()) {
            ++run;
            continue;
        }
        if (run > 0) {
            ++groups;
            short_ += run < 3 ? 1 : 0;
        }
        run = 0;
    }
    return groups >= 4 && short_ * 2 > groups;
}

// A run of a dozen digits or more straight after a currency sign, without a group's comma or a
// cent's dot ("$789223425294435"), is a card's number whose first digit (a 5 drawn like an S) was
// read as the sign: no amount is written so.
bool cardBehindASign(const QString& text, const SensitiveMatch& match)
{
    qsizetype digits = 0;
    for (qsizetype i = match.start + 1; i < text.size() && text.at(i).isDigit(); ++i)
        ++digits;
    return digits >= 12;
}

// Two decimals of a list whose comma between them was read as a dot ("load average: 0.81,
// 0.86.0.58"): groups of one or two digits and of two by turns, beside another such decimal
// and a comma. A list of addresses holds addresses on either side, not single decimals.
bool decimalsInAList(const QString& text, const SensitiveMatch& match)
{
    static const QRegularExpression glued(QStringLiteral(R"(^\d{1,2}\.\d{2}\.\d{1,2}\.\d{2}$)"));
    static const QRegularExpression before(QStringLiteral(R"((?:^|[^\d.])\d{1,2}\.\d{2},\s?$)"));
    static const QRegularExpression after(QStringLiteral(R"(^,\s?[\dOo]{1,2}\.\d{2}(?![\d.]))"));
    if (!glued.match(QStringView(text).mid(match.start, match.length)).hasMatch())
        return false;
    return before.match(QStringView(text).left(match.start)).hasMatch()
        || after.match(QStringView(text).mid(match.start + match.length)).hasMatch();
}

// A rule of dashes or box lines read as letters ("eeeeeeeeeepeeeeeeiep", "wwewwnwwwewoee",
// "iwwpnwwweeweeeeeeeepeeee") is no key, whose characters are drawn at random from dozens: one
// character makes up much of it, or three of them nearly all of a long one.
bool ruleReadAsLetters(const QString& text, const SensitiveMatch& match)
{
    std::map<char16_t, int> counts;
    int symbols = 0, top = 0;
    for (qsizetype i = match.start; i < match.start + match.length; ++i) {
        top = std::max(top, ++counts[text.at(i).unicode()]);
        symbols += text.at(i).isLetterOrNumber();
    }
    if (match.length >= 16 && top * 5 > match.length * 2)
        return true;
    std::vector<int> most;
    for (const auto& entry : counts)
        if (QChar(entry.first).isLetterOrNumber())
            most.push_back(entry.second);
    std::sort(most.begin(), most.end(), std::greater<>());
    int three = 0;
    for (size_t k = 0; k < std::min<size_t>(3, most.size()); ++k)
        three += most[k];
    return symbols >= 24 && three * 20 >= symbols * 17;
}
