// Cropping under annotations: the marks stay over the part of the image they were drawn on, and
// a style applied from a preset never brings the crop of another shot.
#include "EditorDocumentTestKit.h"

#include "model/StylePreset.h"
#include "render/CanvasLayout.h"

#include <gtest/gtest.h>

namespace {

// Where a point of the uncropped image (fractions) shows on the canvas (fractions), as the
// painter places it: the crop fills the shown image, then the shown part is mirrored.
QPointF canvasFromImage(const EditorDocument& doc, const BeautifySettings& s, QPointF u)
{
    const CanvasLayout l = canvasLayout(doc.image(), s);
    const QRectF shown = imageRect(l, s);
    double x = shown.left() + (u.x() - l.crop.x()) * l.fullWidth;
    double y = shown.top() + (u.y() - l.crop.y()) * l.fullHeight;
    if (s.flipH)
        x = shown.left() + shown.right() - x;
    if (s.flipV)
        y = shown.top() + shown.bottom() - y;
    return { x / l.canvasWidth, y / l.canvasHeight };
}

QPointF imageFromCanvas(const EditorDocument& doc, const BeautifySettings& s, QPointF p)
{
    const CanvasLayout l = canvasLayout(doc.image(), s);
    const QRectF shown = imageRect(l, s);
    double x = p.x() * l.canvasWidth;
    double y = p.y() * l.canvasHeight;
    if (s.flipH)
        x = shown.left() + shown.right() - x;
    if (s.flipV)
        y = shown.top() + shown.bottom() - y;
    return { l.crop.x() + (x - shown.left()) / l.fullWidth, l.crop.y() + (y - shown.top()) / l.fullHeight };
}

void expectNear(QPointF actual, QPointF expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

// Every point of every mark, in drawing order.
QList<QPointF> pointsOf(const QList<Annotation>& marks)
{
    QList<QPointF> points;
    for (const Annotation& a : marks)
        points << a.start << a.end << a.points;
    return points;
}

class AnnotationCrop : public ::testing::Test {
protected:
    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc = makeDocument(scan);

    // A box around a line of text halfway down the shot, an arrow pointing at it, a pen stroke
    // under it and a text label beside it, all placed by image position.
    void drawAroundALine()
    {
        const BeautifySettings s = doc->settings();
        const auto at = [&](double x, double y) { return canvasFromImage(*doc, s, { x, y }); };
        doc->addAnnotation(mark(Annotation::Kind::box, at(0.18, 0.47), at(0.72, 0.57)));
        doc->addAnnotation(mark(Annotation::Kind::arrow, at(0.9, 0.3), at(0.74, 0.5)));
        Annotation pen = mark(Annotation::Kind::pen, {}, {});
        pen.points = { at(0.2, 0.6), at(0.4, 0.62), at(0.7, 0.6) };
        doc->addAnnotation(pen);
        Annotation text = mark(Annotation::Kind::text, at(0.75, 0.52), at(0.75, 0.52));
        text.text = QStringLiteral("this one");
        text.fontFraction = 0.04;
        doc->addAnnotation(text);
    }

    QList<QPointF> imagePoints() const
    {
        QList<QPointF> out;
        for (const QPointF& p : pointsOf(doc->annotations()))
            out << imageFromCanvas(*doc, doc->settings(), p);
        return out;
    }

    double textPoints() const { return doc->annotations().last().fontFraction * canvasLayout(doc->image(), doc->settings()).canvasHeight; }
};

}

TEST_F(AnnotationCrop, MarksStayOverWhatTheyWereDrawnOnAsTheCropChanges)
{
    drawAroundALine();
    const QList<QPointF> before = imagePoints();
    const double textBefore = textPoints();

    // The top cut off in one write, then the left and bottom dragged in small steps, as a crop
    // handle does: the shot's centre shows another part of the image at every step.
    BeautifySettings s = doc->settings();
    s.cropRect = QRectF(0, 0.4, 1, 0.6);
    doc->setSettings(s);
    for (int step = 1; step <= 20; ++step) {
        s.cropRect = QRectF(0.01 * step, 0.4, 1 - 0.01 * step, 0.6 - 0.005 * step);
        doc->setSettings(s);
    }
    const QList<QPointF> after = imagePoints();
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        expectNear(after[i], before[i]);
    EXPECT_NEAR(textPoints(), textBefore, 1e-9);

    // Other changes after the crop still keep marks relative to the screenshot's centre: the
    // shown part stays under them.
    s.padding = 40;
    s.aspect = AspectRatioOption::r1_1;
    doc->setSettings(s);
    const QList<QPointF> padded = imagePoints();
    for (qsizetype i = 0; i < before.size(); ++i)
        expectNear(padded[i], before[i]);

    // Back to the whole image: every mark is where it was drawn.
    s.cropRect = QRectF(0, 0, 1, 1);
    doc->setSettings(s);
    for (qsizetype i = 0; i < before.size(); ++i)
        expectNear(imagePoints()[i], before[i]);
}

TEST_F(AnnotationCrop, AMirroredShotKeepsItsMarksThroughACrop)
{
    BeautifySettings s = doc->settings();
    s.flipH = true;
    s.flipV = true;
    doc->setSettings(s);
    drawAroundALine();
    const QList<QPointF> before = imagePoints();
    s.cropRect = QRectF(0.1, 0.3, 0.7, 0.6);
    doc->setSettings(s);
    const QList<QPointF> after = imagePoints();
    for (qsizetype i = 0; i < before.size(); ++i)
        expectNear(after[i], before[i]);

    // Unflipping mirrors the marks with the shot: each stays over its content.
    s.flipH = false;
    doc->setSettings(s);
    const QList<QPointF> unflipped = imagePoints();
    for (qsizetype i = 0; i < before.size(); ++i)
        expectNear(unflipped[i], before[i]);
}

TEST_F(AnnotationCrop, AFlipOfAnOffCentreCroppedShotTakesItsMarksAlong)
{
    // The shot off the centre of a wider canvas, cropped: the mirror is about the shown part,
    // not the canvas.
    BeautifySettings s = doc->settings();
    s.aspect = AspectRatioOption::r16_9;
    s.balance = false;
    s.shotOffset = QSizeF(0.12, -0.06);
    s.cropRect = QRectF(0.1, 0.2, 0.75, 0.7);
    doc->setSettings(s);
    drawAroundALine();
    const QList<QPointF> before = imagePoints();
    const QList<Annotation> drawn = doc->annotations();
    const double textBefore = textPoints();

    doc->pushUndo();
    s.flipH = true;
    doc->setSettings(s);
    for (qsizetype i = 0; i < before.size(); ++i)
        expectNear(imagePoints()[i], before[i]);
    // The arrow, drawn pointing left, points right with the mirrored shot; its head is its end.
    const Annotation arrow = doc->annotations()[1];
    ASSERT_LT(drawn[1].end.x(), drawn[1].start.x());
    EXPECT_GT(arrow.end.x(), arrow.start.x());
    EXPECT_NEAR(textPoints(), textBefore, 1e-9);

    doc->pushUndo();
    s.flipV = true;
    doc->setSettings(s);
    for (qsizetype i = 0; i < before.size(); ++i)
        expectNear(imagePoints()[i], before[i]);

    // Undo takes the marks back with the flips, redo forward again.
    const QList<Annotation> bothFlipped = doc->annotations();
    doc->undo();
    doc->undo();
    EXPECT_EQ(doc->annotations(), drawn);
    doc->redo();
    doc->redo();
    EXPECT_EQ(doc->annotations(), bothFlipped);
}

TEST_F(AnnotationCrop, UndoOfACropRestoresTheMarksAsTheyWere)
{
    drawAroundALine();
    const QList<Annotation> drawn = doc->annotations();
    doc->pushUndo();
    BeautifySettings s = doc->settings();
    s.cropRect = QRectF(0, 0.45, 1, 0.55);
    doc->setSettings(s);
    const QList<Annotation> cropped = doc->annotations();
    ASSERT_NE(cropped, drawn);
    doc->undo();
    EXPECT_EQ(doc->annotations(), drawn);
    doc->redo();
    EXPECT_EQ(doc->annotations(), cropped);
}

// While the crop tool is active the editor shows the whole image: the marks shown there are
// over the same content, and come back unchanged.
TEST_F(AnnotationCrop, TheUncroppedViewShowsMarksOverTheSameContent)
{
    BeautifySettings s = doc->settings();
    s.cropRect = QRectF(0.2, 0.25, 0.6, 0.5);
    doc->setSettings(s);
    drawAroundALine();
    BeautifySettings whole = s;
    whole.cropRect = QRectF(0, 0, 1, 1);
    const QSizeF size = doc->image().deviceIndependentSize();
    const QList<Annotation> shown = remappedAnnotations(size, s, whole, doc->annotations());
    const QList<QPointF> content = imagePoints();
    const QList<QPointF> shownPoints = pointsOf(shown);
    for (qsizetype i = 0; i < content.size(); ++i)
        expectNear(imageFromCanvas(*doc, whole, shownPoints[i]), content[i]);
    const QList<QPointF> back = pointsOf(remappedAnnotations(size, whole, s, shown));
    const QList<QPointF> drawn = pointsOf(doc->annotations());
    for (qsizetype i = 0; i < drawn.size(); ++i)
        expectNear(back[i], drawn[i]);
    // The same style maps to itself without a copy.
    const QList<Annotation> marks = doc->annotations();
    EXPECT_EQ(remappedAnnotations(size, s, s, marks).constData(), marks.constData());
}

TEST_F(AnnotationCrop, AStyleFromAPresetKeepsTheShotsOwnCropAndHiddenKinds)
{
    const QRectF email(0.1, 0.1, 0.2, 0.05);
    auto found = makeDocument(scan, DetectionResult { { RedactionKind::email, { email } } });
    BeautifySettings own = found->settings();
    own.redactKinds = { RedactionKind::email };
    own.cropRect = QRectF(0.1, 0.2, 0.5, 0.6);
    found->setSettings(own);

    // Saved from another shot: cropped to its own corner, nothing hidden, another look.
    BeautifySettings saved = BeautifySettings::defaults();
    saved.cropRect = QRectF(0.5, 0.5, 0.5, 0.5);
    saved.padding = 30;
    saved.background = BackgroundPreset::snow;
    found->applyStyle(saved);
    EXPECT_EQ(found->settings().cropRect, own.cropRect);
    EXPECT_EQ(found->settings().padding, 30);
    EXPECT_EQ(found->settings().background, BackgroundPreset::snow);
    EXPECT_EQ(found->settings().redactKinds, std::set<RedactionKind> { RedactionKind::email });
    EXPECT_EQ(found->redactionRects(), QList<QRectF> { email });

    // An uncropped shot stays uncropped.
    doc->applyStyle(saved);
    EXPECT_EQ(doc->settings().cropRect, QRectF(0, 0, 1, 1));
    EXPECT_EQ(styleForShot(saved, QRectF(0, 0, 1, 1)).padding, 30);
}
