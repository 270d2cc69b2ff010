#include "vision/GluedFields.h"

#include <QRegularExpression>

void mendGluedFields(QString& line)
{
    static const QRegularExpression glued(QStringLiteral(
        R"((?<!\d)(\d{13,17})([|/!lI]?)\s?([S$\x{00A7}])(?=\d{1,3}(?:,\d{3})*\.\d{2}(?![\d.])))"));
    for (auto it = glued.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        // A card has 13 to 16 digits: a run of 17 ending in a 1, with no other mark for the bar,
        // holds the bar. Any other run of 17 is no card, and its sign is left as read.
        if (m.capturedLength(1) == 17) {
            if (m.capturedLength(2) > 0 || line.at(m.capturedEnd(1) - 1) != u'1')
                continue;
            line[m.capturedEnd(1) - 1] = u'|';
        } else if (m.capturedLength(2) > 0) {
            line[m.capturedStart(2)] = u'|'; // read as a slash, a bang or a letter
        }
        line[m.capturedStart(3)] = u'$';
    }
}
