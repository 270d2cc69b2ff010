#include "vision/CurrencySigns.h"

#include <QRegularExpression>

// A currency sign between two digits ("3221€2") or after a hyphen inside a word or date
// ("2024-€2-29") stands where no amount is written: a misread letter or digit.
void mendCurrencySigns(QString& line)
{
    static const QString signs = QStringLiteral(u"$£€");
    static const QString meant = QStringLiteral(u"Sfe");
    for (qsizetype i = 1; i + 1 < line.size(); ++i) {
        const qsizetype k = signs.indexOf(line.at(i));
        if (k < 0 || !line.at(i + 1).isDigit())
            continue;
        const QChar before = line.at(i - 1);
        if (before.isDigit() || (before == u'-' && i >= 2 && line.at(i - 2).isLetterOrNumber()))
            line[i] = meant.at(k);
    }
    // Nor before fifteen digits without a separator (no amount is written so) or a phone number's
    // groups ("$465144109852895", "$48-289-6737"): a bitmap face's flat-topped 5, read as the sign.
    static const QRegularExpression five(QStringLiteral(R"((?<![\w$.,])\$(?=\d{15}(?![\d.,])|\d{2}-\d{3}-\d{4}(?![\d\-])))"));
    for (auto it = five.globalMatch(line); it.hasNext();)
        line[it.next().capturedStart()] = u'5';
    // A dollar sign read as a section sign, or as an S standing alone or glued to a field's name,
    // before an amount written with cents ("§ 1,847.07", "S 5,624.31", "total=S17.18"); a section
    // sign after a plus or minus, as statements sign amounts ("+§878"), cites no law.
    static const QRegularExpression dollar(QStringLiteral(
        R"((?<![A-Za-z0-9])(?:\x{00A7}(?=\s?\d{1,3}(?:,?\d{3})*\.\d{2}(?![\d.]))|(?<=[+\-\x{2212}(])\x{00A7}(?=\d)|S(?=\s?\d{1,3}(?:,\d{3})+\.\d{2}(?![\d.]))|(?<=[=:])S(?=\d{1,3}(?:,\d{3})*\.\d{2}(?![\d.]))))"));
    for (auto it = dollar.globalMatch(line); it.hasNext();)
        line[it.next().capturedStart()] = u'$';
}

void mendAmountDigits(QString& line)
{
    // An amount's first 8 read as a B, or its 4 as an A ("£B29", "£A04"): no word starts with a
    // currency sign glued to it.
    static const QRegularExpression eight(QStringLiteral(u"(?<![A-Za-z0-9])[$\u00A3\u20AC][AB](?=[.,]?\\d)"));
    for (auto it = eight.globalMatch(line); it.hasNext();) {
        const qsizetype at = it.next().capturedStart() + 1;
        line[at] = line.at(at) == u'A' ? u'4' : u'8';
    }
}

void mendSignsAloneInCells(QString& text)
{
    // A euro or pound sign read as an e or a c, in a cell that holds nothing but the amount ("e407",
    // "4158979601257081 | c18.20"): no word is one such letter and a number.
    static const QRegularExpression cellAmount(QStringLiteral(R"((?:^|(?<=\| ))[ec](?=\d{2,3}(?:,\d{3})*(?:\.\d{2})?(?:$| \|)))"));
    for (auto it = cellAmount.globalMatch(text); it.hasNext();)
        text[it.next().capturedStart()] = QChar(0x20AC);
    // A pound or dollar sign read as a capital, a small f or g or an ampersand in a bitmap face
    // ("&97.86", "S1,250"): where the cell, or a quoted value after a field's name, holds nothing
    // but it and an amount with its cents or its thousands parted, the shape of no word or code. A
    // letter and three digits alone ("E777") may be a code as well ("E404", "F150"): it stays.
    static const QRegularExpression letterAmount(QStringLiteral(
        u"(?:^|(?<=\\| )|(?<=: [\"\u201C\u201D]))[SFEL&fg](?=(?:\\d{1,3}(?:,\\d{3})+|\\d{1,3}(?:,\\d{3})*\\.\\d{2})(?:$| \\||[\"\u201C\u201D],?$))"));
    for (auto it = letterAmount.globalMatch(text); it.hasNext();) {
        const qsizetype at = it.next().capturedStart();
        text[at] = text.at(at) == u'S' ? QChar(u'$') : QChar(0x00A3);
    }
}
