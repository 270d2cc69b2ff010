#pragma once

#include "vision/SensitiveTextDetector.h"

#include <QString>

// Matches of the patterns in text that holds no secret: what a terminal, a table or a masked field
// draws that the engine reads as one.

// A dollar sign ending a path: a shell prompt's, and the command after it no amount.
bool promptsDollar(const QString& text, const SensitiveMatch& match);
// A currency sign inside a short hexadecimal word: a misread digit of a commit's or object's id.
bool signInsideHexWord(const QString& text, const SensitiveMatch& match);
// A currency sign glued to a dotted number's groups: a misread digit of it.
bool signAfterDigitGroup(const QString& text, const SensitiveMatch& match);
// Digits in ones and twos, as the stars of a masked key read as digits: no card number.
bool scatteredDigits(const QString& text, const SensitiveMatch& match);
// A card's number whose first digit was read as a currency sign: no amount.
bool cardBehindASign(const QString& text, const SensitiveMatch& match);
// Two decimals of a comma-separated list, their comma read as a dot: no address.
bool decimalsInAList(const QString& text, const SensitiveMatch& match);
// A table's rule read as a run of a few letters: no key.
bool ruleReadAsLetters(const QString& text, const SensitiveMatch& match);
