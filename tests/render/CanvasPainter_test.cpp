#include "render/CanvasPainter.h"
#include "render/CanvasRenderer.h"
#include "render/PngFiles.h"

#include "support/LogCapture.h"

#include "support/SyntheticShots.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
WatermarkConfig productMark(WatermarkPosition position = WatermarkPosition::bottomRight)
{
    return { QStringLiteral("Lumaforge"), QImage(), false, position };
}

QImage render(const QImage& image, const BeautifySettings& s, const QList<Annotation>& annotations = {},
    const QList<QRectF>& rects = {}, const WatermarkConfig& mark = productMark())
{
    return renderCanvasImage(image, s, annotations, rects, mark);
}

// The colour of the render at a canvas point.
QColor at(const QImage& rendered, QPointF point)
{
    const double scale = rendered.devicePixelRatio();
    return rendered.pixelColor(int(point.x() * scale), int(point.y() * scale));
}

bool near(const QColor& a, const QColor& b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

BeautifySettings plain()
{
    BeautifySettings s = BeautifySettings::defaults();
    s.shadow = 0;
    s.radius = 0;
    return s;
}
}

TEST(CanvasRender, NoneStaysTransparentAroundTheCardOthersAreOpaque)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.background = BackgroundPreset::none;
    s.aspect = AspectRatioOption::r1_1; // room above and below the card
    const QImage none = render(redBlueHalves(), s);
    ASSERT_FALSE(none.isNull());
    EXPECT_TRUE(none.hasAlphaChannel());
    EXPECT_EQ(at(none, { 200, 1 }).alpha(), 0);      // far above the card and its shadow
    EXPECT_EQ(at(none, { 100, 200 }).alpha(), 255);   // on the card
    EXPECT_TRUE(near(at(none, { 100, 200 }), QColor(255, 0, 0)));

    for (const BackgroundPreset preset : { BackgroundPreset::sunset, BackgroundPreset::noir, BackgroundPreset::snow }) {
        s.background = preset;
        const QImage opaque = render(redBlueHalves(), s);
        ASSERT_FALSE(opaque.isNull());
        EXPECT_FALSE(opaque.hasAlphaChannel()) << rawValue(preset).toStdString();
    }
}

TEST(CanvasRender, ScaleAndPointSize)
{
    // 400x300 with the default padding: 544 x 444 points, two pixels a point.
    const QImage image = render(redBlueHalves(), BeautifySettings::defaults());
    EXPECT_EQ(image.size(), QSize(1088, 888));
    EXPECT_EQ(image.deviceIndependentSize(), QSizeF(544, 444));

    BeautifySettings s = BeautifySettings::defaults();
    for (const AspectRatioOption option : { AspectRatioOption::instagram, AspectRatioOption::x, AspectRatioOption::pinterest }) {
        s.aspect = option;
        EXPECT_EQ(render(redBlueHalves(), s).width(), *socialTargetWidth(option)) << rawValue(option).toStdString();
    }
}

TEST(CanvasRender, CropAndFlipShowTheRightPartOfTheShot)
{
    BeautifySettings s = plain();
    s.background = BackgroundPreset::none;
    // Crop to the right half: only blue shows.
    s.cropRect = QRectF(0.5, 0, 0.5, 1);
    QImage image = render(redBlueHalves(), s);
    EXPECT_EQ(image.deviceIndependentSize(), QSizeF(200, 300));
    EXPECT_TRUE(near(at(image, { 10, 150 }), QColor(0, 0, 255)));
    EXPECT_TRUE(near(at(image, { 190, 150 }), QColor(0, 0, 255)));

    // A horizontal flip mirrors the screenshot, never the annotations.
    s.cropRect = QRectF(0, 0, 1, 1);
    s.flipH = true;
    Annotation box;
    box.kind = Annotation::Kind::box;
    box.start = QPointF(0.05, 0.05);
    box.end = QPointF(0.2, 0.2);
    box.colorHex = 0x00FF00;
    box.fillOpacity = 1;
    image = render(redBlueHalves(), s, { box });
    EXPECT_TRUE(near(at(image, { 50, 150 }), QColor(0, 0, 255)));
    EXPECT_TRUE(near(at(image, { 350, 150 }), QColor(255, 0, 0)));
    EXPECT_TRUE(near(at(image, { 50, 40 }), QColor(0, 255, 0))); // the box stays at the left

    // A vertical flip with a crop shows the mirrored crop.
    s.flipH = false;
    s.flipV = true;
    QImage topRed(400, 300, QImage::Format_RGB32);
    topRed.fill(QColor(0, 0, 255));
    QPainter(&topRed).fillRect(0, 0, 400, 60, QColor(255, 0, 0));
    s.cropRect = QRectF(0, 0, 1, 0.5); // top half: red band on top before the flip
    image = render(topRed, s);
    EXPECT_TRUE(near(at(image, { 200, 140 }), QColor(255, 0, 0)));
    EXPECT_TRUE(near(at(image, { 200, 10 }), QColor(0, 0, 255)));
}

