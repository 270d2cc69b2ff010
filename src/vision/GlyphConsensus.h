#pragma once

#include "vision/TextRecognizer.h"

#include <QImage>
#include <QList>

// In a terminal every glyph of one face, size and colour is drawn with the same pixels wherever it
// stands, so the engine's readings of all its copies in a shot can outvote a copy it misread ("@"
// read once as a "t" among prompts that read it right, a slashed zero read once as an "O").
// `agreeOnGlyphs` finds the lines drawn on a whole-pixel grid, cuts their cells out of `page` (the
// image the lines' geometry is a fraction of), and gives a copy read apart from all but one or two
// the reading most of its copies had, so far as the detector then finds no less in its line. A
// copy read as a digit, an "@", a currency sign or a dot keeps its reading unless the line's votes
// together make the detector find more: a glyph most copies misread must not undo the one read right.
void agreeOnGlyphs(const QImage& page, QList<RecognizedLine>& lines);
