#pragma once

#include "vision/SymbolLines.h"

#include <vector>

// The cells of a line drawn in a fixed pitch. In a monospaced line every character sits in a
// cell of one pitch, so the cells between two symbols count the blanks better than the ink does
// (narrow glyphs such as '.', '1' and 'l' leave wide gaps). The grid is fitted to the symbols'
// centres; a proportional line does not fit it. Two overlapping symbols in one cell are one glyph
// read twice: `doubled` holds the one the engine is less sure of.
struct CellGrid {
    bool monospaced = false;
    // Narrow glyphs sit a whole cell from their neighbours, as in no proportional face: many
    // proportional faces give digits and most lower-case letters one width, so a line of them
    // (tabular digits, "host 10.254") looks monospaced.
    bool proven = false;
    double grid = 0;
    double origin = 0; // the page x of the centre of cell 0
    std::vector<int> cell;
    std::vector<size_t> doubled;
};

// The cells of `symbols` (in reading order), given the usual distance between neighbouring
// symbols' centres `pitch` and the line's glyph height `h`.
CellGrid fitCells(const std::vector<Symbol>& symbols, double pitch, double h);
