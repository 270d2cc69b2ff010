#include "vision/DottedNumbers.h"

#include "vision/RecognizedLineEdits.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// A face with wide, round dots puts the engine's blank after a dot ("10. 4. 118. 168"). Where the
// groups joined make a whole dotted address (four parts of at most 255) or a dotted phone number
// (three, three and four digits behind an optional country code), the blanks go; sentences and
// lists ("version 4. Then 118. items", "1. 2. 3. 4.") keep theirs.
void joinDotGaps(RecognizedLine& line)
{
    static const QRegularExpression gapped(QStringLiteral(R"((?<![\d.])(?<!\d\. )\+?\d{1,4}(?:\. ?\d{1,4}){2,3}(?!\d|\.\d|\. \d))"));
    forEachMatch(line, gapped, [&](const QRegularExpressionMatch& m) {
        const QString found = m.captured();
        const qsizetype blanks = found.count(u' ');
        if (blanks == 0)
            return m.capturedEnd();
        QStringList parts = found.split(u'.');
        for (QString& part : parts)
            part = part.trimmed();
        const bool plus = parts.first().startsWith(u'+');
        if (plus)
            parts.first().remove(0, 1);
        const auto sizes = [&](std::initializer_list<qsizetype> wanted, qsizetype from) {
            qsizetype i = from;
            for (qsizetype w : wanted)
                if (parts.at(i++).size() != w)
                    return false;
            return true;
        };
        bool address = !plus && parts.size() == 4;
        bool longer = false;
        for (const QString& part : parts) {
            address = address && part.size() <= 3 && part.toInt() <= 255;
            longer = longer || part.size() > 1;
        }
        // With a blank after every dot, one-digit parts or a dot after the last are a list's.
        const qsizetype end = m.capturedEnd();
        if (address && blanks == 3 && (!longer || (end < line.text.size() && line.text.at(end) == u'.')))
            address = false;
        const bool phone = (parts.size() == 3 && sizes({ 3, 3, 4 }, 0))
            || (parts.size() == 4 && parts.first().size() <= 3 && sizes({ 3, 3, 4 }, 1));
        if (!address && !phone)
            return end;
        for (qsizetype k = end - 1; k > m.capturedStart(); --k)
            if (line.text.at(k) == u' ' && line.text.at(k - 1) == u'.')
                dropInto(line, k, k - 1);
        return end - blanks;
    });
}

// What groups of digits parted by dots (or their look-alikes) make whole: a phone number (three,
// three and four digits behind an optional country code: no number is grouped so, whatever marks
// part the groups) or an address (four parts of up to 255, none with a leading zero). `plus`: the
// first group came after a plus sign.
struct DottedGroups {
    bool phone = false, address = false;
};

DottedGroups dottedGroups(const QStringList& parts, bool plus)
{
    const auto sized = [&](qsizetype from, std::initializer_list<qsizetype> sizes) {
        for (qsizetype size : sizes)
            if (parts.at(from++).size() != size)
                return false;
        return true;
    };
    DottedGroups groups;
    groups.phone = (parts.size() == 3 && !plus && sized(0, { 3, 3, 4 })) || (parts.size() == 4 && sized(1, { 3, 3, 4 }));
    groups.address = !plus && parts.size() == 4;
    for (const QString& part : parts)
        groups.address = groups.address && part.size() <= 3 && part.toInt() <= 255 && !(part.size() > 1 && part.startsWith(u'0'));
    return groups;
}