TEST(CanvasRender, CardCornersAreRoundedAndShadowsFallBelow)
{
    BeautifySettings s = plain();
    s.background = BackgroundPreset::snow;
    s.radius = 40;
    const CanvasLayout layout = canvasLayout(redBlueHalves(), s);
    const QRectF card = cardRect(layout, s);
    QImage image = render(redBlueHalves(), s);
    const QColor behind = at(image, { card.left() + 2, card.top() - 20 });
    EXPECT_TRUE(near(at(image, card.topLeft() + QPointF(3, 3)), behind, 12)); // the corner is cut away
    EXPECT_TRUE(near(at(image, card.topLeft() + QPointF(40, 40)), QColor(255, 0, 0)));
    EXPECT_TRUE(near(at(image, card.bottomRight() - QPointF(3, 3)), at(image, card.bottomRight() + QPointF(2, -60)), 12));

    // With a shadow the canvas darkens below the card more than above it.
    s.shadow = 1;
    image = render(redBlueHalves(), s);
    const QColor below = at(image, { card.center().x(), card.bottom() + 12 });
    const QColor above = at(image, { card.center().x(), card.top() - 12 });
    EXPECT_LT(below.lightness() + 10, above.lightness());
}

TEST(CanvasRender, RedactionsMirrorWithTheScreenshot)
{
    BeautifySettings s = plain();
    s.background = BackgroundPreset::none;
    s.redactStyle = RedactStyle::block;
    const QList<QRectF> rects { QRectF(0.05, 0.4, 0.2, 0.2) }; // on the left of the image
    QImage image = render(redBlueHalves(), s, {}, rects);
    EXPECT_TRUE(near(at(image, { 60, 150 }), Qt::black));
    s.flipH = true;
    image = render(redBlueHalves(), s, {}, rects);
    EXPECT_TRUE(near(at(image, { 340, 150 }), Qt::black));
    EXPECT_TRUE(near(at(image, { 60, 150 }), QColor(0, 0, 255)));
}

TEST(CanvasRender, WindowFrameAndWatermark)
{
    BeautifySettings s = plain();
    s.background = BackgroundPreset::none;
    s.windowFrame = WindowFrameStyle::light;
    const CanvasLayout layout = canvasLayout(redBlueHalves(), s);
    QImage image = render(redBlueHalves(), s);
    const double t = layout.titleBarHeight;
    EXPECT_TRUE(near(at(image, { 380, t / 2 }), QColor(241, 241, 244)));
    EXPECT_TRUE(near(at(image, { 100, t + 100 }), QColor(255, 0, 0)));
    s.windowFrame = WindowFrameStyle::dark;
    EXPECT_TRUE(near(render(redBlueHalves(), s).pixelColor(int(380 * 2), int(t)), QColor(42, 42, 44)));

    // Watermark: only with the style's switch, 10 points from the edges without a background.
    s.windowFrame = WindowFrameStyle::none;
    s.watermark = true;
    const CanvasContent content { redBlueHalves(), s, {}, {}, productMark(WatermarkPosition::bottomRight) };
    const QRectF place = watermarkRect(content, canvasLayout(redBlueHalves(), s), WatermarkPosition::bottomRight);
    EXPECT_DOUBLE_EQ(place.right(), 400 - 10);
    EXPECT_DOUBLE_EQ(place.bottom(), 300 - 10);
    const QPointF inside(place.left() + 4, place.center().y());
    const QColor darkened = at(render(redBlueHalves(), s), inside);
    EXPECT_LT(darkened.blue(), 230); // the capsule dims the blue below it
    s.watermark = false;
    EXPECT_TRUE(near(at(render(redBlueHalves(), s), inside), QColor(0, 0, 255)));
    EXPECT_TRUE(watermarkRect({ redBlueHalves(), s, {}, {}, productMark() }, canvasLayout(redBlueHalves(), s),
        WatermarkPosition::topLeft).isEmpty());
}

