#include "EditorDocumentTestKit.h"
#include "editor/EditingGeometry.h"
#include "editor/EditingOverlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace EditingGeometry;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

EditingFrame frame()
{
    EditingFrame f;
    f.displaySize = QSizeF(1000, 500);
    f.shotRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
    f.imageRectNorm = QRectF(0.1, 0.2, 0.8, 0.6);
    f.crop = QRectF(0.25, 0.0, 0.5, 1.0);
    return f;
}

void expectRect(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

Annotation text(QString content, QPointF at = { 0.5, 0.5 })
{
    Annotation a = mark(Annotation::Kind::text, at, at);
    a.text = std::move(content);
    a.fontFraction = 0.05;
    return a;
}
}

TEST(EditingGeometry, PointerNormalisationNeverLeavesTheUnitSquare)
{
    const EditingFrame f = frame();
    EXPECT_EQ(normalizedPoint(f, { -40, -1 }), QPointF(0, 0));
    EXPECT_EQ(normalizedPoint(f, { 2000, 900 }), QPointF(1, 1));
    EXPECT_EQ(normalizedPoint(f, { 250, 125 }), QPointF(0.25, 0.25));
    EXPECT_EQ(normalizedPoint(f, { kNaN, kInf }), QPointF(0, 1));
    EXPECT_EQ(normalizedPoint(f, { -kInf, kNaN }), QPointF(0, 0));

    EditingFrame empty = f;
    for (QSizeF size : { QSizeF(0, 0), QSizeF(-10, -20), QSizeF(kNaN, 300) }) {
        empty.displaySize = size;
        const QPointF p = normalizedPoint(empty, { 30, 40 });
        EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
        EXPECT_EQ(p.x(), 0);
    }
}

TEST(EditingGeometry, ConversionsBetweenCanvasImageAndView)
{
    const EditingFrame f = frame();
    // Centre of the shown image is the centre of the crop.
    EXPECT_EQ(imagePointFromCanvas(f, { 0.5, 0.5 }), QPointF(0.5, 0.5));
    // Outside the shown image: onto the crop's border.
    EXPECT_EQ(imagePointFromCanvas(f, { 0.0, 0.95 }), QPointF(0.25, 1.0));
    EditingFrame noImage = f;
    noImage.imageRectNorm = QRectF(0.1, 0.1, 0, 0.5);
    EXPECT_EQ(imagePointFromCanvas(noImage, { 0.3, 0.7 }), QPointF(0.3, 0.7));

    // The crop's left half of the image shows across the image rectangle's left half.
    expectRect(viewRectFromImageRect(f, QRectF(0.25, 0.0, 0.25, 0.5)), QRectF(100, 100, 400, 150));
    // Parts outside the crop map outside the shown image, unclipped.
    EXPECT_LT(viewRectFromImageRect(f, QRectF(0, 0, 0.1, 0.1)).x(), 100);
    EditingFrame noCrop = f;
    noCrop.crop = QRectF(0.2, 0.2, 0, 0.4);
    EXPECT_EQ(viewRectFromImageRect(noCrop, QRectF(0.1, 0.1, 0.5, 0.5)), QRectF());

    expectRect(cropRectInCanvas(f, QRectF(0.75, 1.0, -0.5, -1.0)), QRectF(0.1, 0.2, 0.8, 0.6));
    EditingFrame zero = f;
    zero.displaySize = QSizeF(0, 0);
    EXPECT_EQ(cropRectInCanvas(zero, QRectF(0.25, 0, 0.5, 1)), QRectF());

    // Redactions move with the crop factor, the crop without it.
    EXPECT_EQ(*manualRedactionDelta(f, { 0.08, 0.06 }), QPointF(0.05, 0.1));
    EXPECT_EQ(*cropDelta(f, { 0.08, 0.06 }), QPointF(0.1, 0.1));
    EXPECT_FALSE(cropDelta(noImage, { 0.1, 0.1 }));
    EXPECT_FALSE(manualRedactionDelta(noImage, { 0.1, 0.1 }));
}