// A bitmap face's dot read as a comma, colon, tick or L, or small grey print's as an L, in a
// number with two other dots that makes a whole dotted address or phone number with it
// ("54.99,252.55", "10'4.118.168", "+1.555.010L4477"). A comma, colon or semicolon between the
// middle parts of an address could also part two decimals ("0.25,0.75", "47.6;122.3"): there only
// a mark no taller than a dot standing on the digits' baseline is one. A zero's stroke read as a
// mark of its own after it (a combining stroke) goes with it.
void mendDotLookAlikes(RecognizedLine& line)
{
    static const QRegularExpression stroke(QStringLiteral(u"(?<=0)[\u0338\u0337]"));
    forEachMatch(line, stroke, [&](const QRegularExpressionMatch& m) {
        dropInto(line, m.capturedStart(), m.capturedStart() - 1);
        return m.capturedStart();
    });
    // Up to four groups of digits parted by dots or their look-alikes, and blanks, which only a
    // phone number's groups may stand apart by.
    static const QRegularExpression dotted(QStringLiteral(
        R"((?<![\w.,:;'`$\x{00A3}\x{20AC}(\[{])(?<!\d )\+?\d{1,3}(?:[.,:;'`L ]\d{1,4}){2,3}(?![\w)\]}]|[.,:;'` ]\d))"));
    forEachMatch(line, dotted, [&](const QRegularExpressionMatch& m) {
        const qsizetype end = m.capturedEnd();
        std::vector<qsizetype> odd;
        QStringList parts { QString() };
        int dots = 0, blanks = 0, commas = 0;
        for (qsizetype k = m.capturedStart(); k < end; ++k) {
            const QChar c = line.text.at(k);
            if (c.isDigit() || c == u'+') {
                parts.last() += c;
                continue;
            }
            parts.append(QString());
            dots += c == u'.';
            blanks += c == u' ';
            commas += c == u',';
            if (c != u'.' && c != u' ')
                odd.push_back(k);
        }
        if (odd.empty())
            return end;
        const DottedGroups groups = dottedGroups(parts, parts.first().startsWith(u'+'));
        // Only a phone number's groups may stand apart by blanks.
        const bool phone = groups.phone, address = groups.address && blanks == 0;
        if (!phone && !address)
            return end;
        if (!phone && odd.size() == 1 && dots == 2) {
            // One look-alike among dots. Between an address's middle parts a comma, colon or
            // semicolon could part two decimals instead: only one the size of a dot on the digits'
            // baseline is a dot there.
            const qsizetype at = odd.front();
            if (at - m.capturedStart() == parts.at(0).size() + parts.at(1).size() + 1 && QStringView(u",:;").contains(line.text.at(at))) {
                if (line.charBoxes.size() != line.text.size())
                    return end;
                const QRectF mark = line.charBoxes.at(at), left = line.charBoxes.at(at - 1), right = line.charBoxes.at(at + 1);
                const double digitHeight = std::min(left.height(), right.height());
                const double base = std::max(left.bottom(), right.bottom());
                if (mark.isEmpty() || digitHeight <= 0 || mark.height() > 0.35 * digitHeight || mark.bottom() > base + 0.1 * digitHeight)
                    return end;
            }
        } else if (!phone) {
            // A face that reads every dot as a comma ("192,168,115,99"): only commas, and a list
            // of small numbers has the same shape, so not a bracketed one ("(0,0,120,80)"). A
            // round number grouped in thousands has a part with a leading zero.
            if (commas != qsizetype(odd.size()))
                return end;
        }
        for (qsizetype at : odd)
            line.text[at] = u'.';
        return end;
    });
}

