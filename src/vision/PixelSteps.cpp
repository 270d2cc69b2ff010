#include "vision/PixelSteps.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

bool isBlend(QRgb p, QRgb a, QRgb b)
{
    if (colourDistance(a, b) <= kInkContrast)
        return false;
    const int pc[3] = { qRed(p), qGreen(p), qBlue(p) };
    const int ac[3] = { qRed(a), qGreen(a), qBlue(a) };
    const int bc[3] = { qRed(b), qGreen(b), qBlue(b) };
    double lo = 1, hi = 0;
    for (int c = 0; c < 3; ++c) {
        if (pc[c] < std::min(ac[c], bc[c]) - 8 || pc[c] > std::max(ac[c], bc[c]) + 8)
            return false;
        const int span = bc[c] - ac[c];
        if (std::abs(span) < 24)
            continue;
        const double t = double(pc[c] - ac[c]) / span;
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    return hi - lo < 0.3;
}

bool isNearBlend(QRgb p, QRgb a, QRgb b, int tolerance)
{
    if (colourDistance(a, b) <= kInkContrast)
        return false;
    const int pc[3] = { qRed(p), qGreen(p), qBlue(p) };
    const int ac[3] = { qRed(a), qGreen(a), qBlue(a) };
    const int bc[3] = { qRed(b), qGreen(b), qBlue(b) };
    // The point of the segment from a to b nearest to p, by least squares.
    double along = 0, length = 0;
    for (int c = 0; c < 3; ++c) {
        along += double(pc[c] - ac[c]) * (bc[c] - ac[c]);
        length += double(bc[c] - ac[c]) * (bc[c] - ac[c]);
    }
    const double t = std::clamp(along / length, 0.0, 1.0);
    for (int c = 0; c < 3; ++c)
        if (std::abs(pc[c] - (ac[c] + t * (bc[c] - ac[c]))) > tolerance)
            return false;
    return true;
}

void markSteps(const QRgb* a, const QRgb* b, uint8_t* steps, int n, int threshold)
{
    int x = 0;
#ifdef __SSE2__
    // Four pixels at a time: per channel |a - b| by saturating subtractions both ways, then
    // whether any colour channel (alpha is masked off) exceeds the threshold.
    if (threshold >= 0 && threshold < 255) {
        const __m128i colour = _mm_set1_epi32(0x00ffffff);
        const __m128i limit = _mm_set1_epi8(char(uint8_t(threshold)));
        const __m128i zero = _mm_setzero_si128();
        for (; x + 4 <= n; x += 4) {
            const __m128i pa = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x)), colour);
            const __m128i pb = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x)), colour);
            const __m128i diff = _mm_or_si128(_mm_subs_epu8(pa, pb), _mm_subs_epu8(pb, pa));
            const __m128i within = _mm_cmpeq_epi32(_mm_subs_epu8(diff, limit), zero);
            const int withinLanes = _mm_movemask_ps(_mm_castsi128_ps(within));
            steps[x] = !(withinLanes & 1);
            steps[x + 1] = !(withinLanes & 2);
            steps[x + 2] = !(withinLanes & 4);
            steps[x + 3] = !(withinLanes & 8);
        }
    }
#endif
    for (; x < n; ++x)
        steps[x] = colourDistance(a[x], b[x]) > threshold;
}

void orInto(uint8_t* out, const uint8_t* marks, int n)
{
    int i = 0;
#ifdef __SSE2__
    for (; i + 16 <= n; i += 16) {
        auto* o = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(o, _mm_or_si128(_mm_loadu_si128(o), _mm_loadu_si128(reinterpret_cast<const __m128i*>(marks + i))));
    }
#endif
    for (; i < n; ++i)
        out[i] |= marks[i];
}