TEST(EditingGeometry, HandlesAreFoundCornersFirstWithinTolerance)
{
    const QRectF box(0.4, 0.4, 0.2, 0.2);
    EXPECT_EQ(boxHandleAt(box, { 0.42, 0.42 }), ResizeHandle::topLeft);
    EXPECT_EQ(boxHandleAt(box, { 0.5, 0.61 }), ResizeHandle::bottom);
    EXPECT_FALSE(boxHandleAt(box, { 0.431, 0.4 }));
    EXPECT_FALSE(boxHandleAt(box, { 0.4, 0.369 }));
    // A box so small that a corner and an edge midpoint overlap: the corner wins.
    const QRectF tiny(0.5, 0.5, 0.02, 0.02);
    EXPECT_EQ(boxHandleAt(tiny, { 0.505, 0.5 }), ResizeHandle::topLeft);
    // Right on the right edge's midpoint of a short box, but within reach of a corner.
    EXPECT_EQ(boxHandleAt(QRectF(0.5, 0.5, 0.05, 0.05), { 0.55, 0.525 }), ResizeHandle::topRight);

    FakeSensitiveTextScan scan;
    auto doc = makeDocument(scan);
    const EditingFrame f = frame();
    EXPECT_FALSE(resizeHandleAt(f, *doc, { 0.4, 0.4 }));
    Annotation arrow = mark(Annotation::Kind::arrow, { 0.3, 0.3 }, { 0.31, 0.3 });
    doc->addAnnotation(arrow);
    // Both ends in reach: the start is tried first.
    EXPECT_EQ(resizeHandleAt(f, *doc, { 0.305, 0.3 }), ResizeHandle::startPoint);
    EXPECT_EQ(resizeHandleAt(f, *doc, { 0.335, 0.3 }), ResizeHandle::endPoint);
    Annotation pen = mark(Annotation::Kind::pen, { 0.3, 0.3 }, { 0.5, 0.5 });
    pen.points = { { 0.3, 0.3 }, { 0.5, 0.5 } };
    doc->addAnnotation(pen);
    EXPECT_FALSE(resizeHandleAt(f, *doc, { 0.3, 0.3 }));
    doc->addAnnotation(text(QStringLiteral("Hi"), { 0.3, 0.3 }));
    EXPECT_FALSE(resizeHandleAt(f, *doc, { 0.3, 0.3 }));

    // A hand-drawn redaction's handles, in canvas units; none for an index past the end.
    doc->setSelectedAnnotation(std::nullopt);
    doc->setManualRedactions({ QRectF(0.25, 0.0, 0.25, 0.5) }); // canvas (0.1, 0.2)-(0.5, 0.5)
    doc->setSelectedManualRedaction(0);
    EXPECT_EQ(resizeHandleAt(f, *doc, { 0.5, 0.5 }), ResizeHandle::bottomRight);
    doc->setSelectedManualRedaction(3);
    EXPECT_FALSE(resizeHandleAt(f, *doc, { 0.5, 0.5 }));
}

TEST(EditingGeometry, ResizingClampsToBoundsAndMinimumSide)
{
    const QRectF r(0.1, 0.2, 0.4, 0.3);
    EXPECT_EQ(resizedRect(ResizeHandle::left, r, -0.3, 0).left(), 0);
    expectRect(resizedRect(ResizeHandle::left, r, 0.45, 0), QRectF(0.48, 0.2, 0.02, 0.3));
    expectRect(resizedRect(ResizeHandle::bottomRight, r, 0.8, -0.5), QRectF(0.1, 0.2, 0.9, 0.02));
    expectRect(resizedRect(ResizeHandle::top, r, 0.3, 0.05), QRectF(0.1, 0.25, 0.4, 0.25));
    EXPECT_EQ(resizedRect(ResizeHandle::endPoint, r, 0.3, 0.3), r);
    // Already narrower than the minimum: grows to it at the first drag of a side.
    expectRect(resizedRect(ResizeHandle::right, QRectF(0.5, 0.5, 0.005, 0.1), 0, 0), QRectF(0.5, 0.5, 0.02, 0.1));

    const QRectF crop(0.3, 0.2, 0.4, 0.5);
    expectRect(resizedCropRect(CropHandle::inside, crop, 0.5, 0), QRectF(0.6, 0.2, 0.4, 0.5));
    expectRect(resizedCropRect(CropHandle::inside, crop, -1, -1), QRectF(0, 0, 0.4, 0.5));
    const QRectF squeezed = resizedCropRect(CropHandle::right, crop, -0.9, 0);
    EXPECT_NEAR(squeezed.width(), 0.05, 1e-12);
    EXPECT_EQ(squeezed.left(), 0.3);

    const EditingFrame f = frame();
    // Crop (0.25..0.75) fills the image rectangle (0.1..0.9 by 0.2..0.8) on the canvas.
    EXPECT_EQ(cropHandleAt(f, QRectF(0.25, 0, 0.5, 1), { 0.12, 0.22 }), CropHandle::topLeft);
    EXPECT_EQ(cropHandleAt(f, QRectF(0.25, 0, 0.5, 1), { 0.5, 0.78 }), CropHandle::bottom);
    EXPECT_EQ(cropHandleAt(f, QRectF(0.25, 0, 0.5, 1), { 0.4, 0.4 }), CropHandle::inside);
    EXPECT_FALSE(cropHandleAt(f, QRectF(0.25, 0, 0.5, 1), { 0.95, 0.5 }));
}

