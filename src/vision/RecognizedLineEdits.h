#pragma once

#include "vision/TextRecognizer.h"

#include <QRegularExpression>

#include <algorithm>

// Edits of a recognised line that keep one box per character.

// Drops the character at `at`; its box joins the box of the character at `into`, so what the
// dropped character covered stays covered.
inline void dropInto(RecognizedLine& line, qsizetype at, qsizetype into)
{
    if (line.charBoxes.size() == line.text.size()) {
        line.charBoxes[into] = line.charBoxes.at(into).united(line.charBoxes.at(at));
        line.charBoxes.removeAt(at);
    }
    line.text.remove(at, 1);
}

// Runs `mend` on each match of `pattern`, searching on after the place it returns.
template <typename Mend>
void forEachMatch(RecognizedLine& line, const QRegularExpression& pattern, Mend mend)
{
    for (qsizetype from = 0; from < line.text.size();) {
        const QRegularExpressionMatch m = pattern.match(line.text, from);
        if (!m.hasMatch())
            break;
        from = std::max(from + 1, mend(m));
    }
}
