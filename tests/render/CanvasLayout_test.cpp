#include "render/CanvasLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
BeautifySettings framed(WindowFrameStyle frame, bool url)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.windowFrame = frame;
    s.showURL = url;
    return s;
}
}

TEST(CanvasLayout, DefaultStyleOfALargeShot)
{
    const CanvasLayout l = canvasLayout(QSizeF(2800, 1400), BeautifySettings::defaults());
    EXPECT_DOUBLE_EQ(l.fullWidth, 1400);
    EXPECT_DOUBLE_EQ(l.fullHeight, 700);
    EXPECT_DOUBLE_EQ(l.padding, 252);
    EXPECT_DOUBLE_EQ(l.canvasWidth, 1904);
    EXPECT_DOUBLE_EQ(l.canvasHeight, 1204);
    EXPECT_DOUBLE_EQ(l.titleBarHeight, 0);

    // Small images are never enlarged.
    const CanvasLayout small = canvasLayout(QSizeF(1000, 500), BeautifySettings::defaults());
    EXPECT_DOUBLE_EQ(small.fullWidth, 1000);
    EXPECT_DOUBLE_EQ(small.fullHeight, 500);
}

TEST(CanvasLayout, ImageSizeIsInPointsNotPixels)
{
    QImage hidpi(2000, 1000, QImage::Format_RGB32);
    hidpi.setDevicePixelRatio(2);
    const CanvasLayout l = canvasLayout(hidpi, BeautifySettings::defaults());
    EXPECT_DOUBLE_EQ(l.fullWidth, 1000);
    EXPECT_DOUBLE_EQ(l.fullHeight, 500);
}

TEST(CanvasLayout, DegenerateImageSizesUseTheStandInSize)
{
    const CanvasLayout standIn = canvasLayout(QSizeF(1200, 800), BeautifySettings::defaults());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const QSizeF size : { QSizeF(0, 0), QSizeF(0, 500), QSizeF(-10, 300), QSizeF(300, -1), QSizeF(nan, 10) })
        EXPECT_EQ(canvasLayout(size, BeautifySettings::defaults()), standIn) << size.width() << "x" << size.height();
    EXPECT_EQ(canvasLayout(QImage(), BeautifySettings::defaults()), standIn);
}

TEST(CanvasLayout, CropIsAppliedOrIgnoredWhenUnusable)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.cropRect = QRectF(0.25, 0.25, 0.5, 0.5);
    CanvasLayout l = canvasLayout(QSizeF(1000, 800), s);
    EXPECT_DOUBLE_EQ(l.imageWidth, 500);
    EXPECT_DOUBLE_EQ(l.imageHeight, 400);

    // Negative sizes are standardised.
    s.cropRect = QRectF(0.75, 0.75, -0.5, -0.5);
    EXPECT_EQ(canvasLayout(QSizeF(1000, 800), s).crop, QRectF(0.25, 0.25, 0.5, 0.5));

    // Partly outside: only the part on the image counts.
    s.cropRect = QRectF(0.5, -0.5, 1, 1);
    EXPECT_EQ(canvasLayout(QSizeF(1000, 800), s).crop, QRectF(0.5, 0, 0.5, 0.5));

    const double inf = std::numeric_limits<double>::infinity();
    const QRectF unusable[] = {
        QRectF(0.2, 0.2, 0.005, 0.5), QRectF(0.2, 0.2, 0.5, 0.005), // too thin
        QRectF(2, 2, 0.5, 0.5), QRectF(-3, 0, 1, 1),                // wholly outside the image
        QRectF(0.995, 0, 0.5, 1),                                   // a sliver left after clipping
        QRectF(0, 0, inf, 1), QRectF(0, std::nan(""), 1, 1),
    };
    for (const QRectF& crop : unusable) {
        s.cropRect = crop;
        l = canvasLayout(QSizeF(1000, 800), s);
        EXPECT_EQ(l.crop, QRectF(0, 0, 1, 1)) << crop.x() << "," << crop.y() << " " << crop.width();
        EXPECT_DOUBLE_EQ(l.imageWidth, 1000);
        EXPECT_DOUBLE_EQ(l.imageHeight, 800);
    }
}

