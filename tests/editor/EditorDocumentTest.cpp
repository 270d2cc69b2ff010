#include "EditorDocumentTestKit.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
BeautifySettings withPadding(double padding)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.padding = padding;
    return s;
}

class EditorDocumentTest : public ::testing::Test {
protected:
    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc = makeDocument(scan);
};
}

TEST_F(EditorDocumentTest, HistoryKeepsTheNewestSixtySteps)
{
    for (int i = 1; i <= 61; ++i) {
        doc->setSettings(withPadding(i));
        doc->pushUndo();
    }
    EXPECT_EQ(doc->undoCount(), 60);

    for (int i = 0; i < 60; ++i)
        doc->undo();
    // The first push fell off: the oldest state left is the second one.
    EXPECT_EQ(doc->settings().padding, 2);
    EXPECT_FALSE(doc->canUndo());
    EXPECT_EQ(doc->redoCount(), 60);

    doc->undo();
    EXPECT_EQ(doc->settings().padding, 2);
    EXPECT_EQ(doc->undoCount() + doc->redoCount(), 60);

    for (int i = 0; i < 60; ++i)
        doc->redo();
    EXPECT_EQ(doc->settings().padding, 61);
    EXPECT_EQ(doc->undoCount(), 60);
}

TEST_F(EditorDocumentTest, UndoAndRedoRestoreStyleMarksAndHandDrawnAreas)
{
    const BeautifySettings before = doc->settings();
    const Annotation arrow = mark(Annotation::Kind::arrow, { 0.3, 0.3 }, { 0.6, 0.5 });

    doc->addAnnotation(arrow); // step 1: nothing drawn yet
    doc->addManualRedaction(QRectF(0.1, 0.1, 0.2, 0.1)); // step 2
    doc->pushUndo(); // step 3, before a style change
    BeautifySettings styled = before;
    styled.radius = 4;
    styled.windowFrame = WindowFrameStyle::dark;
    doc->setSettings(styled);
    const QList<Annotation> marksAfter = doc->annotations();
    const QList<QRectF> areasAfter = doc->manualRedactions();
    doc->setTool(AnnotationTool::pen);
    doc->zoomIn();

    doc->undo();
    EXPECT_EQ(doc->settings(), before);
    EXPECT_EQ(doc->annotations(), QList<Annotation> { arrow });
    doc->undo();
    doc->undo();
    EXPECT_TRUE(doc->annotations().isEmpty());
    EXPECT_TRUE(doc->manualRedactions().isEmpty());

    doc->setSelectedAnnotation(arrow.id);
    doc->setSelectedManualRedaction(0);
    doc->redo();
    doc->redo();
    doc->redo();
    EXPECT_EQ(doc->settings(), styled);
    EXPECT_EQ(doc->annotations(), marksAfter);
    EXPECT_EQ(doc->manualRedactions(), areasAfter);
    EXPECT_FALSE(doc->selectedAnnotation());
    EXPECT_FALSE(doc->selectedManualRedaction());
    // Neither tool nor zoom is part of the history.
    EXPECT_EQ(doc->tool(), AnnotationTool::pen);
    EXPECT_EQ(doc->zoom(), 1.25);
}

TEST_F(EditorDocumentTest, NewStepAfterUndoDropsTheRedoHistory)
{
    doc->setSettings(withPadding(10));
    doc->pushUndo();
    doc->setSettings(withPadding(20));
    doc->undo();
    ASSERT_TRUE(doc->canRedo());

    QSignalSpy history(doc.get(), &EditorDocument::historyChanged);
    doc->pushUndo();
    EXPECT_FALSE(doc->canRedo());
    EXPECT_EQ(history.count(), 1);
    doc->redo();
    EXPECT_EQ(doc->settings().padding, 10);

    // Without history undo and redo change nothing and announce nothing.
    auto fresh = makeDocument(scan);
    QSignalSpy settings(fresh.get(), &EditorDocument::settingsChanged);
    fresh->undo();
    fresh->redo();
    EXPECT_EQ(settings.count(), 0);
}

TEST_F(EditorDocumentTest, AddingAndDeletingMarksRecordTheirOwnSteps)
{
    const Annotation box = mark(Annotation::Kind::box, { 0.1, 0.1 }, { 0.3, 0.3 });
    doc->addAnnotation(box);
    EXPECT_EQ(doc->selectedAnnotation(), box.id);
    EXPECT_EQ(doc->selectedAnnotationValue(), box);
    EXPECT_EQ(doc->undoCount(), 1);

    // Nothing selected: no step.
    doc->setSelectedAnnotation(std::nullopt);
    doc->deleteSelectedAnnotation();
    EXPECT_EQ(doc->undoCount(), 1);
    EXPECT_EQ(doc->annotations().size(), 1);

    // A selection whose mark is gone still records a step and is cleared.
    doc->setSelectedAnnotation(QUuid::createUuid());
    EXPECT_FALSE(doc->selectedAnnotationValue());
    doc->deleteSelectedAnnotation();
    EXPECT_EQ(doc->undoCount(), 2);
    EXPECT_FALSE(doc->selectedAnnotation());
    EXPECT_EQ(doc->annotations().size(), 1);

    doc->setSelectedAnnotation(box.id);
    doc->deleteSelectedAnnotation();
    EXPECT_TRUE(doc->annotations().isEmpty());
    doc->undo();
    EXPECT_EQ(doc->annotations(), QList<Annotation> { box });
}

