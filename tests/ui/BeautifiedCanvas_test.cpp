#include "ui/BeautifiedCanvas.h"

#include "support/Wait.h"

#include "support/SyntheticShots.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {
CanvasContent content(BackgroundPreset background, WatermarkPosition corner = WatermarkPosition::bottomRight)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.shadow = 0;
    s.background = background;
    s.aspect = AspectRatioOption::r1_1;
    s.watermark = true;
    return { redBlueHalves(), s, {}, {}, { QStringLiteral("Lumaforge"), QImage(), false, corner } };
}

QColor centreOfCapsule(const QImage& grabbed, const CanvasContent& c, WatermarkPosition corner, double scale)
{
    const QRectF r = watermarkRect(c, canvasLayout(c.image, c.settings), corner);
    return grabbed.pixelColor(int(r.left() * scale + 3), int(r.center().y() * scale));
}
}

TEST(BeautifiedCanvasWidget, PaintsTheSameCanvasWithACheckerboardForNone)
{
    CanvasContent c = content(BackgroundPreset::none);
    c.settings.radius = 0;
    c.settings.watermark = false;
    BeautifiedCanvas canvas;
    canvas.setContent(c);
    EXPECT_EQ(canvas.sizeHint(), QSize(400, 400));
    canvas.resize(800, 800); // scaled to fit: two pixels a point
    const QImage grabbed = canvas.grab().toImage();
    // Above the card the checkerboard shows instead of transparency.
    EXPECT_EQ(grabbed.pixelColor(400, 10).alpha(), 255);
    EXPECT_EQ(grabbed.pixelColor(200, 400), QColor(255, 0, 0));
    EXPECT_EQ(grabbed.pixelColor(600, 400), QColor(0, 0, 255));
}

TEST(BeautifiedCanvasWidget, AnimatesBackgroundAndWatermarkToTheirNewState)
{
    BeautifiedCanvas canvas;
    canvas.setContent(content(BackgroundPreset::noir));
    const QSize hint = canvas.sizeHint();
    canvas.resize(hint);
    const QImage before = canvas.grab().toImage();

    // A new background fades in rather than switching at once.
    canvas.setContent(content(BackgroundPreset::snow));
    spin(100);
    const QColor midFade = canvas.grab().toImage().pixelColor(5, 5);
    ASSERT_TRUE(waitUntil([&] { return canvas.grab().toImage().pixelColor(5, 5).lightness() > 200; }, 2000));
    EXPECT_NE(midFade, canvas.grab().toImage().pixelColor(5, 5));
    EXPECT_NE(before.pixelColor(5, 5), canvas.grab().toImage().pixelColor(5, 5));

    // The watermark travels to its new corner and settles there.
    const CanvasContent moved = content(BackgroundPreset::snow, WatermarkPosition::topLeft);
    canvas.setContent(moved);
    ASSERT_TRUE(waitUntil([&] {
        const QImage now = canvas.grab().toImage();
        return centreOfCapsule(now, moved, WatermarkPosition::topLeft, 1).lightness() < 200;
    }, 3000));
    spin(700);
    const QImage settled = canvas.grab().toImage();
    EXPECT_LT(centreOfCapsule(settled, moved, WatermarkPosition::topLeft, 1).lightness(), 200);
    EXPECT_GT(centreOfCapsule(settled, moved, WatermarkPosition::bottomRight, 1).lightness(), 200);
}

TEST(BeautifiedCanvasWidget, PaintsTheSameInsideAParentAtAnOffset)
{
    // The editor shows the canvas as a child of its stage: images laid down at device pixels
    // (the card, the marks' shadows) must follow the child's offset.
    CanvasContent c = content(BackgroundPreset::none);
    c.settings.radius = 0;
    c.settings.watermark = false;
    Annotation note;
    note.kind = Annotation::Kind::text;
    note.start = note.end = QPointF(0.5, 0.2);
    note.text = QStringLiteral("Shadowed");
    note.fontFraction = 0.08;
    c.annotations = { note };
    QWidget stage;
    stage.resize(900, 900);
    auto* canvas = new BeautifiedCanvas(&stage);
    canvas->setContent(c);
    canvas->setGeometry(50, 70, 800, 800);
    const QImage alone = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage inStage = stage.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(50, 70, 800, 800);
    EXPECT_EQ(inStage.pixelColor(200, 400), QColor(255, 0, 0));
    EXPECT_EQ(inStage.pixelColor(600, 400), QColor(0, 0, 255));
    int differing = 0;
    for (int y = 0; y < 800; y += 2) {
        for (int x = 0; x < 800; x += 2) {
            const QColor a = alone.pixelColor(x, y), b = inStage.pixelColor(x, y);
            differing += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 24;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST(BeautifiedCanvasWidget, KeepsOnlyAViewSizedRenderOfAHugelyZoomedCanvas)
{
    // Zoomed far past its window, the canvas renders what the window shows plus a margin for
    // panning, and a pan within that margin renders nothing new.
    QWidget window;
    window.resize(320, 240);
    auto* canvas = new BeautifiedCanvas(&window);
    canvas->setContent(content(BackgroundPreset::noir));
    const QSize hint = canvas->sizeHint();
    canvas->setGeometry(-hint.width() * 20 + 160, -hint.height() * 20 + 120, hint.width() * 40, hint.height() * 40);
    window.show();
    const QImage first = window.grab().toImage();
    EXPECT_EQ(canvas->renderCount(), 1);
    const QSize kept = canvas->keptRenderSize();
    EXPECT_LE(qint64(kept.width()) * kept.height(), qint64(320 + 2 * 512) * (240 + 2 * 512));
    canvas->move(canvas->pos() + QPoint(30, -20));
    window.grab();
    EXPECT_EQ(canvas->renderCount(), 1);
    Q_UNUSED(first);
}