TEST(CanvasLayout, TitleBarHeightFollowsWidthWithinItsLimits)
{
    // 600 wide: 21 is raised to 26; 1400 wide: 49 is lowered to 46; 1000 wide: 35 as is.
    EXPECT_DOUBLE_EQ(canvasLayout(QSizeF(600, 400), framed(WindowFrameStyle::light, false)).titleBarHeight, 26);
    EXPECT_DOUBLE_EQ(canvasLayout(QSizeF(600, 400), framed(WindowFrameStyle::light, true)).titleBarHeight, 35.1);
    EXPECT_DOUBLE_EQ(canvasLayout(QSizeF(1400, 400), framed(WindowFrameStyle::dark, false)).titleBarHeight, 46);
    EXPECT_NEAR(canvasLayout(QSizeF(1400, 400), framed(WindowFrameStyle::dark, true)).titleBarHeight, 62.1, 1e-9);
    EXPECT_DOUBLE_EQ(canvasLayout(QSizeF(1000, 400), framed(WindowFrameStyle::light, false)).titleBarHeight, 35);
    // No frame: no bar even with an address bar asked for.
    EXPECT_DOUBLE_EQ(canvasLayout(QSizeF(1000, 400), framed(WindowFrameStyle::none, true)).titleBarHeight, 0);

    const CanvasLayout l = canvasLayout(QSizeF(1000, 400), framed(WindowFrameStyle::light, false));
    EXPECT_DOUBLE_EQ(l.canvasHeight, 400 + 35 + 2 * l.padding);
}

TEST(CanvasLayout, NoBackgroundMeansNoPadding)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.background = BackgroundPreset::none;
    s.padding = 40;
    const CanvasLayout l = canvasLayout(QSizeF(1000, 600), s);
    EXPECT_DOUBLE_EQ(l.padding, 0);
    EXPECT_DOUBLE_EQ(l.canvasWidth, 1000);
    EXPECT_DOUBLE_EQ(l.canvasHeight, 600);
}

TEST(CanvasLayout, AspectRatioOnlyGrowsTheCanvas)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.background = BackgroundPreset::none; // canvas = image, so the figures read directly
    s.aspect = AspectRatioOption::r1_1;
    CanvasLayout l = canvasLayout(QSizeF(1000, 600), s);
    EXPECT_DOUBLE_EQ(l.canvasWidth, 1000);
    EXPECT_DOUBLE_EQ(l.canvasHeight, 1000);
    l = canvasLayout(QSizeF(600, 1000), s);
    EXPECT_DOUBLE_EQ(l.canvasWidth, 1000);
    EXPECT_DOUBLE_EQ(l.canvasHeight, 1000);
    EXPECT_DOUBLE_EQ(l.imageWidth, 600); // the card keeps its size

    for (const AspectRatioOption option : allCases<AspectRatioOption>) {
        s.aspect = option;
        l = canvasLayout(QSizeF(1000, 700), s);
        EXPECT_GE(l.canvasWidth, 1000);
        EXPECT_GE(l.canvasHeight, 700);
        if (const auto r = ratio(option)) {
            EXPECT_NEAR(l.canvasWidth / l.canvasHeight, *r, 1e-12) << rawValue(option).toStdString();
        }
    }
}

TEST(CanvasLayout, CardFollowsOffsetOnlyWhileUnbalanced)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.background = BackgroundPreset::none;
    s.shotOffset = QSizeF(0.1, -0.1);
    const CanvasLayout l = canvasLayout(QSizeF(1000, 800), s);
    EXPECT_EQ(cardCenter(l, s), QPointF(500, 400));
    s.balance = false;
    EXPECT_EQ(cardCenter(l, s), QPointF(600, 320));

    // The image rectangle sits below the title bar, the card includes it.
    s.windowFrame = WindowFrameStyle::light;
    const CanvasLayout f = canvasLayout(QSizeF(1000, 800), s);
    const QRectF card = cardRect(f, s);
    const QRectF image = imageRect(f, s);
    EXPECT_DOUBLE_EQ(card.height(), 800 + f.titleBarHeight);
    EXPECT_DOUBLE_EQ(image.top(), card.top() + f.titleBarHeight);
    EXPECT_DOUBLE_EQ(image.bottom(), card.bottom());
    const QRectF norm = imageRectNorm(f, s);
    EXPECT_DOUBLE_EQ(norm.x() * f.canvasWidth, image.x());
    EXPECT_DOUBLE_EQ(norm.height() * f.canvasHeight, image.height());
    EXPECT_DOUBLE_EQ(shotRectNorm(f, s).y() * f.canvasHeight, card.y());
}
