#pragma once

#include "vision/TextRecognizer.h"

#include <QString>

// Mends the confusions a recogniser makes between look-alike characters where the context leaves
// no doubt: letters O, I and l among digits ("10.0.4.l7"), digits inside the letters of an
// address's domain ending ("ACME.I0"), a 1 in a short lower-case word ("1s"), the "AKIA" of
// access keys read as "AKTA" or "AK1A", slashed zeros read as @ among digits and in hashes, an
// address's @ read as G, and currency signs inside numbers and dates ("3221€2").
// Characters are replaced one for one, so per-character geometry stays valid.
void mendConfusedCharacters(QString& line);
// The same, and a key's "sk-" read with a long or doubled dash; a doubled dash becomes one
// character whose box covers both.
void mendConfusedCharacters(RecognizedLine& line);
// A line read a second time at another scale may take the number sign of "Order #123" for a
// currency sign; where the first reading saw a # in the same place, the sign stays a #.
void keepNumberSigns(RecognizedLine& again, const QList<RecognizedLine>& first);
