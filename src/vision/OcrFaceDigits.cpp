#include "vision/OcrFaceDigits.h"

#include "vision/SensitiveTextDetector.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// What such a face's digits are read as: a 6 as a b, a 2 as an e, a 7 as a question mark, an 8
// as an ampersand, a 1 as an L, a 0 as an O, a 5 as an S or a section sign.
QChar digitFor(QChar c)
{
    static constexpr std::pair<char16_t, char16_t> readAs[] = { { u'b', u'6' }, { u'e', u'2' }, { u'?', u'7' }, { u'&', u'8' },
        { u'L', u'1' }, { u'O', u'0' }, { u'S', u'5' }, { u'\u00A7', u'5' } };
    for (const auto& [glyph, digit] : readAs)
        if (c == glyph)
            return digit;
    return {};
}

bool inRun(QChar c) { return c.isDigit() || !digitFor(c).isNull(); }

bool separator(QChar c) { return QStringView(u" .-()+").contains(c); }

// Whether `text` is wholly what the detector's own pattern of `kind` finds.
bool whole(RedactionKind kind, const QString& text)
{
    static const QRegularExpression patterns[] = { QRegularExpression(sensitivePattern(RedactionKind::phone)),
        QRegularExpression(sensitivePattern(RedactionKind::card)), QRegularExpression(sensitivePattern(RedactionKind::ip)) };
    const QRegularExpression& pattern = patterns[kind == RedactionKind::phone ? 0 : kind == RedactionKind::card ? 1 : 2];
    const QRegularExpressionMatch m = pattern.match(text);
    return m.hasMatch() && m.capturedStart() == 0 && m.capturedLength() == text.size();
}

// The run with its look-alikes made digits, where that makes it wholly a phone number, a card
// number or an IP address (whose dots read as hyphens become dots again); none otherwise.
std::optional<QString> mendedItem(QString run)
{
    for (QChar& c : run)
        if (const QChar digit = digitFor(c); !digit.isNull())
            c = digit;
    const QString trimmed = run.trimmed();
    if (QString dotted = trimmed; !dotted.contains(u' ') && whole(RedactionKind::ip, dotted.replace(u'-', u'.'))) {
        const QStringList groups = dotted.split(u'.');
        if (std::all_of(groups.begin(), groups.end(), [](const QString& g) { return g.toInt() <= 255; }))
            return run.replace(u'-', u'.');
        return std::nullopt;
    }
    // A card's groups are four digits or more: a commit's short id and a date ("6960288 2026-08-14")
    // are none.
    static const QRegularExpression cardSeparators(QStringLiteral("[ \\-]"));
    const QStringList parts = trimmed.split(cardSeparators, Qt::SkipEmptyParts);
    const bool cardGroups = std::all_of(parts.begin(), parts.end(), [](const QString& g) { return g.size() >= 4; });
    if (whole(RedactionKind::phone, trimmed) || (cardGroups && whole(RedactionKind::card, trimmed)))
        return run;
    return std::nullopt;
}

} // namespace

void mendOcrFaceDigits(QString& line)
{
    static const QRegularExpression separators(QStringLiteral("[ .\\-()+]+"));
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        // A run starts at a digit or a look-alike that is no part of a word or an id before it, nor
        // of a shell's "$?".
        const bool glued = i > 0 && (line.at(i).isLetterOrNumber() || inRun(line.at(i)))
            && ((line.at(i - 1).isLetter() && digitFor(line.at(i - 1)).isNull()) || QStringView(u"$\u00A3\u20AC").contains(line.at(i - 1)));
        if (glued) {
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
        while (j < n && (inRun(line.at(j)) || separator(line.at(j)))) {
            digits += line.at(j).isDigit() ? 1 : 0;
            alikes += !line.at(j).isDigit() && !digitFor(line.at(j)).isNull() ? 1 : 0;
            ++j;
        }
        while (j > i && line.at(j - 1) == u' ')
            --j;
        // Glued to a word after it, it is part of that word; and each group holds a digit (a word
        // of look-alikes, "be", stays a word).
        const bool apart = j == n || !line.at(j).isLetterOrNumber();
        const QString run = line.mid(i, j - i);
        const QStringList groups = run.split(separators, Qt::SkipEmptyParts);
        const bool grouped = std::all_of(groups.begin(), groups.end(), [](const QString& g) {
            return std::any_of(g.begin(), g.end(), [](QChar c) { return c.isDigit(); });
        });
        const bool hyphenated = run.count(u'-') == 3 && !run.contains(u' ');
        if (apart && grouped && digits >= 6 && (alikes > 0 || hyphenated) && alikes * 3 <= digits)
            if (const std::optional<QString> item = mendedItem(run))
                line.replace(i, j - i, *item);
        i = std::max(j, i + 1);
    }
}
