#include "render/AnnotationLayer.h"
#include "render/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
Annotation make(Annotation::Kind kind, QPointF start, QPointF end, int color = 0xFF0000)
{
    Annotation a;
    a.kind = kind;
    a.start = start;
    a.end = end;
    a.colorHex = color;
    return a;
}

// A mid-grey canvas of 400 x 300 at 1x with the screenshot at (0.25, 0.25, 0.5, 0.5).
QImage paintOnGrey(const QList<Annotation>& annotations, QSize size = QSize(400, 300))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(200, 200, 200));
    QPainter painter(&image);
    paintAnnotations(painter, QRectF(QPointF(0, 0), QSizeF(size)), annotations, QRectF(0.25, 0.25, 0.5, 0.5), 0);
    return image;
}

const QColor kGrey(200, 200, 200);
const QColor kDimmed(90, 90, 90); // 200 * (1 - 0.55)
}

TEST(AnnotationLayer, SizesScaleWithTheCanvasAndKeepTheirMinimums)
{
    const QSizeF canvas(1200, 800);
    Annotation a = make(Annotation::Kind::line, {}, {});
    a.lineWidthFraction = 3;
    a.dashed = true;
    const QPen pen = annotationPen(a, canvas);
    EXPECT_DOUBLE_EQ(pen.widthF(), 8);
    // Qt counts dashes in pen widths: 20.8 on and 16 off.
    ASSERT_EQ(pen.dashPattern().size(), 2);
    EXPECT_NEAR(pen.dashPattern()[0] * pen.widthF(), 20.8, 1e-9);
    EXPECT_NEAR(pen.dashPattern()[1] * pen.widthF(), 16, 1e-9);
    EXPECT_EQ(pen.capStyle(), Qt::RoundCap);
    EXPECT_EQ(pen.joinStyle(), Qt::RoundJoin);

    const QSizeF tiny(40, 30);
    EXPECT_DOUBLE_EQ(annotationLineWidth(1, tiny), 1);
    EXPECT_DOUBLE_EQ(annotationFontSize(0.04, tiny), 8);
    EXPECT_DOUBLE_EQ(annotationFontSize(0.05, canvas), 40); // of the height, not the shorter side
}

TEST(AnnotationLayer, ArrowHeadGeometry)
{
    // On 1200 x 800 the head is 40 long and 22 to each side.
    const ArrowShape arrow { QPointF(100, 100), QPointF(300, 100), 40 };
    const QPainterPath path = arrow.path();
    ASSERT_EQ(path.elementCount(), 6);
    EXPECT_EQ(QPointF(path.elementAt(1)), QPointF(260, 100));
    EXPECT_EQ(QPointF(path.elementAt(2)), QPointF(300, 100));
    EXPECT_EQ(QPointF(path.elementAt(3)), QPointF(260, 122));
    EXPECT_EQ(QPointF(path.elementAt(4)), QPointF(260, 78));

    const QPainterPath still = ArrowShape { QPointF(50, 60), QPointF(50, 60), 10 }.path();
    for (int i = 0; i < still.elementCount(); ++i) {
        EXPECT_TRUE(std::isfinite(still.elementAt(i).x) && std::isfinite(still.elementAt(i).y));
        EXPECT_EQ(QPointF(still.elementAt(i)), QPointF(50, 60));
    }
}

TEST(AnnotationLayer, StrokesAndShapesLandWhereTheirFractionsSay)
{
    Annotation line = make(Annotation::Kind::line, { 0.1, 0.1 }, { 0.9, 0.1 }, 0x0000FF);
    line.lineWidthFraction = 6; // 6 units on a 300-high canvas
    Annotation box = make(Annotation::Kind::box, { 0.6, 0.9 }, { 0.1, 0.5 }, 0x00FF00); // corners given backwards
    box.fillOpacity = 1;
    Annotation emptyPen = make(Annotation::Kind::pen, {}, {});
    const QImage image = paintOnGrey({ line, box, emptyPen });

    EXPECT_TRUE(near(image.pixel(200, 30), Qt::blue, 2));
    EXPECT_TRUE(near(image.pixel(41, 30), Qt::blue, 2));  // inside the round cap
    EXPECT_TRUE(near(image.pixel(30, 28), kGrey, 0));     // beyond it
    EXPECT_TRUE(near(image.pixel(200, 45), kGrey, 0));   // below the line and its shadow
    EXPECT_TRUE(near(image.pixel(140, 210), Qt::green, 0)); // filled box interior
    EXPECT_TRUE(near(image.pixel(20, 210), kGrey, 0));     // left of the box
    // The box corner is rounded (radius 6 here): its very corner stays clear of the fill.
    EXPECT_TRUE(near(image.pixel(37, 147), kGrey, 40));
}

TEST(AnnotationLayer, DashedStrokesHaveGaps)
{
    Annotation line = make(Annotation::Kind::line, { 0.05, 0.5 }, { 0.95, 0.5 }, 0x000000);
    line.lineWidthFraction = 3; // width 3 on 300: dashes 7.8 + caps, gaps 6 - caps
    line.dashed = true;
    const QImage image = paintOnGrey({ line });
    int dark = 0, light = 0;
    for (int x = 30; x < 370; ++x) {
        const int v = qRed(image.pixel(x, 150));
        dark += v < 60;
        light += v > 150;
    }
    EXPECT_GT(dark, 100);
    EXPECT_GT(light, 20);
}

