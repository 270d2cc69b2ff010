#pragma once

#include <QRgb>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>

// A pixel is ink when it differs from its background by more than this in some channel: low
// enough for placeholder grey on white, high enough to ignore shading.
constexpr int kInkContrast = 30;

// The largest difference of two colours in any channel.
inline int colourDistance(QRgb a, QRgb b)
{
    const int dr = std::abs(qRed(a) - qRed(b));
    const int dg = std::abs(qGreen(a) - qGreen(b));
    const int db = std::abs(qBlue(a) - qBlue(b));
    return std::max(dr, std::max(dg, db));
}

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
