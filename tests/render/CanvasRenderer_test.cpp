#include "render/CanvasRenderer.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

TEST(CanvasRenderer, SocialSizesComeOutAtTheirTargetWidth)
{
    BeautifySettings s = BeautifySettings::defaults();
    int social = 0;
    for (const AspectRatioOption option : allCases<AspectRatioOption>) {
        s.aspect = option;
        for (const QSize shot : { QSize(2880, 1800), QSize(777, 1333), QSize(1000, 1000), QSize(31, 7) }) {
            const CanvasLayout layout = canvasLayout(QSizeF(shot), s);
            const auto size = renderPixelSize(layout, renderScale(layout, s));
            ASSERT_TRUE(size.has_value());
            if (const auto target = socialTargetWidth(option)) {
                EXPECT_EQ(size->width(), *target) << rawValue(option).toStdString();
                EXPECT_NEAR(double(size->width()) / size->height(), *ratio(option), 2.0 / size->height());
            } else {
                EXPECT_DOUBLE_EQ(renderScale(layout, s), 2.0);
            }
        }
        social += socialTargetWidth(option).has_value();
    }
    EXPECT_EQ(social, 8);

    // Instagram on a 900-point canvas: 1.2 pixels a point.
    s.aspect = AspectRatioOption::instagram;
    s.background = BackgroundPreset::none;
    EXPECT_DOUBLE_EQ(renderScale(QImage(900, 1125, QImage::Format_RGB32), s), 1.2);
}

TEST(CanvasRenderer, PlainRatiosRenderAtTwoPixelsAPoint)
{
    CanvasLayout layout;
    layout.canvasWidth = 1000;
    layout.canvasHeight = 562.5;
    EXPECT_EQ(renderPixelSize(layout, 2.0), QSize(2000, 1125));
    layout.canvasWidth = 1000.2; // partial pixels are covered, not cut off
    EXPECT_EQ(renderPixelSize(layout, 2.0)->width(), 2001);
}

TEST(CanvasRenderer, OversizedOrDegenerateRendersAreRefused)
{
    BeautifySettings huge = BeautifySettings::defaults();
    huge.padding = 5000; // a stored style can ask for anything
    LogCapture log;
    const CanvasLayout layout = canvasLayout(QSizeF(2880, 1800), huge);
    EXPECT_FALSE(renderPixelSize(layout, renderScale(layout, huge)).has_value());
    EXPECT_EQ(log.lines.size(), 1);

    BeautifySettings negative = BeautifySettings::defaults();
    negative.padding = -60; // the canvas collapses below nothing
    const CanvasLayout collapsed = canvasLayout(QSizeF(1000, 800), negative);
    EXPECT_FALSE(renderPixelSize(collapsed, 2.0).has_value());
    negative.aspect = AspectRatioOption::x; // and a social scale would divide by it
    const CanvasLayout social = canvasLayout(QSizeF(1000, 800), negative);
    EXPECT_FALSE(renderPixelSize(social, renderScale(social, negative)).has_value());

    // Just under the cap is fine.
    CanvasLayout big;
    big.canvasWidth = 5000;
    big.canvasHeight = 5000;
    EXPECT_TRUE(renderPixelSize(big, 2.0).has_value());
}
