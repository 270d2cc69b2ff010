#pragma once

#include "vision/LineImage.h"
#include "vision/TextRecognizer.h"

#include <QSizeF>

#include <cstdint>
#include <vector>

// Marks the engine read as other glyphs or left out, told by the ink of the line image: what the
// text alone cannot settle. Each keeps one box per character. Geometry in fractions of `page`;
// `darkest` is the darkest grey of each of the image's columns.

// A list's bullet before a number, read as one or two letters ("m 807.765.5562" for a square,
// "pm" for a triangle): where the ink of that first token is one solid shape no taller than the
// digits after it, it is a bullet, and becomes one.
void restoreBullets(RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page);

// A dot that some bitmap faces draw as a block at the left of its cell reads as a comma between
// digits ("98, 203, 203, 175"): a comma's tail hangs below the digits' baseline, and a mark between
// digits whose ink stays on it is a dot.
void restoreDots(RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page);

// A dot the engine left out between two glyphs of a dotted number or an address's host
// ("10.2.51120", "lucia.doe@duffio"): kerned tight beside a thin glyph, it is a small blob on the
// baseline with blank columns on either side, which no part of a letter or digit is.
void restoreLostDots(RecognizedLine& line, const LineImage& image, const std::vector<uint8_t>& darkest, QSizeF page);
