#pragma once

#include <QRgb>

#include <algorithm>
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

// Runs body(i) for i in [0, n) in turn: the default of the finder's parallel loops.
inline void runSerially(int n, const std::function<void(int)>& body)
{
    for (int i = 0; i < n; ++i)
        body(i);
}
