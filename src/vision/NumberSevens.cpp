#include "vision/NumberSevens.h"

#include "vision/RecognizedLineEdits.h"

#include <QRegularExpression>

#include <vector>

void mendSevensReadAsQuestionMarks(RecognizedLine& line)
{
    // A run of digits, question marks and a number's separators that stands apart from words.
    static const QRegularExpression run(QStringLiteral(R"((?<![\w?$\x{00A3}\x{20AC}])[(+]?[\d?][\d?() .\-]*[\d?](?![\w]))"));
    static const QRegularExpression whole(QStringLiteral(
        R"(^(?:\d{13,16}|(?:\d{4}[ \-]){3}\d{4}|(?:\+\d{1,3}[ .\-]?)?(?:\(\d{3}\) ?|\d{3}[.\-])\d{3}[.\-]\d{4}|(?:\+\d{1,3} )?\d{3} \d{3} \d{4}|(?:\d{1,3}\.){3}\d{1,3})$)"));
    forEachMatch(line, run, [&](const QRegularExpressionMatch& m) {
        const qsizetype start = m.capturedStart(), end = m.capturedEnd();
        const QString found = m.captured();
        if (!found.contains(u'?'))
            return end;
        // A mark beside a 7 is that 7 read twice; one elsewhere is a 7 itself. Where dropping the
        // marks beside 7s leaves no whole number, each is a 7 of its own ("+61 7?4 216 6616").
        QString mended;
        std::vector<qsizetype> doubled;
        for (qsizetype k = 0; k < found.size(); ++k) {
            const QChar c = found.at(k);
            if (c != u'?') {
                mended += c;
                continue;
            }
            const bool besideSeven = (k > 0 && found.at(k - 1) == u'7') || (k + 1 < found.size() && found.at(k + 1) == u'7');
            if (besideSeven)
                doubled.push_back(start + k);
            else
                mended += u'7';
        }
        if (!whole.match(mended).hasMatch()) {
            QString sevens = found;
            sevens.replace(u'?', u'7');
            if (doubled.empty() || !whole.match(sevens).hasMatch())
                return end;
            doubled.clear();
        }
        for (auto it = doubled.rbegin(); it != doubled.rend(); ++it)
            dropInto(line, *it, line.text.at(*it - 1) == u'7' ? *it - 1 : *it + 1);
        for (qsizetype k = start; k < end - qsizetype(doubled.size()); ++k)
            if (line.text.at(k) == u'?')
                line.text[k] = u'7';
        return end - qsizetype(doubled.size());
    });
}
