#pragma once

#include "vision/TextRecognizer.h"

#include <QString>

// Whether the address whose @ stands at `at` in `line` is one the page already masked: mask
// characters (a run of two or more of * • ● · ∙) stand in place of letters of its name or of its
// host's first label. Marks around an address (emphasis stars, quotes, brackets, a footnote star)
// are no mask, and neither is a run of x: real names and hosts hold them. Where the recogniser read
// a mask glyph as a letter, the glyph gives itself away by floating above the line's baseline
// (stars and bullets sit at mid-height). When in doubt the address is not masked: hiding a masked
// one costs nothing, leaving a real one readable is a leak.
// A name that shows without a letter or a digit is masks read as marks ("+-+@mail.com"), unless
// the image's edge cut the name off (`nameCut`).
bool maskedAddress(const RecognizedLine& line, qsizetype at, bool nameCut = false);