// A bitmap face whose dot hangs below the baseline reads each as a comma, some with a blank after
// it and some without ("192, 168,62, 246", "10,88, 214, 14"). Where the groups make a whole dotted
// address or phone number, each mark is a dot and the blanks go. A list's commas are spaced alike
// ("10, 15, 134, 54", "1,2,3,4"): only marks spaced both ways are read so.
void joinCommaGaps(RecognizedLine& line)
{
    static const QRegularExpression gapped(QStringLiteral(
        R"((?<![\w.,:;'`$\x{00A3}\x{20AC}(\[{])(?<!\d )\+?\d{1,3}(?:[.,] ?\d{1,4}){2,3}(?![\w)\]}]|[.,] ?\d))"));
    forEachMatch(line, gapped, [&](const QRegularExpressionMatch& m) {
        const QString found = m.captured();
        const qsizetype end = m.capturedEnd(), blanks = found.count(u' '), commas = found.count(u',');
        const qsizetype marks = commas + found.count(u'.');
        if (commas == 0 || blanks == 0 || blanks == marks)
            return end;
        static const QRegularExpression mark(QStringLiteral("[.,] ?"));
        QStringList parts = found.split(mark);
        const bool plus = parts.first().startsWith(u'+');
        if (plus)
            parts.first().remove(0, 1);
        if (const DottedGroups groups = dottedGroups(parts, plus); !groups.address && !groups.phone)
            return end;
        for (qsizetype k = m.capturedStart(); k < end; ++k)
            if (line.text.at(k) == u',')
                line.text[k] = u'.';
        for (qsizetype k = end - 1; k > m.capturedStart(); --k)
            if (line.text.at(k) == u' ')
                dropInto(line, k, k - 1);
        return end - blanks;
    });
}

// The same faces' dots read as commas inside an e-mail address ("petrova,e@umbrella.dev",
// "jane@globex,co.uk"): no address holds a comma between two of its letters or digits. Only in a
// token with one @ whose host, so mended, ends in a dot and a top-level domain.
void mendAddressCommas(RecognizedLine& line)
{
    static const QRegularExpression address(QStringLiteral(R"((?<![\w.,+%\-@])[\w.+%\-]+(?:,[\w.+%\-]+)*@[\w\-]+(?:[.,][\w\-]+)+(?![\w\-@]|[.,][\w\-]))"));
    static const QRegularExpression host(QStringLiteral(R"(@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,}$)"));
    forEachMatch(line, address, [&](const QRegularExpressionMatch& m) {
        const qsizetype start = m.capturedStart(), end = m.capturedEnd();
        QString mended = m.captured();
        for (qsizetype k = 1; k + 1 < mended.size(); ++k)
            if (mended.at(k) == u',' && mended.at(k - 1).isLetterOrNumber() && mended.at(k + 1).isLetterOrNumber())
                mended[k] = u'.';
        if (mended == m.captured() || mended.contains(u',') || !host.match(mended).hasMatch())
            return end;
        for (qsizetype k = 0; k < mended.size(); ++k)
            line.text[start + k] = mended.at(k);
        return end;
    });
}

// An address followed by its port or prefix length whose colon or slash came out as a digit, as
// small bitmap faces draw them: a colon as a 3, a slash as a 7 ("192,168,38,1603443" for
// "192.168.38.160:443", "10.8.0.4732" for "10.8.0.4/32"). The last part then runs on into the
// suffix and no address is read. Where the run parts into a last part of at most 255 and a 3 and
// a port (two to five digits, at most 65535; five characters at least, a part one digit too long
// being a sliver read as a digit) or a 7 and a prefix length (up to 32), the digit is the mark;
// the longest last part wins. The same faces read the address's dots as commas: in such an
// address they are dots too.
void mendAddressSuffix(RecognizedLine& line)
{
    static const QRegularExpression run(QStringLiteral(
        R"((?<![\w.,:;'`$\x{00A3}\x{20AC}(\[{+\-])\d{1,3}[.,]\d{1,3}[.,]\d{1,3}[.,](\d{1,3})([37:/]?)(\d{1,6})(?![\w.,:/]))"));
    const auto plain = [](QStringView digits, int most) {
        return !digits.isEmpty() && !(digits.size() > 1 && digits.startsWith(u'0')) && digits.toInt() <= most;
    };
    forEachMatch(line, run, [&](const QRegularExpressionMatch& m) {
        const qsizetype start = m.capturedStart(), end = m.capturedEnd(), last = m.capturedStart(1);
        const QString tail = line.text.mid(last, end - last);
        static const QRegularExpression dot(QStringLiteral("[.,]"));
        const QStringList head = line.text.mid(start, last - 1 - start).split(dot);
        if (!std::all_of(head.begin(), head.end(), [&](const QString& part) { return plain(part, 255); }))
            return end;
        qsizetype mark = -1;
        for (qsizetype k = std::min<qsizetype>(3, tail.size() - 2); k >= 1 && mark < 0; --k) {
            const QStringView part = QStringView(tail).left(k), rest = QStringView(tail).mid(k + 1);
            const QChar c = tail.at(k);
            if (!plain(part, 255))
                continue;
            if (((c == u'3' || c == u':') && rest.size() >= 2 && rest.size() <= 5 && tail.size() >= 5 && plain(rest, 65535))
                || ((c == u'7' || c == u'/') && rest.size() <= 2 && plain(rest, 32)))
                mark = last + k;
        }
        if (mark < 0)
            return end;
        line.text[mark] = line.text.at(mark) == u'3' ? u':' : line.text.at(mark) == u'7' ? u'/' : line.text.at(mark);
        for (qsizetype k = start; k < last; ++k)
            if (line.text.at(k) == u',')
                line.text[k] = u'.';
        return end;
    });
}

} // namespace

