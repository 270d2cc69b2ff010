#pragma once

#include "vision/TextRecognizer.h"

#include <QImage>
#include <QList>
#include <QRect>

// How many of the image's outermost pixel columns count as its edge. A glyph whose ink lies in
// them is cut by the edge (or all but); a window shot's text starts a border's width (two
// pixels) in, and its ink no nearer.
constexpr int kEdgeColumns = 2;

// Whether ink lies in the outermost columns of `page` on the left (or right) within the rows
// [top, bottom): a pixel there that differs from the line's background. A column of one colour
// from above those rows to below them is a frame or a rule, not a glyph, and is passed over.
bool inkAtEdge(const QImage& page, int top, int bottom, bool left);

// Sets each line's inkAtLeftEdge and inkAtRightEdge from `page`, the image its geometry is a
// fraction of.
void markEdgeInk(const QImage& page, QList<RecognizedLine>& lines);
