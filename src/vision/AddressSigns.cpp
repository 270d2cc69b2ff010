#include "vision/AddressSigns.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// An address's @ read as an f, or as a ligature that starts with one ("jane_tanakafimailbox.net",
// "ingrid.doeffabrikam.dev", "emoretti18fimailbox.net"): a lower-case token without an @ that
// ends in a common top-level domain, whose name before the f holds a dot, an underscore, a plus
// or a digit as a user's name does (or that stands as the value of a field that holds an
// address), and whose rest is a host. A host's own dotted name ("docs.firefox.com") has its dot
// right before the f; a web address's is read as one.
void mendAddressSignReadAsF(QString& line, const QString& domains)
{
    static const QRegularExpression token(QStringLiteral(R"((?<![A-Za-z0-9._%+\-@])[a-z0-9._%+\-]+\.(?:%1)(?![A-Za-z0-9@.]))").arg(domains));
    static const QRegularExpression host(QStringLiteral(R"(^[a-z0-9][a-z0-9\-]{2,}(?:\.[a-z0-9\-]+)*\.(?:%1)$)").arg(domains));
    static const QRegularExpression fieldBefore(QStringLiteral(R"((?:(?<![A-Za-z])(?:to|from|e?mail|user|cc)["']?\s?[=:]\s?["']?|<)$)"), QRegularExpression::CaseInsensitiveOption);
    auto it = token.globalMatch(line);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString t = m.captured();
        // A web address's host ("www.netflix.com", "https://api.netflix.com/v1") is no mail address.
        if (t.startsWith(u"www.") || (m.capturedStart() > 0 && line.at(m.capturedStart() - 1) == u'/'))
            continue;
        // The value of a field that holds an address ("to=", "\"user\":\"", "<...>") needs no
        // such sign in its name.
        const bool field = fieldBefore.match(line.left(m.capturedStart())).hasMatch();
        for (qsizetype p = 2; p + 1 < t.size(); ++p) {
            if (t.at(p) != u'f' || !t.at(p - 1).isLetterOrNumber())
                continue;
            const QStringView user = QStringView(t).left(p);
            const bool named = field || std::any_of(user.begin() + 1, user.end(), [](QChar c) { return c.isDigit() || QStringView(u"._+").contains(c); });
            if (named && host.match(t.mid(p + 1)).hasMatch()) {
                line[m.capturedStart() + p] = u'@';
                break;
            }
        }
    }
}

} // namespace

const QString& commonDomainEndings()
{
    static const QString domains = QStringLiteral("com|org|net|io|dev|co|uk|xyz|app|ai|edu|gov|info|biz|me|de|fr|eu|ca|au|us|jp|nl");
    return domains;
}

