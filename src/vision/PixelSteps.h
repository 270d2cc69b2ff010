#pragma once

#include <QRgb>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>

// A pixel is ink when it differs from its background by more than this in some channel: low
// enough for placeholder grey on white, high enough to ignore shading.
constexpr int kInkContrast = 30;

// A step between neighbouring pixels larger than this is an edge (anti-aliased glyph edges are
// far steeper; gradients and compression noise are not).
constexpr int kEdgeStep = 14;

// The largest difference of two colours in any channel.
inline int colourDistance(QRgb a, QRgb b)
{
    const int dr = std::abs(qRed(a) - qRed(b));
    const int dg = std::abs(qGreen(a) - qGreen(b));
    const int db = std::abs(qBlue(a) - qBlue(b));
    return std::max(dr, std::max(dg, db));
}

// Whether `p` lies between the colours `a` and `b`, as the anti-aliased edge between two areas:
// each channel about as far along the way from a to b as the others.
bool isBlend(QRgb p, QRgb a, QRgb b);
// The same with each channel within `tolerance` of the nearest colour on the way from a to b: a
// blend whose colour was rounded (a palette image) or drawn unevenly (the curve of a rounded rim).
bool isNearBlend(QRgb p, QRgb a, QRgb b, int tolerance);

// steps[x] = whether colourDistance(a[x], b[x]) > threshold, for x in [0, n); the rest of
// `steps` is left as it is. Several pixels at a time where the processor allows.
void markSteps(const QRgb* a, const QRgb* b, uint8_t* steps, int n, int threshold);

// out[i] |= marks[i] for i in [0, n), many at a time where the processor allows.
void orInto(uint8_t* out, const uint8_t* marks, int n);

// Runs body(i) for i in [0, n) in turn: the default of the finder's parallel loops.
inline void runSerially(int n, const std::function<void(int)>& body)
{
    for (int i = 0; i < n; ++i)
        body(i);
}
