#include "EditorDocumentTestKit.h"

#include "render/CanvasLayout.h"
#include "support/Wait.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
const QRectF kEmail1(0.10, 0.10, 0.20, 0.03);
const QRectF kEmail2(0.10, 0.20, 0.25, 0.03);
const QRectF kPhone(0.50, 0.40, 0.15, 0.03);
const QRectF kCard(0.20, 0.70, 0.30, 0.04);

DetectionResult found()
{
    return { { RedactionKind::email, { kEmail1, kEmail2 } }, { RedactionKind::phone, { kPhone } },
        { RedactionKind::card, { kCard } } };
}

BeautifySettings hiding(std::set<RedactionKind> kinds)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.redactKinds = std::move(kinds);
    return s;
}

void setKinds(EditorDocument& doc, std::set<RedactionKind> kinds)
{
    BeautifySettings s = doc.settings();
    s.redactKinds = std::move(kinds);
    doc.setSettings(s);
}

// A point of the canvas in points, measured from the screenshot's centre.
QPointF fromShotCentre(const EditorDocument& doc, QPointF normalised)
{
    const CanvasLayout l = canvasLayout(doc.image(), doc.settings());
    return QPointF(normalised.x() * l.canvasWidth, normalised.y() * l.canvasHeight) - cardCenter(l, doc.settings());
}

// The same, measured from the centre of the image below any title bar.
QPointF fromImageCentre(const EditorDocument& doc, QPointF normalised)
{
    const CanvasLayout l = canvasLayout(doc.image(), doc.settings());
    return QPointF(normalised.x() * l.canvasWidth, normalised.y() * l.canvasHeight)
        - imageRect(l, doc.settings()).center();
}

void expectNear(QPointF actual, QPointF expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
}
}

TEST(EditorDocumentRedaction, GivenDetectionsApplyAtOnceWithoutAScan)
{
    FakeSensitiveTextScan scan;
    auto doc = makeDocument(scan, found(), hiding({ RedactionKind::email, RedactionKind::card }));
    EXPECT_EQ(scan.starts(), 0);
    EXPECT_TRUE(doc->didScan());
    EXPECT_EQ(doc->detected(), found());
    const std::map<RedactionKind, int> counts { { RedactionKind::email, 2 }, { RedactionKind::phone, 1 },
        { RedactionKind::card, 1 } };
    EXPECT_EQ(doc->redactionCounts(), counts);
    EXPECT_EQ(doc->redactionRects(), (QList<QRectF> { kEmail1, kEmail2, kCard }));

    doc->addManualRedaction(QRectF(0.6, 0.6, 0.1, 0.1));
    EXPECT_EQ(doc->allRedactionRects(), (QList<QRectF> { kEmail1, kEmail2, kCard, QRectF(0.6, 0.6, 0.1, 0.1) }));
}

TEST(EditorDocumentRedaction, TogglingAKindChangesOnlyItsRectangles)
{
    FakeSensitiveTextScan scan;
    auto doc = makeDocument(scan, found(), hiding({ RedactionKind::email, RedactionKind::phone }));
    const auto counts = doc->redactionCounts();
    QSignalSpy rects(doc.get(), &EditorDocument::redactionRectsChanged);

    setKinds(*doc, { RedactionKind::email });
    EXPECT_EQ(doc->redactionRects(), (QList<QRectF> { kEmail1, kEmail2 }));
    setKinds(*doc, { RedactionKind::email, RedactionKind::phone });
    EXPECT_EQ(doc->redactionRects(), (QList<QRectF> { kEmail1, kEmail2, kPhone }));
    // A kind that was not found contributes nothing.
    setKinds(*doc, { RedactionKind::ip });
    EXPECT_TRUE(doc->redactionRects().isEmpty());
    EXPECT_EQ(doc->redactionCounts(), counts);
    EXPECT_EQ(rects.count(), 3);

    // Other style changes leave the rectangles alone.
    BeautifySettings s = doc->settings();
    s.redactStyle = RedactStyle::block;
    doc->setSettings(s);
    EXPECT_EQ(rects.count(), 3);
}

