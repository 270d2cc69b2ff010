#pragma once

#include <QImage>
#include <QPointF>

// Our own blur and pixellation: used to censor hidden areas, and reusable for soft shadows.
//
// Both accept any image format and return a new image of the same pixel size and device pixel
// ratio: Format_RGB32 for opaque input, Format_ARGB32_Premultiplied otherwise, and for the blur
// Format_Alpha8 for Format_Alpha8 input (a shadow mask). A null input, a radius or cell that is not a finite
// positive number, or memory that cannot be had gives a null image.

// Approximates a Gaussian of standard deviation `radius` pixels with three box blurs per axis.
// Edges are clamped (the border pixels extend outward), so the image does not fade at its
// edges. Large radii are blurred on a reduced copy and scaled back up: the result is smooth, and
// the cost stays near that of reading and writing the image once.
QImage blurImage(const QImage& image, double radius);

// Replaces every cell of a grid of `cellSize` pixels, laid so that cell corners fall on
// `anchor` (pixel coordinates), by the average of the cell's pixels inside the image. Cells cut
// by the image edge average what they hold, so edge cells stay as opaque as the image.
QImage pixellateImage(const QImage& image, double cellSize, QPointF anchor);
