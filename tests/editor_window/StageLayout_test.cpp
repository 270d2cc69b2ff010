#include "editor_window/StageLayout.h"

#include <gtest/gtest.h>

using namespace StageGeometry;

TEST(StageLayout, FitScaleAndCentre)
{
    // A canvas smaller than the free area is not enlarged; zoom multiplies the fit.
    EXPECT_DOUBLE_EQ(fit({ 2000, 1500 }, { 400, 300 }), 1.0);
    EXPECT_DOUBLE_EQ(scale(fit({ 2000, 1500 }, { 400, 300 }), 2.0), 2.0);
    // Fit 0.5 (height-bound) at zoom 4 gives 2.
    const double half = fit({ 372 + 1000, 110 + 400 }, { 1000, 800 });
    EXPECT_DOUBLE_EQ(half, 0.5);
    EXPECT_DOUBLE_EQ(scale(half, 4), 2.0);
    // A stage narrower than the margins gives no room: the scale stops at 0.05.
    EXPECT_LE(fit({ 300, 900 }, { 1000, 800 }), 0);
    EXPECT_DOUBLE_EQ(scale(fit({ 300, 900 }, { 1000, 800 }), 4), 0.05);
    EXPECT_DOUBLE_EQ(scale(fit({ 900, 100 }, { 1000, 800 }), 1), 0.05);
    // The centre leaves out the inspector's 332 pt and adds the pan.
    EXPECT_EQ(centre({ 1332, 800 }, { 0, 0 }), QPointF(500, 400));
    EXPECT_EQ(centre({ 1332, 800 }, { -30, 12 }), QPointF(470, 412));
}

TEST(StageLayout, LayoutPlacesTheCanvasAndTheShotRectangles)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.padding = 6.25; // 50 pt on an 800 pt image
    const QSizeF image(800, 400);
    const Layout centred = layout(image, s, AnnotationTool::select, 1.0, { 1500, 900 }, { 10, -20 });
    EXPECT_EQ(centred.canvas.canvasSize(), QSizeF(900, 500));
    EXPECT_DOUBLE_EQ(centred.scale, 1.0);
    EXPECT_EQ(centred.displayRect(), QRectF(594 - 450, 430 - 250, 900, 500));
    EXPECT_FALSE(centred.shotDraggable);
    EXPECT_NEAR(centred.shotRectNorm.x(), 50.0 / 900, 1e-9);
    EXPECT_NEAR(centred.imageRectNorm.height(), 400.0 / 500, 1e-9);

    // Balance off with the shot moved a quarter of the canvas right: the rectangles follow.
    s.balance = false;
    s.shotOffset = QSizeF(0.25, 0);
    const Layout moved = layout(image, s, AnnotationTool::select, 1.0, { 1500, 900 }, {});
    EXPECT_TRUE(moved.shotDraggable);
    EXPECT_NEAR(moved.shotRectNorm.x() - centred.shotRectNorm.x(), 0.25, 1e-9);
    EXPECT_NEAR(moved.imageRectNorm.x() - centred.imageRectNorm.x(), 0.25, 1e-9);

    // A window frame puts the title bar in the shot but not in the image.
    s.balance = true;
    s.windowFrame = WindowFrameStyle::dark;
    const Layout framed = layout(image, s, AnnotationTool::select, 1.0, { 1500, 900 }, {});
    EXPECT_GT(framed.shotRectNorm.height(), framed.imageRectNorm.height());
    EXPECT_NEAR(framed.imageRectNorm.bottom(), framed.shotRectNorm.bottom(), 1e-9);
}

TEST(StageLayout, CropToolShowsTheUncroppedCanvas)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.cropRect = QRectF(0.25, 0.25, 0.5, 0.5);
    EXPECT_EQ(stageSettings(s, AnnotationTool::crop).cropRect, QRectF(0, 0, 1, 1));
    EXPECT_EQ(stageSettings(s, AnnotationTool::pen).cropRect, s.cropRect);
    const Layout cropping = layout({ 800, 400 }, s, AnnotationTool::crop, 1, { 1500, 900 }, {});
    const Layout drawing = layout({ 800, 400 }, s, AnnotationTool::select, 1, { 1500, 900 }, {});
    EXPECT_GT(cropping.canvas.canvasWidth, drawing.canvas.canvasWidth);
}

TEST(StageLayout, PinchClampsToTheZoomLimits)
{
    EXPECT_DOUBLE_EQ(pinchZoom(1.0, 5), 4.0);
    EXPECT_DOUBLE_EQ(pinchZoom(1.0, 0.1), 0.25);
    EXPECT_DOUBLE_EQ(pinchZoom(2.0, 1.5), 3.0);
    EXPECT_DOUBLE_EQ(pinchZoom(1.5, std::numeric_limits<double>::quiet_NaN()), 1.5);
}
