#pragma once

#include "vision/LineImage.h"

#include <QImage>
#include <QRectF>

#include <cstdint>
#include <limits>
#include <vector>

// Measures of the ink in a line image, between page x positions: what the symbols' boxes and the
// blanks between them are checked against.
namespace LineInk {

// The ink of a stretch of a line image from page x `from` to `to`: its top and bottom rows, its
// width in columns and its mass (the sum of its darkness), in line image pixels; and how many of
// its columns hold ink above row `high` and below row `low`.
struct InkExtent {
    int top = -1, bottom = -1, width = 0, above = 0, below = 0;
    double mass = 0;
};

// The middle of `values`, or `fallback` when there are none.
double median(std::vector<double> values, double fallback);

// The darkest grey of each column of a line image.
std::vector<uint8_t> darkestInColumns(const QImage& grey);

// The line image's column at page x `x`, rounded up or down, within [0, width].
int imageColumn(const LineImage& line, int width, double x, bool up);

// What is ink around the glyphs from page x `inkFrom` to `inkTo`: darker than halfway between
// white and their darkest ink, and at least as dark as 140.
int inkThreshold(const std::vector<uint8_t>& darkest, const LineImage& line, double inkFrom, double inkTo);

// Whether the ink from page x `fromX` to `toX` is a low rule across most of the span, as an
// underscore the engine left out, and nothing else.
bool underscoreBetween(const LineImage& line, const QRectF& text, double fromX, double toX, int threshold);

// Whether the blank columns between page x `fromX` and `toX` (none of their ink reaches
// `threshold`) hold a faint low rule, as a thin underscore the engine left out does: in most of
// them some ink lies below 65 % of the text's height and none above it (the faint edges of the
// glyphs beside a blank reach above it). An underline is none: it runs on under the glyphs beside
// the blank, at the same rows.
bool faintUnderscoreIn(const LineImage& line, const QRectF& text, const std::vector<uint8_t>& darkest, double fromX, double toX,
    const QRectF& before, const QRectF& after, int threshold);

// The widest run of blank columns between two page x positions, in page pixels. Ink is what is
// darker than halfway between white and the darkest ink of the two glyphs around (from `inkFrom`
// to `inkTo`), and at least as dark as 140: a dim part of a line (a comment, a timestamp, tiny
// text) is stretched less than its brightest part, and its thin strokes would read as blanks.
double blankBetween(const std::vector<uint8_t>& darkest, const LineImage& line, double fromX, double toX,
    double inkFrom, double inkTo);

// How far the ink of a token runs past page x `edge`, leftwards (`step` -1) or rightwards (+1):
// the engine's boxes of a token's first and last symbols often stop short of the glyph, and what
// they leave out stays readable beside a redaction. The ink runs on over gaps narrower than
// `gap` page pixels and never past page x `limit`.
double inkEdge(const std::vector<uint8_t>& darkest, const LineImage& line, double edge, double limit, int step,
    double gap, int threshold);

InkExtent inkExtent(const LineImage& line, const std::vector<uint8_t>& darkest, double from, double to, int high = -1,
    int low = std::numeric_limits<int>::max());

// Whether the ink from page x `from` to `to` is one solid shape, as a list's bullet (a disc, a
// square, a triangle) is and no letter or digit: every row and every column of it crosses the ink
// once, it is about as wide as tall, and it fills much of its bounding box. Its height in line
// image pixels goes to `height`.
bool solidBlob(const LineImage& line, const std::vector<uint8_t>& darkest, double from, double to, int* height = nullptr);

}