// An address's @ read as a capital G inside lower-case text ("felix_okaforGexample.com"), where
// what follows ends in a common top-level domain, its dots maybe read as commas (a bitmap face's,
// mended below once the @ stands). No @ stands in such a token, so it is no address yet.
void mendAddressSign(QString& line)
{
    const QString& domains = commonDomainEndings();
    static const QRegularExpression misread(QStringLiteral(
        R"((?<![A-Za-z0-9._%+\-@])[A-Za-z0-9._%+\-]*[a-z0-9](G)[a-z][A-Za-z0-9\-]*(?:[.,][A-Za-z0-9\-]+)*[.,](?:%1)(?![A-Za-z0-9@]))")
            .arg(domains));
    auto it = misread.globalMatch(line);
    while (it.hasNext())
        line[it.next().capturedStart(1)] = u'@';
    // Or as a capital E, B, P or Q between small letters ("larsen.vEpiedpiper.com", "carlosPhooli.com",
    // "marcus_petrovaQweyland.co": faces whose @ stands on the baseline as tall as a capital), where the name before it holds a
    // dot, an underscore, a plus or a digit, or is a word of three letters or more before a host
    // of as many: a brand's capital ("eBay.com") follows a single letter.
    static const QRegularExpression capitalSign(QStringLiteral(
        R"((?<![A-Za-z0-9._%+\-@])([a-z0-9._%+\-]*[a-z0-9])([EBPQ])([a-z][a-z0-9\-]*)(?:[.,][a-z0-9\-]+)*[.,](?:%1)(?![A-Za-z0-9@]))")
            .arg(domains));
    // The name's zeros may be read as an O or a G beside its other digits ("vvolkov7GBhooli.com",
    // "asharma%OPmassive.io"): the sign is looked for as if they were zeros, and they stay as read.
    QString zeros = line;
    for (qsizetype i = 0; i < zeros.size(); ++i) {
        const auto digit = [&](qsizetype k) { return k >= 0 && k < line.size() && (line.at(k).isDigit() || line.at(k) == u'%'); };
        if ((line.at(i) == u'O' || line.at(i) == u'G') && (digit(i - 1) || digit(i + 1)))
            zeros[i] = u'0';
    }
    for (auto it = capitalSign.globalMatch(zeros); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1);
        const bool signed_ = std::any_of(name.begin(), name.end(), [](QChar c) { return c.isDigit() || QStringView(u"._+").contains(c); });
        if (!name.startsWith(u"www.") && (signed_ || (name.size() >= 3 && m.capturedLength(3) >= 3)))
            line[m.capturedStart(2)] = u'@';
    }
    mendAddressSignReadAsF(line, domains);
    // As a registered or copyright sign, which no name or host holds ("omar_romero®umbrella.dev"),
    // or as an accented e after a user's name that holds a dot, an underscore, a plus or a digit
    // ("nschmidt67éumbrella.dev"), before a host with a common ending.
    static const QRegularExpression markSign(QStringLiteral(
        u"(?<![A-Za-z0-9._%+\\-@])([A-Za-z0-9._%+\\-]*[A-Za-z0-9])([\u00AE\u00A9\u00E9\u00E8])[A-Za-z0-9][A-Za-z0-9\\-]*(?:\\.[A-Za-z0-9\\-]+)*\\.(?:%1)(?![A-Za-z0-9@])")
            .arg(domains), QRegularExpression::CaseInsensitiveOption);
    for (auto marks = markSign.globalMatch(line); marks.hasNext();) {
        const QRegularExpressionMatch m = marks.next();
        const QString name = m.captured(1);
        const bool accent = m.captured(2) == u"\u00E9" || m.captured(2) == u"\u00E8";
        if (!accent || std::any_of(name.begin(), name.end(), [](QChar c) { return c.isDigit() || QStringView(u"._+").contains(c); }))
            line[m.capturedStart(2)] = u'@';
    }
    // In capitals, a single round lower-case letter between capitals ("HANNAH.SHARMAgGLOBEX.COM") is
    // the @: no capitals address holds a small letter.
    static const QRegularExpression smallSign(QStringLiteral(
        R"((?<![A-Za-z0-9._%+\-@])[A-Z0-9._%+\-]*[A-Z0-9]([gaeo])[A-Z][A-Z0-9\-]*(?:\.[A-Z0-9\-]+)*\.(?:%1)(?![A-Za-z0-9@]))")
            .arg(domains.toUpper()));
    for (auto small = smallSign.globalMatch(line); small.hasNext();)
        line[small.next().capturedStart(1)] = u'@';
    // In capitals, an .IO ending read as digits ("LAURENT.LIAMBMASSIVE.10"): after dotted parts of
    // capitals alone no number follows.
    static const QRegularExpression capitalsIo(QStringLiteral(R"((?<![A-Za-z0-9._%+\-@])[A-Z_%+\-]{2,}(?:\.[A-Z_%+\-]{2,})+\.([1Il][0O])(?![A-Za-z0-9@.]))"));
    for (auto io = capitalsIo.globalMatch(line); io.hasNext();) {
        const qsizetype at = io.next().capturedStart(1);
        line[at] = u'I';
        line[at + 1] = u'O';
    }
    // In capitals ("VICTOR.SILVAGEXAMPLE.COM") only a dotted name before the domain tells where the
    // address's @ stood: a single G inside a middle part, with two letters either side, or without
    // any G a single B there (names hold B's too: "TOBIASGWONKA"), or without either a single Q.
    static const QRegularExpression capitals(QStringLiteral(
        R"((?<![A-Za-z0-9._%+\-@])[A-Z0-9_%+\-]+(?:\.[A-Z0-9_%+\-]+)+\.(?:%1)(?![A-Za-z0-9@]))")
            .arg(domains.toUpper()));
    auto caps = capitals.globalMatch(line);
    while (caps.hasNext()) {
        const QRegularExpressionMatch m = caps.next();
        const QStringList parts = m.captured().split(u'.');
        if (parts.size() < 3)
            continue;
        for (const QChar sign : { u'G', u'B', u'Q' }) {
            qsizetype at = -1, candidates = 0, offset = m.capturedStart() + parts.first().size() + 1;
            for (qsizetype p = 1; p + 1 < parts.size(); ++p) {
                const QString& part = parts.at(p);
                for (qsizetype k = 0; k < part.size(); ++k)
                    if (part.at(k) == sign) {
                        ++candidates;
                        at = k >= 2 && k + 2 < part.size() ? offset + k : -1;
                    }
                offset += part.size() + 1;
            }
            if (candidates == 1 && at >= 0)
                line[at] = u'@';
            if (candidates > 0)
                break;
        }
    }
}

