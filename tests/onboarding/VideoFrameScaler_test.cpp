// Frames built by hand in each 4:2:0 layout the backend hands over: the colours come out right,
// the crop fills the view, and Qt's own converter agrees with ours.
#include "onboarding/VideoFrameScaler.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Yuv {
    uchar y, u, v;
};

// A frame whose left half is `left` and right half `right` (video range, BT.601).
QVideoFrame splitFrame(QVideoFrameFormat::PixelFormat format, QSize size, Yuv left, Yuv right)
{
    QVideoFrameFormat f(size, format);
    f.setColorSpace(QVideoFrameFormat::ColorSpace_BT601);
    f.setColorRange(QVideoFrameFormat::ColorRange_Video);
    QVideoFrame frame(f);
    EXPECT_TRUE(frame.map(QVideoFrame::WriteOnly));
    const auto at = [&](int x) { return x < size.width() / 2 ? left : right; };
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            frame.bits(0)[y * frame.bytesPerLine(0) + x] = at(x).y;
    }
    for (int y = 0; y < size.height() / 2; ++y) {
        for (int x = 0; x < size.width() / 2; ++x) {
            const Yuv c = at(2 * x);
            switch (format) {
            case QVideoFrameFormat::Format_YUV420P:
                frame.bits(1)[y * frame.bytesPerLine(1) + x] = c.u;
                frame.bits(2)[y * frame.bytesPerLine(2) + x] = c.v;
                break;
            case QVideoFrameFormat::Format_YV12:
                frame.bits(1)[y * frame.bytesPerLine(1) + x] = c.v;
                frame.bits(2)[y * frame.bytesPerLine(2) + x] = c.u;
                break;
            case QVideoFrameFormat::Format_NV12:
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x] = c.u;
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x + 1] = c.v;
                break;
            default: // NV21
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x] = c.v;
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x + 1] = c.u;
                break;
            }
        }
    }
    frame.unmap();
    return frame;
}

constexpr Yuv kRed { 81, 90, 240 };
constexpr Yuv kBlue { 41, 240, 110 };

void expectNear(QRgb actual, QColor expected, const char* where)
{
    EXPECT_NEAR(qRed(actual), expected.red(), 4) << where;
    EXPECT_NEAR(qGreen(actual), expected.green(), 4) << where;
    EXPECT_NEAR(qBlue(actual), expected.blue(), 4) << where;
}

TEST(VideoFrameScaler, ReadsEveryPlaneLayoutWithItsColours)
{
    for (auto format : { QVideoFrameFormat::Format_YUV420P, QVideoFrameFormat::Format_YV12,
             QVideoFrameFormat::Format_NV12, QVideoFrameFormat::Format_NV21 }) {
        SCOPED_TRACE(int(format));
        const QVideoFrame frame = splitFrame(format, { 64, 32 }, kRed, kBlue);
        for (QSize target : { QSize(32, 16), QSize(64, 32), QSize(50, 25) }) { // half, same, any
            const QImage image = VideoFrameScaler::scaled(frame, target);
            ASSERT_EQ(image.size(), target);
            expectNear(image.pixel(2, target.height() / 2), QColor(255, 0, 0), "left");
            expectNear(image.pixel(target.width() - 3, target.height() / 2), QColor(0, 0, 255), "right");
        }
    }
}

TEST(VideoFrameScaler, FillsTheTargetCroppingTheOverflowEvenly)
{
    // A wide frame in a square: only its middle shows, both halves equally.
    const QVideoFrame frame = splitFrame(QVideoFrameFormat::Format_YUV420P, { 128, 32 }, kRed, kBlue);
    const QImage image = VideoFrameScaler::scaled(frame, { 40, 40 });
    ASSERT_EQ(image.size(), QSize(40, 40));
    expectNear(image.pixel(0, 20), QColor(255, 0, 0), "left edge");
    expectNear(image.pixel(39, 20), QColor(0, 0, 255), "right edge");
    expectNear(image.pixel(18, 0), QColor(255, 0, 0), "top, left of the middle");

    EXPECT_TRUE(VideoFrameScaler::scaled(frame, {}).isNull());
    EXPECT_TRUE(VideoFrameScaler::scaled(QVideoFrame(), { 10, 10 }).isNull());
}

TEST(VideoFrameScaler, AgreesWithQtsOwnConverterOnAGradient)
{
    QVideoFrameFormat f(QSize(256, 128), QVideoFrameFormat::Format_NV12);
    QVideoFrame frame(f);
    ASSERT_TRUE(frame.map(QVideoFrame::WriteOnly));
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x)
            frame.bits(0)[y * frame.bytesPerLine(0) + x] = uchar(16 + x * 219 / 255);
    }
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x) {
            frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x] = uchar(64 + y * 2);
            frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x + 1] = uchar(64 + x);
        }
    }
    frame.unmap();
    const QImage ours = VideoFrameScaler::scaled(frame, { 256, 128 });
    const QImage qts = frame.toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(qts.size(), ours.size());
    int worst = 0;
    for (int y = 0; y < 128; y += 3) {
        for (int x = 0; x < 256; x += 3) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = qts.pixel(x, y);
            worst = std::max({ worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                          std::abs(qBlue(a) - qBlue(b)) });
        }
    }
    EXPECT_LE(worst, 6);
}

}
