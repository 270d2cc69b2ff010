#include "vision/OcrFaceDigits.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// What such a face's digits are read as: a 6 as a b, a 2 as an e, a 7 as a question mark, an 8
// as an ampersand, a 1 as an L, a 0 as an O, a 5 as an S or a section sign.
QChar digitFor(QChar c)
{
    switch (c.unicode()) {
    case u'b':
        return u'6';
    case u'e':
        return u'2';
    case u'?':
        return u'7';
    case u'&':
        return u'8';
    case u'L':
        return u'1';
    case u'O':
        return u'0';
    case u'S':
    case u'\u00A7':
        return u'5';
    default:
        return QChar();
    }
}

bool separator(QChar c) { return QStringView(u" .-()+").contains(c); }

// Whether the mended run is what the detector looks for, whole: a phone number, a card number or
// an IP address (its dots maybe read as hyphens).
bool holdsItem(const QString& run)
{
    static const QRegularExpression phone(QStringLiteral(R"(^(?:\+?\d{1,3}[-.\s]?)?\(?\d{3}\)?[-.\s]?\d{3}[-.\s]?\d{4}$)"));
    static const QRegularExpression card(QStringLiteral(R"(^(?:\d[ \-]?){13,16}$)"));
    static const QRegularExpression ip(QStringLiteral(R"(^\d{1,3}[.\-]\d{1,3}[.\-]\d{1,3}[.\-]\d{1,3}$)"));
    const QString trimmed = run.trimmed();
    if (ip.match(trimmed).hasMatch()) {
        const QStringList groups = trimmed.split(QRegularExpression(QStringLiteral("[.\\-]")));
        return std::all_of(groups.begin(), groups.end(), [](const QString& g) { return g.toInt() <= 255; });
    }
    // A card's groups are four digits or more: a commit's short id and a date ("6960288 2026-08-14")
    // are none.
    const QStringList parts = trimmed.split(QRegularExpression(QStringLiteral("[ \\-]")), Qt::SkipEmptyParts);
    const bool cardGroups = std::all_of(parts.begin(), parts.end(), [](const QString& g) { return g.size() >= 4; });
    return phone.match(trimmed).hasMatch() || (cardGroups && card.match(trimmed).hasMatch());
}

} // namespace

void mendOcrFaceDigits(QString& line)
{
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        // A run starts at a digit or a look-alike that is no part of a word or an id before it, nor
        // of a shell's "$?".
        const auto inRun = [&](QChar c) { return c.isDigit() || !digitFor(c).isNull(); };
        if (i > 0 && (line.at(i).isLetterOrNumber() || inRun(line.at(i))) && ((line.at(i - 1).isLetter() && digitFor(line.at(i - 1)).isNull()) || QStringView(u"$\u00A3\u20AC").contains(line.at(i - 1)))) {
            do
                ++i;
            while (i < n && (line.at(i).isLetterOrNumber() || inRun(line.at(i))));
            continue;
        }
        if (!(inRun(line.at(i)) || line.at(i) == u'(' || line.at(i) == u'+')) {
            ++i;
            continue;
        }
        qsizetype j = i;
        int digits = 0, alikes = 0;
        while (j < n && (line.at(j).isDigit() || !digitFor(line.at(j)).isNull() || separator(line.at(j)))) {
            digits += line.at(j).isDigit() ? 1 : 0;
            alikes += !line.at(j).isDigit() && !digitFor(line.at(j)).isNull() ? 1 : 0;
            ++j;
        }
        while (j > i && line.at(j - 1) == u' ')
            --j;
        // Glued to a word after it, it is part of that word; and each group holds a digit (a word
        // of look-alikes, "be", stays a word).
        const bool apart = j == n || !line.at(j).isLetterOrNumber();
        QString run = line.mid(i, j - i);
        const QStringList groups = run.split(QRegularExpression(QStringLiteral("[ .\\-()+]+")), Qt::SkipEmptyParts);
        const bool grouped = std::all_of(groups.begin(), groups.end(), [](const QString& g) {
            return std::any_of(g.begin(), g.end(), [](QChar c) { return c.isDigit(); });
        });
        const bool hyphenated = run.count(u'-') == 3 && !run.contains(u' ');
        if (apart && grouped && digits >= 6 && (alikes > 0 || hyphenated) && alikes * 3 <= digits) {
            for (QChar& c : run)
                if (!c.isDigit() && !digitFor(c).isNull())
                    c = digitFor(c);
            if (holdsItem(run)) {
                // An address's groups parted by hyphens take their dots back.
                static const QRegularExpression ip(QStringLiteral(R"(^\d{1,3}[.\-]\d{1,3}[.\-]\d{1,3}[.\-]\d{1,3}$)"));
                if (ip.match(run).hasMatch())
                    run.replace(u'-', u'.');
                line.replace(i, j - i, run);
            }
        }
        i = std::max(j, i + 1);
    }
}