TEST(EditingGeometry, HitTestsByKindAndTopmostWins)
{
    // A zero-length segment is hit near its point.
    EXPECT_NEAR(distanceToSegment({ 0.52, 0.5 }, { 0.5, 0.5 }, { 0.5, 0.5 }), 0.02, 1e-12);
    EXPECT_NEAR(distanceToSegment({ 0.5, 0.6 }, { 0.2, 0.5 }, { 0.8, 0.5 }), 0.1, 1e-12);
    EXPECT_NEAR(distanceToSegment({ 0.9, 0.5 }, { 0.2, 0.5 }, { 0.8, 0.5 }), 0.1, 1e-12);

    Annotation pen = mark(Annotation::Kind::pen, { 0.5, 0.5 }, { 0.5, 0.5 });
    pen.points = { { 0.5, 0.5 } };
    EXPECT_FALSE(hitTestAnnotation(pen, { 0.5, 0.5 }));
    pen.points.append(QPointF(0.6, 0.5));
    EXPECT_TRUE(hitTestAnnotation(pen, { 0.55, 0.52 }));

    // Empty and one-character texts are two characters wide: 0.06 plus margins either side.
    for (const QString& content : { QString(), QStringLiteral("A") }) {
        EXPECT_TRUE(hitTestAnnotation(text(content), { 0.5 + 0.03 + 0.0149, 0.5 }));
        EXPECT_FALSE(hitTestAnnotation(text(content), { 0.5 + 0.03 + 0.0151, 0.5 }));
    }
    Annotation small = text(QString());
    small.fontFraction = 0.01; // 0.012 wide, widened to 0.04
    EXPECT_TRUE(hitTestAnnotation(small, { 0.5 + 0.02 + 0.0149, 0.5 }));
    // Characters are what a reader counts: a family emoji, an accented letter built from a
    // combining mark and Hebrew letters each count once.
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    EXPECT_EQ(characterCount(family), 1);
    EXPECT_EQ(characterCount(QStringLiteral("e\u0301e\u0301e\u0301")), 3);
    EXPECT_EQ(characterCount(QStringLiteral("\u05E9\u05DC\u05D5\u05DD")), 4);
    EXPECT_FALSE(hitTestAnnotation(text(family + family + family), { 0.5 + 0.045 + 0.016, 0.5 }));
    EXPECT_TRUE(hitTestAnnotation(text(family + family + family), { 0.5 + 0.045 + 0.014, 0.5 }));

    // Maximum edges are outside.
    const Annotation box = mark(Annotation::Kind::box, { 0.6, 0.6 }, { 0.2, 0.2 });
    EXPECT_TRUE(hitTestAnnotation(box, { 0.185, 0.185 }));
    EXPECT_FALSE(hitTestAnnotation(box, { 0.615, 0.4 }));
    Annotation highlight = mark(Annotation::Kind::highlight, { 0.2, 0.2 }, { 0.3, 0.3 });
    highlight.highlightFullCanvas = true;
    EXPECT_FALSE(hitTestAnnotation(highlight, { 0.8, 0.8 }));

    const Annotation lower = mark(Annotation::Kind::box, { 0.1, 0.1 }, { 0.5, 0.5 });
    const Annotation upper = mark(Annotation::Kind::ellipse, { 0.3, 0.3 }, { 0.7, 0.7 });
    EXPECT_EQ(hitAnnotation({ lower, upper }, { 0.4, 0.4 })->id, upper.id);
    EXPECT_EQ(hitAnnotation({ upper, lower }, { 0.4, 0.4 })->id, lower.id);
    EXPECT_FALSE(hitAnnotation({ lower, upper }, { 0.9, 0.1 }));
}

