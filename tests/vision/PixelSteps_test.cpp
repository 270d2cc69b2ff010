#include "vision/PixelSteps.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <vector>

// The wide path must agree with colourDistance pixel for pixel: at every length (whole groups of
// pixels and the tail), every threshold, whatever the alpha bytes hold, and without writing past
// the pixels it was given.
TEST(PixelSteps, MarkStepsAgreesWithColourDistanceEverywhere)
{
    QRandomGenerator random(20);
    const auto channel = [&](int base) { return std::clamp(base + int(random.bounded(61)) - 30, 0, 255); };
    for (int threshold : { 0, 1, 14, 30, 128, 254, 255 }) {
        for (int n = 0; n <= 23; ++n) {
            std::vector<QRgb> a(size_t(n) + 1), b(size_t(n) + 1);
            for (int x = 0; x <= n; ++x) {
                const int r = int(random.bounded(256)), g = int(random.bounded(256)), bl = int(random.bounded(256));
                // Neighbours mostly close, so both sides of each threshold occur; alpha is noise.
                a[size_t(x)] = qRgba(r, g, bl, int(random.bounded(256)));
                b[size_t(x)] = x % 5 == 0 ? qRgba(int(random.bounded(256)), g, bl, int(random.bounded(256)))
                                          : qRgba(channel(r), channel(g), channel(bl), int(random.bounded(256)));
            }
            std::vector<uint8_t> steps(size_t(n) + 1, 7);
            markSteps(a.data(), b.data(), steps.data(), n, threshold);
            for (int x = 0; x < n; ++x)
                ASSERT_EQ(steps[size_t(x)], colourDistance(a[size_t(x)], b[size_t(x)]) > threshold ? 1 : 0)
                    << "threshold " << threshold << ", length " << n << ", pixel " << x;
            EXPECT_EQ(steps[size_t(n)], 7) << "wrote past the end, length " << n;
        }
    }
}

// Channel by channel: a step in red, green or blue alone counts; one in alpha alone does not.
TEST(PixelSteps, EachColourChannelCountsAndAlphaDoesNot)
{
    const QRgb base = qRgba(100, 100, 100, 255);
    const QRgb others[] = { qRgba(115, 100, 100, 255), qRgba(100, 85, 100, 255), qRgba(100, 100, 115, 255),
        qRgba(100, 100, 100, 0), qRgba(114, 86, 114, 0) };
    const uint8_t expected[] = { 1, 1, 1, 0, 0 };
    std::vector<QRgb> a(5, base), b(std::begin(others), std::end(others));
    uint8_t steps[5] = {};
    markSteps(a.data(), b.data(), steps, 5, 14);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(steps[i], expected[i]) << "case " << i;
}

// Marks are added, never taken away, at every length and offset, and nothing past the end.
TEST(PixelSteps, OrIntoAddsMarksAtEveryLengthAndOffset)
{
    QRandomGenerator random(3);
    for (int n = 0; n <= 40; ++n) {
        for (int offset = 0; offset < 3; ++offset) {
            std::vector<uint8_t> out(size_t(n + offset) + 1), marks(size_t(n) + 2);
            for (auto& v : out)
                v = uint8_t(random.bounded(2));
            for (auto& v : marks)
                v = uint8_t(random.bounded(2));
            const std::vector<uint8_t> before = out;
            orInto(out.data() + offset, marks.data(), n);
            for (size_t i = 0; i < out.size(); ++i) {
                const bool inside = i >= size_t(offset) && i < size_t(offset + n);
                ASSERT_EQ(out[i], inside ? uint8_t(before[i] | marks[i - size_t(offset)]) : before[i])
                    << "length " << n << ", offset " << offset << ", index " << i;
            }
        }
    }
}