TEST(EditorDocumentRedaction, OwnScanAppliesTheKindsEnabledWhenItArrives)
{
    FakeSensitiveTextScan scan;
    const QImage shot = flatImage(320, 200);
    auto doc = makeDocument(scan, std::nullopt, hiding({ RedactionKind::email }), shot);
    ASSERT_EQ(scan.starts(), 1);
    EXPECT_EQ(scan.image(), shot);
    EXPECT_EQ(scan.receiver(), doc.get());
    EXPECT_FALSE(doc->didScan());

    // Before the result nothing follows the kinds.
    setKinds(*doc, { RedactionKind::phone, RedactionKind::card });
    EXPECT_TRUE(doc->redactionRects().isEmpty());
    EXPECT_TRUE(doc->redactionCounts().empty());

    QSignalSpy counts(doc.get(), &EditorDocument::redactionCountsChanged);
    scan.finish(found());
    ASSERT_TRUE(waitUntil([&] { return doc->didScan(); }));
    EXPECT_EQ(counts.count(), 1);
    EXPECT_EQ(doc->redactionRects(), (QList<QRectF> { kPhone, kCard }));
}

TEST(EditorDocumentRedaction, AShotWithoutPixelsCountsAsScannedWithNothingFound)
{
    FakeSensitiveTextScan scan;
    auto doc = makeDocument(scan, std::nullopt, hiding({ RedactionKind::email }), QImage());
    EXPECT_EQ(scan.starts(), 0);
    EXPECT_TRUE(doc->didScan());
    EXPECT_TRUE(doc->redactionRects().isEmpty());
    EXPECT_TRUE(doc->redactionCounts().empty());
}

TEST(EditorDocumentRedaction, ADocumentGoneBeforeItsScanEndsIsLeftAlone)
{
    // The fake ignores the receiver, so only the document's own guard stands between the late
    // result and freed memory: gone before the scan answers, and gone between the answer and
    // the turn of the event loop that applies it.
    FakeSensitiveTextScan scan;
    auto doc = makeDocument(scan, std::nullopt);
    doc.reset();
    scan.finish(found());
    spin(20);

    doc = makeDocument(scan, std::nullopt);
    scan.finish(found());
    doc.reset();
    spin(20);
    EXPECT_EQ(scan.starts(), 2);
}

TEST(EditorDocumentRedaction, AnImmediateAnswerStillArrivesAfterConstruction)
{
    // Whoever builds the document connects to it after construction; a scan that answers at once
    // must not have been applied unseen by then.
    const SensitiveTextScan instant = [](const QImage&, QObject*, std::function<void(DetectionResult)> done) {
        done(found());
    };
    EditorDocument doc(flatImage(40, 30), QStringLiteral("Shot.png"), hiding({ RedactionKind::phone }), std::nullopt, instant);
    EXPECT_FALSE(doc.didScan());
    QSignalSpy rects(&doc, &EditorDocument::redactionRectsChanged);
    ASSERT_TRUE(waitUntil([&] { return doc.didScan(); }));
    EXPECT_EQ(rects.count(), 1);
    EXPECT_EQ(doc.redactionRects(), QList<QRectF> { kPhone });
}

class AnnotationRemap : public ::testing::Test {
protected:
    FakeSensitiveTextScan scan;
    // 400 x 300 points, default style: padding 72, canvas 544 x 444.
    std::unique_ptr<EditorDocument> doc = makeDocument(scan);

    QPointF centre() const
    {
        const CanvasLayout l = canvasLayout(doc->image(), doc->settings());
        const QPointF c = cardCenter(l, doc->settings());
        return { c.x() / l.canvasWidth, c.y() / l.canvasHeight };
    }

    // An arrow from 50 points right of the screenshot's centre to 50 right and 30 down.
    Annotation arrowRightOfCentre() const
    {
        const CanvasLayout l = canvasLayout(doc->image(), doc->settings());
        const QPointF c = cardCenter(l, doc->settings());
        return mark(Annotation::Kind::arrow, { (c.x() + 50) / l.canvasWidth, c.y() / l.canvasHeight },
            { (c.x() + 50) / l.canvasWidth, (c.y() + 30) / l.canvasHeight });
    }
};

TEST_F(AnnotationRemap, MarksKeepTheirPlaceRelativeToTheScreenshot)
{
    doc->addAnnotation(arrowRightOfCentre());
    Annotation pen = mark(Annotation::Kind::pen, {}, {});
    pen.points = { doc->annotations()[0].start, doc->annotations()[0].end };
    doc->addAnnotation(pen);

    BeautifySettings s = doc->settings();
    s.padding = 30;
    doc->setSettings(s);
    for (const Annotation& a : doc->annotations()) {
        expectNear(fromShotCentre(*doc, a.kind == Annotation::Kind::pen ? a.points[0] : a.start), { 50, 0 });
        expectNear(fromShotCentre(*doc, a.kind == Annotation::Kind::pen ? a.points[1] : a.end), { 50, 30 });
    }
    EXPECT_NEAR(doc->annotations()[0].start.x(), 370.0 / 640, 1e-12);

    // Off centre (the screenshot moves under the marks), then a frame and a wider canvas at once.
    s.balance = false;
    s.shotOffset = QSizeF(0.1, -0.05);
    doc->setSettings(s);
    const QPointF offCentre = fromImageCentre(*doc, doc->annotations()[0].start);
    s.windowFrame = WindowFrameStyle::light;
    s.aspect = AspectRatioOption::r16_9;
    doc->setSettings(s);
    expectNear(fromImageCentre(*doc, doc->annotations()[0].start), offCentre);
}

