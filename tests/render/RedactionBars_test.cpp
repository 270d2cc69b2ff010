#include "render/RedactionBars.h"
#include "render/BackgroundRemover.h"
#include "render/CanvasPainter.h"
#include "render/CanvasRenderer.h"
#include "render/PixelProbe.h"
#include "model/WatermarkConfig.h"

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

// ---- shots with transparent pixels ------------------------------------------------------------

namespace {
QFont barFont(int px)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    return f;
}

// A light panel with a transparent margin around it (a window shot whose shadow is transparent),
// or, opaque, a window on a flat desktop (what background removal cuts out); dark text runs
// along the panel's edges, where the censored copy is partly transparent.
QImage panelShot(bool transparentMargin)
{
    QImage image(800, 500, QImage::Format_ARGB32_Premultiplied);
    image.fill(transparentMargin ? QColor(Qt::transparent) : QColor(40, 110, 170));
    QPainter p(&image);
    p.fillRect(QRect(40, 40, 720, 420), QColor(248, 248, 250));
    p.setFont(barFont(18));
    p.setPen(QColor(20, 20, 24));
    p.drawText(46, 62, QStringLiteral("jane.doe@example.com"));
    p.drawText(560, 452, QStringLiteral("sk-4f9a8b7c6d5e4f3a"));
    p.drawText(300, 250, QStringLiteral("10.20.30.40"));
    p.drawText(46, 452, QStringLiteral("+1 555 123 4567"));
    return image;
}

// Bars over the text: two hug the panel's edges, one reaches past it into the margin.
const QList<QRectF> kAlphaBars {
    QRectF(50.0 / 800, 42.0 / 500, 220.0 / 800, 28.0 / 500),
    QRectF(550.0 / 800, 430.0 / 500, 218.0 / 800, 34.0 / 500),
    QRectF(290.0 / 800, 226.0 / 500, 130.0 / 800, 32.0 / 500),
    QRectF(30.0 / 800, 428.0 / 500, 170.0 / 800, 40.0 / 500),
};

// The shot with every pixel a bar touches made transparent.
QImage clearedUnderBars(const QImage& shot, const QList<QRectF>& rects)
{
    QImage cleared = shot.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&cleared);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRectF& r : rects) {
        p.fillRect(QRectF(r.x() * shot.width(), r.y() * shot.height(), r.width() * shot.width(), r.height() * shot.height())
                       .toAlignedRect()
                       .adjusted(-1, -1, 1, 1),
            Qt::transparent);
    }
    return cleared;
}

// The largest channel difference between two renders inside the bars (clear of their
// anti-aliased rims and rounded corners), and how many pixels were compared.
std::pair<int, int> differenceUnderBars(const QImage& a, const QImage& b, const CanvasContent& content, double scale)
{
    int worst = 0, compared = 0;
    for (const QRectF& bar : redactionBarBounds(content)) {
        const QRect inside = QRectF(bar.x() * scale, bar.y() * scale, bar.width() * scale, bar.height() * scale)
                                 .toAlignedRect()
                                 .adjusted(4, 4, -4, -4);
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x, ++compared)
                worst = std::max(worst, channelDistance(a.pixel(x, y), b.pixel(x, y)));
        }
    }
    return { worst, compared };
}
}

// Under a bar nothing of the shot's own ink may remain, whatever its alpha: a render whose sharp
// shot is cleared under every bar (its censored copy still made from the original) looks the
// same there as the real one, in every style, at a light and at the strongest intensity.
TEST(RedactionBars, OverTransparentPixelsTheSharpShotContributesNothing)
{
    struct Case {
        const char* name;
        QImage shot;
        BeautifySettings settings;
    };
    BeautifySettings plain = BeautifySettings::defaults();
    plain.background = BackgroundPreset::ocean;
    plain.shadow = 0; // a shadow follows the silhouette of what is cleared; not a bar's business
    BeautifySettings cutOut = plain;
    cutOut.removeBackground = true;
    BeautifySettings framed = BeautifySettings::defaults();
    framed.windowFrame = WindowFrameStyle::light;
    framed.showURL = true;
    const Case cases[] = {
        { "rgba shot", panelShot(true), plain },
        { "background removed", panelShot(false), cutOut },
        { "window frame", panelShot(true), framed },
    };
    for (const Case& c : cases) {
        QImage source = c.shot;
        if (c.settings.removeBackground) {
            const std::optional<QImage> cut = BackgroundRemover::shared().removeBackground(c.shot);
            ASSERT_TRUE(cut) << c.name;
            ASSERT_TRUE(cut->hasAlphaChannel());
            source = *cut;
        }
        const QImage cleared = clearedUnderBars(source, kAlphaBars);
        for (const RedactStyle style : { RedactStyle::blur, RedactStyle::pixelate, RedactStyle::block }) {
            for (const double intensity : { 0.1, 1.0 }) {
                SCOPED_TRACE(std::string(c.name) + ", " + rawValue(style).toStdString() + ", " + std::to_string(intensity));
                BeautifySettings s = c.settings;
                s.redactStyle = style;
                s.redactIntensity = intensity;
                const QImage normal = renderCanvasImage(c.shot, s, {}, kAlphaBars, WatermarkConfig {});
                ASSERT_FALSE(normal.isNull());

                BeautifySettings clearedStyle = s;
                clearedStyle.removeBackground = false; // the cleared image is the cut-out already
                if (style != RedactStyle::block)
                    CensorCache::shared().store(cleared, style, intensity, *CensorCache::censoredImage(source, style, intensity));
                const QImage reference = renderCanvasImage(cleared, clearedStyle, {}, kAlphaBars, WatermarkConfig {});
                ASSERT_EQ(reference.size(), normal.size());

                const auto [worst, compared] = differenceUnderBars(
                    normal, reference, CanvasContent { c.shot, s, {}, kAlphaBars, {} }, normal.devicePixelRatio());
                EXPECT_GT(compared, 20000);
                EXPECT_LE(worst, 2);
            }
        }
    }
}
