#include "vision/PixelSteps.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
