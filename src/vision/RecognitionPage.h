#pragma once

#include "vision/TextLineFinder.h"

#include <QImage>
#include <QList>
#include <QRect>

// The page as the recogniser reads it, and what it tells about the page before any line is read.

// The page as RGB32, flattened (onto white, or black where what is opaque is mostly light) and
// scaled down when it holds more than `maxPixels` or is wider or taller than `maxSide`.
QImage preparePage(const QImage& image, qint64 maxPixels, int maxSide);

// The opaque window of a window shot (an opaque rectangle, its corners perhaps rounded, in a
// transparent margin with a soft shadow); empty for any other image, an opaque one among them.
QRect opaqueWindow(const QImage& image);

// Steep steps outside the found lines, as a share of the sampled pixels.
double unexplainedEdges(const QImage& page, const QList<TextLineBox>& lines);

// The page as black ink on white.
QImage inkPage(const QImage& page);