TEST_F(AnnotationRemap, MovingTheScreenshotOrRecolouringLeavesMarksOnTheCanvas)
{
    doc->addAnnotation(arrowRightOfCentre());
    const QList<Annotation> before = doc->annotations();
    BeautifySettings s = doc->settings();
    s.balance = false;
    s.shotOffset = QSizeF(0.2, 0.1);
    s.background = BackgroundPreset::snow;
    s.radius = 0;
    doc->setSettings(s);
    EXPECT_EQ(doc->annotations(), before);
}

TEST_F(AnnotationRemap, TextKeepsItsSizeInPoints)
{
    Annotation text = mark(Annotation::Kind::text, centre(), centre());
    text.fontFraction = 0.05;
    text.lineWidthFraction = 3;
    doc->addAnnotation(text);
    const double pointsBefore = 0.05 * canvasLayout(doc->image(), doc->settings()).canvasHeight;

    BeautifySettings s = doc->settings();
    s.aspect = AspectRatioOption::r9_16; // the canvas grows much taller
    doc->setSettings(s);
    const Annotation after = doc->annotations()[0];
    EXPECT_NEAR(after.fontFraction * canvasLayout(doc->image(), s).canvasHeight, pointsBefore, 1e-9);
    EXPECT_EQ(after.lineWidthFraction, 3);
    expectNear(after.start, centre());
}

TEST_F(AnnotationRemap, AStyleWithoutAFiniteCanvasLeavesMarksAlone)
{
    doc->addAnnotation(arrowRightOfCentre());
    const QList<Annotation> drawn = doc->annotations();
    BeautifySettings s = doc->settings();
    s.padding = qInf();
    doc->setSettings(s);
    EXPECT_EQ(doc->annotations(), drawn);
    s.padding = 18;
    doc->setSettings(s);
    EXPECT_EQ(doc->annotations(), drawn);
}

TEST_F(AnnotationRemap, UndoRestoresMarksWithoutMovingThemAgain)
{
    doc->addAnnotation(arrowRightOfCentre());
    const QList<Annotation> drawn = doc->annotations();
    doc->pushUndo();
    BeautifySettings s = doc->settings();
    s.padding = 40;
    doc->setSettings(s);
    const QList<Annotation> remapped = doc->annotations();
    ASSERT_NE(remapped, drawn);

    doc->undo();
    EXPECT_EQ(doc->annotations(), drawn);
    expectNear(fromShotCentre(*doc, doc->annotations()[0].start), { 50, 0 });
    doc->redo();
    EXPECT_EQ(doc->annotations(), remapped);
}

TEST_F(AnnotationRemap, UndoOfKindsBringsTheRectanglesBackInLine)
{
    doc->applyDetections(found());
    doc->pushUndo();
    setKinds(*doc, { RedactionKind::phone });
    EXPECT_EQ(doc->redactionRects(), QList<QRectF> { kPhone });
    doc->undo();
    EXPECT_TRUE(doc->redactionRects().isEmpty());
    doc->redo();
    EXPECT_EQ(doc->redactionRects(), QList<QRectF> { kPhone });
}

TEST_F(AnnotationRemap, ObserversSeeAConsistentDocument)
{
    // The notch panel re-renders on settingsChanged with no view in between: by then the marks
    // must already be where the new style puts them.
    doc->addAnnotation(arrowRightOfCentre());
    doc->applyDetections(found());
    int checked = 0;
    QObject::connect(doc.get(), &EditorDocument::settingsChanged, [&] {
        expectNear(fromShotCentre(*doc, doc->annotations()[0].start), { 50, 0 });
        EXPECT_EQ(doc->redactionRects(), (QList<QRectF> { kEmail1, kEmail2 }));
        ++checked;
    });
    BeautifySettings s = doc->settings();
    s.padding = 5;
    s.redactKinds = { RedactionKind::email };
    doc->setSettings(s);
    EXPECT_EQ(checked, 1);
}
