#pragma once

#include <QString>

// Currency signs a recogniser reads where none is written, and signs and amounts' digits it reads
// as other characters. Characters are replaced one for one, so per-character geometry stays valid.

// A sign inside a number or a date ("3221€2", "2024-€2-29") is a misread letter or digit, and one
// before fifteen digits or a phone number's groups a 5; a dollar sign read as a section sign or an
// S before an amount with its cents is one.
void mendCurrencySigns(QString& line);
// An amount's first 8 read as a B, or its 4 as an A, after its sign ("£B29", "£A04").
void mendAmountDigits(QString& line);
// A sign read as a letter or an ampersand where the cell, or a quoted value after a field's name,
// holds nothing but it and an amount ("e407", "&97.86").
void mendSignsAloneInCells(QString& text);
