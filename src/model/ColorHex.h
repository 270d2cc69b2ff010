#pragma once

#include <QColor>

// Annotation colours travel as 0xRRGGBB integers (sRGB, no alpha).

// The opaque sRGB colour of the low 24 bits; higher bits are ignored.
QColor colorFromHex(int hex);

// The colour's sRGB components, each rounded to 0-255 (halves away from zero) and clamped, so an
// extended-range component (below 0 or above 1) saturates its own channel instead of spilling
// into its neighbour. An invalid colour or a component that is not a number counts as 0.
int hexFromColor(const QColor& color);