TEST(EditingOverlay, FloatingPartsStandWhereTheEdgesAllow)
{
    const QSizeF size(600, 400);
    // Above the crop, or inside it when its top is near the layer's top.
    EXPECT_EQ(EditingOverlay::cropButtonsCenter(QRectF(100, 30, 300, 200), size), QPointF(366, 53));
    EXPECT_EQ(EditingOverlay::cropButtonsCenter(QRectF(100, 60, 300, 200), size), QPointF(366, 37));
    EXPECT_EQ(EditingOverlay::cropButtonsCenter(QRectF(100, 60, 500, 200), size).x(), 600 - 34);
    EXPECT_EQ(EditingOverlay::cropButtonsCenter(QRectF(0, 60, 10, 200), size).x(), 34);
    const QPointF safe = EditingOverlay::cropButtonsCenter(QRectF(kNaN, kInf, 10, 10), size);
    EXPECT_EQ(safe, QPointF(300, 20));

    // A short text's outline is three characters wide: 0.55 * 20 * 3 + 12.
    Annotation t = text(QStringLiteral("A"), { 0.5, 0.5 });
    t.fontFraction = 0.05;
    EXPECT_NEAR(EditingOverlay::annotationOutlineRect(t, size).width(), 45, 1e-9);
    // A tiny mark still gets an 18 pt outline.
    const Annotation dot = mark(Annotation::Kind::box, { 0.5, 0.5 }, { 0.501, 0.501 });
    EXPECT_EQ(EditingOverlay::annotationOutlineRect(dot, size).size(), QSizeF(18, 18));

    // Text bars hang off the left edge; shape bars keep 130 pt in; near the top they go below.
    EXPECT_EQ(EditingOverlay::formatBarCenter(text(QStringLiteral("A"), { 0.0, 0.5 }), size).x(), 0);
    EXPECT_EQ(EditingOverlay::formatBarCenter(text(QStringLiteral("A"), { 1.0, 0.5 }), size).x(), 600 - 68);
    EXPECT_EQ(EditingOverlay::formatBarCenter(text(QStringLiteral("A"), { 0.5, 0.5 }), size).y(), 200 - 10 - 28);
    const Annotation high = mark(Annotation::Kind::highlight, { 0.0, 0.05 }, { 0.1, 0.2 });
    EXPECT_EQ(EditingOverlay::formatBarCenter(high, size), QPointF(130, 80 + 28));
}

TEST(EditingGeometryMirrored, AMirroredShotMapsPointsRectanglesDragsAndHandlesMirrored)
{
    EditingFrame f = frame();
    f.flipH = true;
    f.flipV = true;
    // The shown image's top-left corner is the crop's bottom-right.
    const QPointF corner = imagePointFromCanvas(f, QPointF(0.1, 0.2));
    EXPECT_NEAR(corner.x(), 0.75, 1e-9);
    EXPECT_NEAR(corner.y(), 1.0, 1e-9);
    // A rectangle in the crop's top-left quarter shows in the shown image's bottom-right one, and
    // its corners map back onto it.
    const QRectF r(0.25, 0.0, 0.25, 0.5);
    const QRectF v = viewRectFromImageRect(f, r);
    expectRect(v, QRectF(500, 250, 400, 150));
    const QPointF a = imagePointFromCanvas(f, QPointF(v.left() / 1000, v.top() / 500));
    const QPointF b = imagePointFromCanvas(f, QPointF(v.right() / 1000, v.bottom() / 500));
    expectRect(QRectF(a, b).normalized(), r);
    // Dragging right and down on screen moves the rectangle left and up in the shot.
    const QPointF d = *manualRedactionDelta(f, QPointF(0.08, 0.06));
    EXPECT_NEAR(d.x(), -0.05, 1e-9);
    EXPECT_NEAR(d.y(), -0.1, 1e-9);
    EXPECT_NEAR(cropDelta(f, QPointF(0.08, 0.06))->x(), -0.1, 1e-9);
    // The handle at the shown top-left corner is the rectangle's bottom-right one.
    EXPECT_EQ(imageHandle(f, ResizeHandle::topLeft), ResizeHandle::bottomRight);
    EXPECT_EQ(imageHandle(f, CropHandle::top), CropHandle::bottom);
    EXPECT_EQ(imageHandle(f, CropHandle::inside), CropHandle::inside);
    f.flipV = false;
    EXPECT_EQ(imageHandle(f, ResizeHandle::bottomLeft), ResizeHandle::bottomRight);
    EXPECT_EQ(imageHandle(f, ResizeHandle::top), ResizeHandle::top);
    EXPECT_EQ(imageHandle(f, ResizeHandle::endPoint), ResizeHandle::endPoint);
}