// A dotted address or phone number with a dot read twice, or read with a comma, colon or tick
// beside it ("192.168.43,.222", "172.16..231.62", "+1.922.730,.0663"): each such pair is one
// dot, over the boxes of both. A face that does so reads its other dots as the same mark alone
// ("192,168.115,.99"): where such a pair stands among them, that mark is a dot too. Otherwise a
// single comma stays a comma: "0.25,0.75" is two numbers, "[1,2..3,4]" a list.
void mendDoubledDots(RecognizedLine& line)
{
    static const QRegularExpression doubledDot(QStringLiteral(
        R"((?<![\d.,$\x{00A3}\x{20AC}])\+?\d{1,4}(?:(?:\.[.,:;'`]|[,:;'`]\.|[.,:;'`])\d{1,4}){2,3}(?![\d.,:;'`]\d|\d))"));
    forEachMatch(line, doubledDot, [&](const QRegularExpressionMatch& m) {
        qsizetype end = m.capturedEnd();
        const QString found = m.captured();
        // The marks the face put beside a dot, and those standing alone for one.
        QString pairedMarks, singleMarks;
        bool paired = false;
        for (qsizetype k = 0; k < found.size(); ++k) {
            if (found.at(k).isDigit() || found.at(k) == u'+')
                continue;
            const bool pair = !found.at(k + 1).isDigit();
            paired = paired || pair;
            if (pair)
                pairedMarks += found.mid(k, 2);
            else if (found.at(k) != u'.')
                singleMarks += found.at(k);
            k += pair ? 1 : 0;
        }
        if (!paired || std::any_of(singleMarks.begin(), singleMarks.end(), [&](QChar c) { return !pairedMarks.contains(c); }))
            return end;
        static const QRegularExpression marks(QStringLiteral("[.,:;'`]+"));
        QStringList parts = found.split(marks);
        const bool plus = parts.first().startsWith(u'+');
        if (plus)
            parts.first().remove(0, 1);
        const DottedGroups groups = dottedGroups(parts, plus);
        const bool address = groups.address, phone = groups.phone && (parts.size() != 4 || parts.first().size() <= 3);
        if (!address && !phone)
            return end;
        for (qsizetype k = end - 2; k > m.capturedStart(); --k) {
            const QChar here = line.text.at(k), before = line.text.at(k - 1);
            if (here.isDigit())
                continue;
            if (before.isDigit()) {
                line.text[k] = u'.';
                continue;
            }
            const qsizetype drop = here == u'.' ? k - 1 : k;
            dropInto(line, drop, drop == k ? k - 1 : k);
            line.text[k - 1] = u'.';
            --end;
            --k;
        }
        return end;
    });
}

void mendDottedNumbers(RecognizedLine& line)
{
    mendAddressSuffix(line);
    joinDotGaps(line);
    joinCommaGaps(line);
    mendAddressCommas(line);
    mendDotLookAlikes(line);
}