// Before an address's @, a slashed zero read as a second @ ("npetroval@@umbrella.dev") and a 7
// read as a slash after a digit ("isharma3/@acme.co.nz"); after a currency sign, a 7 read as a
// slash or a T ("€/10.53", "$T987.21"). Neither an address's user nor an amount
// holds such signs there.
void mendSevensAndZerosBeforeAt(QString& line)
{
    static const QRegularExpression beforeAt(QStringLiteral(R"((?<=[A-Za-z0-9._%+\-])(@|/{1,2})@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,})"));
    auto it = beforeAt.globalMatch(line);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype at = m.capturedStart(1);
        if (line.at(at) == u'@') {
            line[at] = u'0';
        } else if (m.capturedLength(1) == 2 || line.at(at - 1).isDigit()) {
            for (qsizetype k = at; k < m.capturedEnd(1); ++k)
                line[k] = u'7';
        }
    }
    static const QRegularExpression afterSign(QStringLiteral(u"[$\u00A3\u20AC]([/T])(?=\\d)"));
    auto signs = afterSign.globalMatch(line);
    while (signs.hasNext())
        line[signs.next().capturedStart(1)] = u'7';
    // A phone number's leading 5 read as a section sign ("\u00A711-551-1592"): the groups after it are
    // one digit short of a number's, which no section's number is written in.
    static const QRegularExpression sectionFive(QStringLiteral(u"(?<![\\w$\u00A3\u20AC.])(\u00A7)(?=\\d{2}([-. ])\\d{3}\\2\\d{4}(?![\\d.\\-]))"));
    auto fives = sectionFive.globalMatch(line);
    while (fives.hasNext())
        line[fives.next().capturedStart(1)] = u'5';
}

// An address's user name is plain Latin: an accented letter in it is a misread digit or letter
// ("tlarsendé@mail.bluth.co" for "tlarsen48@..."), and the pattern would stop at it. It becomes
// its plain letter where a host follows the @, so the address is found and covered whole.
void mendAddressUser(QString& line, qsizetype from, qsizetype to)
{
    const qsizetype at = line.indexOf(u'@', from);
    if (at <= from || at >= to)
        return;
    static const QRegularExpression host(QStringLiteral(R"(^[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,})"));
    if (!host.match(QStringView(line).mid(at + 1, to - at - 1)).hasMatch())
        return;
    for (qsizetype i = at - 1; i >= from && !line.at(i).isSpace(); --i) {
        const QChar c = line.at(i);
        if (c.unicode() < 0x80 || !c.isLetter() || c.decompositionTag() != QChar::Canonical)
            continue;
        const QChar plain = c.decomposition().at(0);
        if (plain.unicode() < 0x80)
            line[i] = plain;
    }
}

// The ending of an address's domain is letters only: digits there are misread letters. The host
// ends where a character no host holds (nor a misread dot) stands: a table's bar or bracket glued
// to the next field ("omar@duff.i0]+1.969.197.0669") is no part of it.
void mendDomainEnding(QString& line, qsizetype from, qsizetype to)
{
    const qsizetype at = line.indexOf(u'@', from);
    if (at < 0 || at >= to)
        return;
    qsizetype end = at + 1;
    while (end < to && (line.at(end).isLetterOrNumber() || QStringView(u".-_").contains(line.at(end))))
        ++end;
    while (end > at && !line.at(end - 1).isLetterOrNumber())
        --end;
    const qsizetype dot = line.lastIndexOf(u'.', end - 1);
    if (dot <= at || end - dot - 1 < 2)
        return;
    bool upper = false, lower = false, digits = false;
    for (qsizetype i = dot + 1; i < end; ++i) {
        const QChar c = line.at(i);
        if (c == u'0' || c == u'1' || c == u'5')
            digits = true;
        else if (c.isUpper())
            upper = true;
        else if (c.isLower())
            lower = true;
        else
            return;
    }
    if (!digits)
        return;
    if (!upper && !lower) {
        // An ending of digits alone ("ACME.10", "acme.10") is the narrow i and round o of ".io",
        // where the host before it is named in letters; an address's host is never a number, but
        // a dotted number after an @ ("deploy@10.0.4.10") is one.
        const QStringView host = QStringView(line).mid(at + 1, dot - at - 1);
        if (QStringView(line).mid(dot + 1, end - dot - 1) != u"10" || host.isEmpty() || !host.back().isLetter())
            return;
        const bool capitals = std::none_of(host.begin(), host.end(), [](QChar c) { return c.isLower(); });
        line[dot + 1] = capitals ? u'I' : u'i';
        line[dot + 2] = capitals ? u'O' : u'o';
        return;
    }
    for (qsizetype i = dot + 1; i < end; ++i) {
        const QChar c = line.at(i);
        if (c == u'0')
            line[i] = upper ? u'O' : u'o';
        else if (c == u'1')
            line[i] = upper ? u'I' : u'l';
        else if (c == u'5')
            line[i] = upper ? u'S' : u's';
    }
}