TEST(AnnotationLayer, TextIsCentredOnItsAnchor)
{
    Annotation text = make(Annotation::Kind::text, { 0.5, 0.5 }, {}, 0x000000);
    text.text = QStringLiteral("Centred\nsecond line");
    text.fontFraction = 0.1;
    const QRectF canvas(0, 0, 400, 300);
    const QRectF bounds = annotationTextPath(text, canvas).boundingRect();
    EXPECT_NEAR(bounds.center().x(), 200, 4);
    EXPECT_NEAR(bounds.center().y(), 150, 6);
    EXPECT_GT(bounds.height(), 50); // two lines of 30

    // The outline scales with the canvas, so the layout is the same at every render scale.
    const QRectF doubled = annotationTextPath(text, QRectF(0, 0, 800, 600)).boundingRect();
    EXPECT_NEAR(doubled.width(), bounds.width() * 2, 0.5);

    Annotation empty = text;
    empty.text.clear();
    EXPECT_TRUE(annotationTextPath(empty, canvas).boundingRect().isEmpty());
    const QImage image = paintOnGrey({ empty });
    EXPECT_TRUE(near(image.pixel(200, 150), kGrey, 0));
}

TEST(AnnotationLayer, HighlightWindowsAreAllClear)
{
    // Two overlapping windows inside the screenshot, a third reaching past its edge.
    const Annotation a = make(Annotation::Kind::highlight, { 0.3, 0.3 }, { 0.5, 0.5 });
    const Annotation b = make(Annotation::Kind::highlight, { 0.4, 0.4 }, { 0.6, 0.6 });
    const Annotation c = make(Annotation::Kind::highlight, { 0.65, 0.6 }, { 0.9, 0.9 });
    const QImage image = paintOnGrey({ a, b, c });

    EXPECT_TRUE(near(image.pixel(180, 135), kGrey, 0));  // overlap of a and b
    EXPECT_TRUE(near(image.pixel(140, 105), kGrey, 0));  // a alone
    EXPECT_TRUE(near(image.pixel(330, 250), kGrey, 0));  // c, outside the screenshot
    EXPECT_TRUE(near(image.pixel(280, 210), kGrey, 0));  // c, inside the screenshot
    EXPECT_TRUE(near(image.pixel(110, 200), kDimmed, 1)); // screenshot outside every window
    EXPECT_TRUE(near(image.pixel(20, 20), kGrey, 0));    // background stays undimmed
}

TEST(AnnotationLayer, HighlightsSitAboveLaterMarksAndCanDimTheWholeCanvas)
{
    Annotation highlight = make(Annotation::Kind::highlight, { 0.3, 0.3 }, { 0.4, 0.4 });
    Annotation box = make(Annotation::Kind::box, { 0.55, 0.55 }, { 0.7, 0.7 }, 0xFFFFFF);
    box.fillOpacity = 1;
    const QImage image = paintOnGrey({ highlight, box });
    // The box comes later in the list but is still under the dimming.
    EXPECT_TRUE(near(image.pixel(250, 187), QColor(115, 115, 115), 1));

    highlight.highlightFullCanvas = true;
    const QImage full = paintOnGrey({ highlight, make(Annotation::Kind::highlight, { 0.8, 0.8 }, { 0.9, 0.9 }) });
    EXPECT_TRUE(near(full.pixel(10, 10), kDimmed, 1));
    EXPECT_TRUE(near(full.pixel(340, 255), kGrey, 0));
}

TEST(AnnotationLayer, StrokesCastASoftShadowBelowThem)
{
    Annotation line = make(Annotation::Kind::line, { 0.1, 0.5 }, { 0.9, 0.5 }, 0xFFFFFF);
    line.lineWidthFraction = 3; // 3 units wide on a 300-high canvas, centred on y = 150
    QImage image(QSize(800, 600), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    image.setDevicePixelRatio(2);
    {
        QPainter painter(&image);
        paintAnnotations(painter, QRectF(0, 0, 400, 300), { line }, QRectF(0, 0, 1, 1), 0);
    }
    // Device pixels: the stroke covers y 297-302; the shadow falls below it, fading out.
    const int justBelow = qRed(image.pixel(400, 304));
    const int further = qRed(image.pixel(400, 307));
    EXPECT_LT(justBelow, 250);
    EXPECT_GT(justBelow, 200); // a soft 20 % shadow, not a hard dark edge
    EXPECT_GT(further, justBelow);
    EXPECT_EQ(qRed(image.pixel(400, 320)), 255);
    EXPECT_GE(qRed(image.pixel(400, 293)), qRed(image.pixel(400, 304))); // offset downwards
}

TEST(AnnotationLayer, TheLayerDrawsLikeItsMarksOneByOne)
{
    QList<Annotation> marks;
    for (int i = 0; i < 12; ++i) {
        Annotation a = make(i % 3 == 0 ? Annotation::Kind::text : i % 3 == 1 ? Annotation::Kind::pen : Annotation::Kind::arrow,
            { 0.1 + 0.06 * i, 0.2 + 0.05 * i }, { 0.5, 0.5 }, 0x102030 * (i + 1));
        a.text = QStringLiteral("Mark %1").arg(i);
        a.points = { QPointF(0.1, 0.1 * (i % 9)), QPointF(0.9, 0.3), QPointF(0.2, 0.8) };
        marks.append(a);
    }
    const QImage together = paintOnGrey(marks);
    QImage oneByOne(together.size(), QImage::Format_ARGB32_Premultiplied);
    oneByOne.fill(kGrey);
    {
        QPainter painter(&oneByOne);
        for (const Annotation& a : marks)
            paintAnnotation(painter, QRectF(0, 0, 400, 300), a);
    }
    EXPECT_EQ(together, oneByOne);
}