TEST(CanvasRender, OversizedStylesFailCleanly)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.padding = 4000;
    LogCapture log;
    EXPECT_TRUE(render(redBlueHalves(), s).isNull());
    EXPECT_TRUE(renderCanvasPNG(redBlueHalves(), s, {}, {}, productMark()).isEmpty());
    EXPECT_EQ(log.lines.size(), 2);
}

TEST(CanvasRender, NonFiniteStyleNumbersStillRender)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.balance = false;
    s.shotOffset = QSizeF(std::nan(""), 0.1);
    s.radius = std::numeric_limits<double>::infinity();
    s.shadow = std::nan("");
    const QImage image = render(redBlueHalves(), s);
    ASSERT_FALSE(image.isNull()); // the background alone: the card has no place to go
    EXPECT_EQ(image.size(), render(redBlueHalves(), BeautifySettings::defaults()).size());
}

TEST(CanvasRender, ExportedFileDecodesToTheRender)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.windowFrame = WindowFrameStyle::dark;
    s.showURL = true;
    const QImage rendered = render(redBlueHalves(), s);
    const QByteArray png = renderCanvasPNG(redBlueHalves(), s, {}, {}, productMark());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lumaforge %1.png").arg(screenshotDateString()));
    ASSERT_TRUE(exportPNG(QDialog::Accepted, path, png));
    const QImage decoded = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(decoded.size(), rendered.size());
    QImage expected = rendered.convertToFormat(QImage::Format_RGB32);
    expected.setDevicePixelRatio(1);
    EXPECT_EQ(decoded, expected);
}

TEST(CanvasRender, ALongBrandNameIsElidedToTheCanvas)
{
    BeautifySettings s = plain();
    s.background = BackgroundPreset::none;
    s.watermark = true;
    const QImage shot = redBlueHalves();
    const CanvasLayout layout = canvasLayout(shot, s);
    const WatermarkConfig brand { QString(400, QLatin1Char('W')) + QStringLiteral(" Studios"), QImage(), true,
        WatermarkPosition::bottomRight };
    for (const WatermarkPosition corner : { WatermarkPosition::bottomRight, WatermarkPosition::topLeft }) {
        const QRectF place = watermarkRect({ shot, s, {}, {}, brand }, layout, corner);
        EXPECT_GE(place.left(), 10 - 1e-9);
        EXPECT_LE(place.right(), layout.canvasWidth - 10 + 1e-9);
        EXPECT_GT(place.width(), layout.canvasWidth - 20 - 20); // within a letter of the room
    }
    // Drawn: the capsule dims the red left half from 10 points in, and not the margin before it.
    const QImage image = render(shot, s, {}, {}, brand);
    const QRectF place = watermarkRect({ shot, s, {}, {}, brand }, layout, WatermarkPosition::bottomRight);
    EXPECT_TRUE(near(at(image, { 5, place.center().y() }), QColor(255, 0, 0)));
    EXPECT_LT(at(image, { place.left() + 4, place.center().y() }).red(), 230);

    // A name that fits is drawn whole, as before.
    const WatermarkConfig shortBrand { QStringLiteral("Acme"), QImage(), true, WatermarkPosition::bottomRight };
    EXPECT_LT(watermarkRect({ shot, s, {}, {}, shortBrand }, layout, WatermarkPosition::bottomRight).width(), 100);
}