TEST_F(EditorDocumentTest, FormatChangesReachOnlyTheSelectedMarkAndRecordNoStep)
{
    const Annotation arrow = mark(Annotation::Kind::arrow, { 0.1, 0.1 }, { 0.3, 0.3 });
    Annotation label = mark(Annotation::Kind::text, { 0.5, 0.5 }, { 0.5, 0.5 });
    label.text = QStringLiteral("Hi");
    doc->addAnnotation(arrow);
    doc->addAnnotation(label);
    const int steps = doc->undoCount();

    doc->setSelectedAnnotation(arrow.id);
    doc->setAnnotationFont(QStringLiteral("DejaVu Serif"));
    doc->setAnnotationColor(0x00FF00);
    doc->setSelectedLineWidth(5);
    EXPECT_EQ(doc->annotationFont(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(doc->annotationColor(), 0x00FF00);
    Annotation a = *doc->selectedAnnotationValue();
    EXPECT_FALSE(a.fontName); // only text takes a font
    EXPECT_EQ(a.colorHex, 0x00FF00);
    EXPECT_EQ(a.lineWidthFraction, 5);
    EXPECT_EQ(doc->annotations()[1], label);

    doc->setSelectedAnnotation(label.id);
    doc->setAnnotationFont(QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(doc->selectedAnnotationValue()->fontName, QStringLiteral("DejaVu Sans Mono"));
    doc->setAnnotationFont(std::nullopt);
    EXPECT_FALSE(doc->selectedAnnotationValue()->fontName);

    // With nothing selected only the defaults change.
    doc->setSelectedAnnotation(std::nullopt);
    const QList<Annotation> marks = doc->annotations();
    doc->setAnnotationColor(0x123456);
    doc->setSelectedLineWidth(9);
    EXPECT_EQ(doc->annotations(), marks);
    EXPECT_EQ(doc->undoCount(), steps);
}

TEST_F(EditorDocumentTest, HandDrawnAreas)
{
    // Dragged from bottom right to top left: stored standardised and selected.
    doc->addManualRedaction(QRectF(QPointF(0.6, 0.5), QPointF(0.2, 0.1)));
    ASSERT_EQ(doc->manualRedactions().size(), 1);
    EXPECT_EQ(doc->manualRedactions()[0], QRectF(0.2, 0.1, 0.4, 0.4));
    EXPECT_EQ(doc->selectedManualRedaction(), 0);
    EXPECT_EQ(doc->undoCount(), 1);

    // Too thin on one side, or not a finite area at all: dropped without a step.
    doc->addManualRedaction(QRectF(0.1, 0.1, 0.005, 0.3));
    doc->addManualRedaction(QRectF(0.1, 0.1, 0.3, -0.004));
    doc->addManualRedaction(QRectF(0.1, 0.1, qQNaN(), 0.3));
    doc->addManualRedaction(QRectF(0.1, 0.1, qInf(), 0.3));
    doc->addManualRedaction(QRectF(-qInf(), 0.1, 0.3, 0.3));
    EXPECT_EQ(doc->manualRedactions().size(), 1);
    EXPECT_EQ(doc->undoCount(), 1);

    doc->addManualRedaction(QRectF(0.4, 0.3, 0.3, 0.3));
    EXPECT_EQ(doc->selectedManualRedaction(), 1);
    // Overlap: the later one wins; a maximum edge is outside.
    EXPECT_EQ(doc->manualRedactionIndex({ 0.5, 0.4 }), 1);
    EXPECT_EQ(doc->manualRedactionIndex({ 0.3, 0.2 }), 0);
    EXPECT_EQ(doc->manualRedactionIndex({ 0.7, 0.4 }), std::nullopt);
    EXPECT_EQ(doc->manualRedactionIndex({ 0.2, 0.1 }), 0);

    // A resize may store it inverted; hit tests still find it.
    doc->updateManualRedaction(1, QRectF(QPointF(0.9, 0.9), QPointF(0.8, 0.8)));
    EXPECT_LT(doc->manualRedactions()[1].width(), 0); // kept as given
    EXPECT_EQ(doc->manualRedactionIndex({ 0.85, 0.85 }), 1);
    doc->updateManualRedaction(2, QRectF(0, 0, 1, 1));
    doc->updateManualRedaction(-1, QRectF(0, 0, 1, 1));
    EXPECT_EQ(doc->manualRedactions().size(), 2);

    // A selection past the end deletes nothing.
    doc->setSelectedManualRedaction(2);
    EXPECT_FALSE(doc->deleteSelectedManualRedaction());
    EXPECT_EQ(doc->manualRedactions().size(), 2);
    EXPECT_EQ(doc->undoCount(), 2);

    doc->setSelectedManualRedaction(0);
    EXPECT_TRUE(doc->deleteSelectedManualRedaction());
    EXPECT_EQ(doc->manualRedactions().size(), 1);
    EXPECT_FALSE(doc->selectedManualRedaction());
    EXPECT_EQ(doc->undoCount(), 3);
    doc->undo();
    EXPECT_EQ(doc->manualRedactions().size(), 2);
}

TEST_F(EditorDocumentTest, ZoomSteps)
{
    doc->setZoom(4.0);
    doc->zoomIn();
    EXPECT_EQ(doc->zoom(), 4.0);
    doc->setZoom(0.3); // a pinch leaves it off the grid
    doc->zoomIn();
    EXPECT_DOUBLE_EQ(doc->zoom(), 0.55);
    doc->setZoom(0.3);
    doc->zoomOut();
    EXPECT_EQ(doc->zoom(), 0.25);
    doc->zoomOut();
    EXPECT_EQ(doc->zoom(), 0.25);
    doc->resetZoom();
    EXPECT_EQ(doc->zoom(), 1.0);
}

TEST(EditorDocumentColor, DefaultMarkColourFollowsTheShotsBrightness)
{
    FakeSensitiveTextScan scan;
    const auto colourFor = [&](const QImage& image) {
        return makeDocument(scan, DetectionResult {}, BeautifySettings::defaults(), image)->annotationColor();
    };
    EXPECT_EQ(colourFor(flatImage(64, 48, Qt::white)), 0x000000);
    EXPECT_EQ(colourFor(flatImage(64, 48, QColor(30, 30, 36))), 0xFFFFFF);
    EXPECT_EQ(colourFor(flatImage(64, 48, QColor(128, 128, 128))), 0xFFFFFF);
    // 0.299 * 6 + 0.587 * 198 + 0.114 * 195 is exactly 0.55 * 255: not above the threshold.
    EXPECT_EQ(averageLuminance(flatImage(8, 8, QColor(6, 198, 195))), 0.55);
    EXPECT_EQ(colourFor(flatImage(8, 8, QColor(6, 198, 195))), 0xFFFFFF);
    EXPECT_EQ(colourFor(QImage()), 0xFFFFFF);

    // A mostly white page with dark text is still mostly white.
    QImage page = flatImage(200, 100, Qt::white);
    for (int y = 10; y < 90; y += 10)
        for (int x = 10; x < 190; ++x)
            page.setPixel(x, y, qRgb(0, 0, 0));
    EXPECT_EQ(colourFor(page), 0x000000);
}

TEST(EditorDocumentColor, LuminanceOfOtherPixelFormats)
{
    // Transparent pixels count as black, as in a premultiplied average.
    QImage halfClear(10, 10, QImage::Format_ARGB32);
    halfClear.fill(Qt::transparent);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x)
            halfClear.setPixel(x, y, qRgba(255, 255, 255, 255));
    EXPECT_NEAR(*averageLuminance(halfClear), 128.0 / 255, 1e-9);

    QImage grey(16, 16, QImage::Format_Grayscale8);
    grey.fill(200);
    EXPECT_NEAR(*averageLuminance(grey), 200.0 / 255, 1e-9);
    EXPECT_NEAR(*averageLuminance(grey.convertToFormat(QImage::Format_RGBA64)), 200.0 / 255, 1e-9);
}

TEST(EditorDocumentColor, TallImagesCountEveryRowOnce)
{
    // Summed in bands of rows: each channel's mean is exact when every row counts once. Rows of
    // 1021 pixels; 1000 rows white, then 537 rows of one colour, then 100 black.
    QImage image(1021, 1637, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb c = y < 1000 ? qRgb(255, 255, 255) : y < 1537 ? qRgb(10, 200, 90) : qRgb(0, 0, 0);
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), image.width(), c);
    }
    const double r8 = std::round((1000.0 * 255 + 537.0 * 10) / 1637);
    const double g8 = std::round((1000.0 * 255 + 537.0 * 200) / 1637);
    const double b8 = std::round((1000.0 * 255 + 537.0 * 90) / 1637);
    EXPECT_DOUBLE_EQ(*averageLuminance(image), 0.299 * r8 / 255 + 0.587 * g8 / 255 + 0.114 * b8 / 255);
}

TEST_F(EditorDocumentTest, SettersAnnounceOnlyRealChanges)
{
    QSignalSpy tool(doc.get(), &EditorDocument::toolChanged);
    QSignalSpy zoom(doc.get(), &EditorDocument::zoomChanged);
    QSignalSpy marks(doc.get(), &EditorDocument::annotationsChanged);
    QSignalSpy settings(doc.get(), &EditorDocument::settingsChanged);
    doc->setTool(AnnotationTool::select);
    doc->resetZoom();
    doc->setAnnotations({});
    doc->setSettings(doc->settings());
    EXPECT_EQ(tool.count() + zoom.count() + marks.count() + settings.count(), 0);

    doc->setTool(AnnotationTool::crop);
    doc->zoomIn();
    doc->setPanResetToken(doc->panResetToken() + 1);
    EXPECT_EQ(tool.count(), 1);
    EXPECT_EQ(zoom.count(), 1);
    EXPECT_EQ(doc->panResetToken(), 1);
}
