#include "render/RedactionBars.h"
#include "render/PixelProbe.h"

#include <gtest/gtest.h>

namespace {
struct Scene {
    QImage original;
    QImage canvas;
};

// The screenshot drawn at 2x in a 400 x 300 layer offset by (20, 10), then the bars over it.
Scene paintScene(const QList<QRectF>& rects, RedactStyle style, CensorCache& cache, const QImage& source)
{
    Scene scene;
    scene.original = source;
    scene.canvas = transparentCanvas(QSize(880, 640), 2.0);
    QPainter painter(&scene.canvas);
    const QRectF layer(20, 10, 400, 300);
    painter.drawImage(layer, source);
    paintRedactions(painter, layer, source, rects, style, 0.6, cache);
    return scene;
}

// Device pixel of the canvas for a fraction of the layer.
QPoint devicePoint(double fx, double fy)
{
    return QPoint(int((20 + fx * 400) * 2), int((10 + fy * 300) * 2));
}
}

TEST(RedactionBars, EveryStyleHidesTheDetailUnderItsBars)
{
    const QImage source = detailedImage(QSize(800, 600));
    const QList<QRectF> rects { QRectF(0.1, 0.1, 0.3, 0.1), QRectF(0.5, 0.6, 0.4, 0.2) };
    for (const RedactStyle style : { RedactStyle::blur, RedactStyle::pixelate, RedactStyle::block }) {
        CensorCache cache;
        const Scene scene = paintScene(rects, style, cache, source);
        int inside = 0;
        for (const QRectF& r : rects) {
            // Interior of each bar, clear of the anti-aliased rim and the rounded corners.
            const QPoint from = devicePoint(r.left(), r.top()) + QPoint(8, 8);
            const QPoint to = devicePoint(r.right(), r.bottom()) - QPoint(8, 8);
            for (int y = from.y(); y <= to.y(); ++y) {
                for (int x = from.x(); x <= to.x(); ++x, ++inside) {
                    const QRgb original = source.pixel(x - 40, y - 20);
                    ASSERT_NE(scene.canvas.pixel(x, y), original) << rawValue(style).toStdString() << " at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(inside, 10000);
        // Outside the bars the screenshot is untouched.
        for (const QPointF f : { QPointF(0.05, 0.05), QPointF(0.45, 0.15), QPointF(0.3, 0.5), QPointF(0.95, 0.95) }) {
            const QPoint p = devicePoint(f.x(), f.y());
            EXPECT_EQ(scene.canvas.pixel(p), source.pixel(p.x() - 40, p.y() - 20)) << rawValue(style).toStdString();
        }
    }
}

TEST(RedactionBars, CensoredCopiesLineUpWithTheScreenshot)
{
    // Left half red, right half blue: a blurred bar far from the seam shows the colour below it.
    QImage source(800, 600, QImage::Format_RGB32);
    source.fill(Qt::red);
    for (int y = 0; y < 600; ++y) {
        for (int x = 400; x < 800; ++x)
            source.setPixel(x, y, qRgb(0, 0, 255));
    }
    for (const RedactStyle style : { RedactStyle::blur, RedactStyle::pixelate }) {
        CensorCache cache;
        const Scene scene = paintScene({ QRectF(0.02, 0.4, 0.2, 0.2), QRectF(0.78, 0.4, 0.2, 0.2) }, style, cache, source);
        EXPECT_TRUE(near(scene.canvas.pixel(devicePoint(0.1, 0.5)), Qt::red, 4)) << rawValue(style).toStdString();
        EXPECT_TRUE(near(scene.canvas.pixel(devicePoint(0.9, 0.5)), Qt::blue, 4)) << rawValue(style).toStdString();
    }
}

TEST(RedactionBars, NoCensoredCopyMeansBlackBars)
{
    CensorCache cache;
    // No image to censor (nothing could be taken from it): the areas are still covered.
    QImage canvas = transparentCanvas(QSize(200, 100));
    {
        QPainter painter(&canvas);
        paintRedactions(painter, QRectF(0, 0, 200, 100), QImage(), { QRectF(0.25, 0.2, 0.5, 0.6) }, RedactStyle::blur, 0.6, cache);
    }
    EXPECT_EQ(canvas.pixel(100, 50), qRgba(0, 0, 0, 255));
    EXPECT_EQ(canvas.pixel(148, 78), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(canvas.pixel(10, 10)), 0);
    EXPECT_EQ(cache.count(), 0);
}

TEST(RedactionBars, EmptyListStillPreparesTheCopyAndNegativeSizesStillHide)
{
    CensorCache cache;
    const QImage source = detailedImage(QSize(200, 100));
    QImage canvas = transparentCanvas(QSize(200, 100));
    QPainter painter(&canvas);
    paintRedactions(painter, QRectF(0, 0, 200, 100), source, {}, RedactStyle::pixelate, 0.6, cache);
    EXPECT_EQ(cache.count(), 1);
    paintRedactions(painter, QRectF(0, 0, 200, 100), source, { QRectF(0.75, 0.8, -0.5, -0.6) }, RedactStyle::block, 0.6, cache);
    painter.end();
    EXPECT_EQ(canvas.pixel(100, 50), qRgba(0, 0, 0, 255));
    EXPECT_EQ(cache.count(), 1);
    // Bars have softly rounded (3-unit) corners.
    EXPECT_LT(qAlpha(canvas.pixel(50, 20)), 128);
}
