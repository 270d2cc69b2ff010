#include "EditorDocumentTestKit.h"
#include "editor/AnnotationEditController.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kW = 1000;
constexpr double kH = 500;

// A layer of 1000 x 500 pt with the screenshot inset and the shown image inside it.
EditingFrame standardFrame()
{
    EditingFrame f;
    f.displaySize = QSizeF(kW, kH);
    f.shotRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
    f.imageRectNorm = QRectF(0.1, 0.2, 0.8, 0.6);
    f.crop = QRectF(0, 0, 1, 1);
    return f;
}

QPointF pt(double x, double y)
{
    return { x * kW, y * kH };
}

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

class AnnotationEditControllerTest : public ::testing::Test {
protected:
    AnnotationEditControllerTest()
    {
        ctl.setFrame(standardFrame());
        ctl.setClock([this] { return now; });
    }

    // A drag in points through `steps` equal moves, then the release.
    void drag(QPointF from, QPointF to, int steps = 4)
    {
        ctl.handleDragChanged(from, from);
        for (int i = 1; i <= steps; ++i)
            ctl.handleDragChanged(from, from + (to - from) * (double(i) / steps));
        ctl.handleDragEnded(from, to);
    }
    void click(QPointF at) { drag(at, at, 0); }

    Annotation add(Annotation a)
    {
        doc->addAnnotation(a);
        return a;
    }
    const Annotation* find(const QUuid& id) const
    {
        for (const Annotation& a : list)
            if (a.id == id)
                return &a;
        return nullptr;
    }
    void snapshotList() { list = doc->annotations(); }

    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc = makeDocument(scan);
    AnnotationEditController ctl { doc.get() };
    double now = 100;
    QList<Annotation> list;
};
}

TEST_F(AnnotationEditControllerTest, FivePointsIsStillAClick)
{
    doc->setTool(AnnotationTool::text);
    drag(pt(0.5, 0.5), pt(0.5, 0.5) + QPointF(3, 4)); // exactly 5 pt
    ASSERT_EQ(doc->annotations().size(), 1);
    const Annotation made = doc->annotations().first();
    EXPECT_EQ(made.kind, Annotation::Kind::text);
    EXPECT_EQ(made.start, QPointF(0.503, 0.508)); // at the release
    EXPECT_EQ(ctl.editingTextID(), made.id);
    EXPECT_EQ(doc->editingAnnotationID(), made.id);
    EXPECT_TRUE(doc->isEditingText());
    // The field is focused one turn of the event loop later.
    EXPECT_FALSE(ctl.textFocused());
    QCoreApplication::processEvents();
    EXPECT_TRUE(ctl.textFocused());

    // Just past 5 pt with the text tool makes nothing (and ends the edit, dropping the empty text).
    drag(pt(0.2, 0.3), pt(0.2, 0.3) + QPointF(3, 4.01));
    EXPECT_TRUE(doc->annotations().isEmpty());
    EXPECT_FALSE(ctl.editingTextID());
    EXPECT_FALSE(ctl.textFocused());
    EXPECT_EQ(doc->undoCount(), 1);
}

TEST_F(AnnotationEditControllerTest, SecondClickOnATextWithinTheWindowEditsIt)
{
    Annotation t = mark(Annotation::Kind::text, { 0.5, 0.5 }, { 0.5, 0.5 });
    t.text = QStringLiteral("Hello");
    add(t);
    doc->setSelectedAnnotation(std::nullopt);
    const int steps = doc->undoCount();

    click(pt(0.5, 0.5));
    EXPECT_EQ(doc->selectedAnnotation(), t.id);
    EXPECT_EQ(doc->undoCount(), steps + 1); // a press that selects takes a step
    EXPECT_TRUE(ctl.canvasFocused());
    now += 0.449;
    click(pt(0.5, 0.5));
    EXPECT_EQ(ctl.editingTextID(), t.id);

    // The next press ends the edit; the text is kept.
    now += 5;
    click(pt(0.5, 0.5));
    EXPECT_FALSE(ctl.editingTextID());
    ASSERT_EQ(doc->annotations().size(), 1);
    // 0.45 s is too late: the click only restarts the timer, and a quick one after it edits.
    now += 0.45;
    click(pt(0.5, 0.5));
    EXPECT_FALSE(ctl.editingTextID());
    now += 0.1;
    click(pt(0.5, 0.5));
    EXPECT_EQ(ctl.editingTextID(), t.id);
}

TEST_F(AnnotationEditControllerTest, DrawingsAreCommittedPastTheirThresholdsAndSelected)
{
    // A press and release alone gives a pen two points: dropped, and the tool stays.
    doc->setTool(AnnotationTool::pen);
    click(pt(0.3, 0.3));
    EXPECT_TRUE(doc->annotations().isEmpty());
    EXPECT_EQ(doc->tool(), AnnotationTool::pen);
    EXPECT_EQ(doc->undoCount(), 0);
    // One move: three points, kept.
    drag(pt(0.3, 0.3), pt(0.3, 0.3), 1);
    ASSERT_EQ(doc->annotations().size(), 1);
    EXPECT_EQ(doc->annotations().first().points.size(), 3);
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
    EXPECT_EQ(doc->selectedAnnotation(), doc->annotations().first().id);
    EXPECT_EQ(doc->undoCount(), 1);

    // 10 pt on a 1000 pt layer is 0.01: dropped; 11 pt is kept.
    doc->setTool(AnnotationTool::box);
    drag(pt(0.2, 0.6), pt(0.2, 0.6) + QPointF(10, 0));
    EXPECT_EQ(doc->annotations().size(), 1);
    EXPECT_EQ(doc->tool(), AnnotationTool::box);
    EXPECT_FALSE(ctl.draft());
    drag(pt(0.2, 0.6), pt(0.2, 0.6) + QPointF(11, 0));
    ASSERT_EQ(doc->annotations().size(), 2);
    const Annotation box = doc->annotations().last();
    EXPECT_EQ(box.kind, Annotation::Kind::box);
    EXPECT_EQ(box.text, QStringLiteral("Text"));
    EXPECT_EQ(box.lineWidthFraction, 3.0);
    EXPECT_EQ(box.fontFraction, 0.05);
    EXPECT_EQ(box.colorHex, doc->annotationColor());
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
    EXPECT_EQ(doc->selectedAnnotation(), box.id);
    EXPECT_FALSE(ctl.pendingSelectID());
    EXPECT_EQ(doc->undoCount(), 2);
}

TEST_F(AnnotationEditControllerTest, ScreenshotMovesClampedWithOneUndoStep)
{
    BeautifySettings s = doc->settings();
    s.balance = false;
    doc->setSettings(s);
    doc->setManualRedactions({ QRectF(0.8, 0.8, 0.1, 0.1) });
    doc->setSelectedManualRedaction(0);

    drag(pt(0.5, 0.5), pt(1.0, 0.5) + QPointF(500, 0), 12);
    EXPECT_EQ(doc->settings().shotOffset, QSizeF(0.5, 0));
    EXPECT_EQ(doc->undoCount(), 1);
    // Clears only the annotation selection.
    EXPECT_EQ(doc->selectedManualRedaction(), 0);
    doc->undo();
    EXPECT_EQ(doc->settings().shotOffset, QSizeF(0, 0));
    drag(pt(0.6, 0.5), QPointF(-4000, 250), 7);
    EXPECT_EQ(doc->settings().shotOffset, QSizeF(-0.5, 0));
    EXPECT_EQ(doc->undoCount(), 1);

    // Not draggable: a press on the screenshot is a press on empty canvas, clearing both
    // selections without a step.
    ctl.setShotDraggable(false);
    doc->setSelectedManualRedaction(0);
    click(pt(0.5, 0.5));
    EXPECT_FALSE(doc->selectedManualRedaction());
    EXPECT_EQ(doc->undoCount(), 1);
}

TEST_F(AnnotationEditControllerTest, CropDragsAndCancelRestoresTheCropOnEntry)
{
    BeautifySettings s = doc->settings();
    s.cropRect = QRectF(0.7, 0.9, -0.4, -0.5); // stored unstandardised
    doc->setSettings(s);
    doc->setTool(AnnotationTool::crop);
    EXPECT_EQ(ctl.cropOnEnter(), s.cropRect);
    // While cropping the stage shows the whole image.
    EditingFrame f = standardFrame();
    ctl.setFrame(f);

    // Inside the crop (canvas 0.34..0.66 by 0.44..0.74) but on no handle: moves it, stopping at
    // the image's edge.
    drag(pt(0.5, 0.6), pt(0.5, 0.6) + QPointF(800, 0));
    EXPECT_NEAR(doc->settings().cropRect.left(), 0.6, 1e-12);
    EXPECT_NEAR(doc->settings().cropRect.width(), 0.4, 1e-12);
    EXPECT_EQ(doc->tool(), AnnotationTool::crop);
    // Its left handle, now at canvas x 0.58, dragged far right: 0.05 wide.
    drag(pt(0.58, 0.6), pt(0.95, 0.6));
    EXPECT_NEAR(doc->settings().cropRect.width(), 0.05, 1e-12);
    EXPECT_EQ(doc->undoCount(), 2);
    // Outside the crop: nothing, no step.
    drag(pt(0.05, 0.05), pt(0.3, 0.3));
    EXPECT_EQ(doc->undoCount(), 2);

    ctl.cancelCrop();
    EXPECT_EQ(doc->settings().cropRect, s.cropRect);
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
    EXPECT_EQ(doc->undoCount(), 2);

    doc->setTool(AnnotationTool::crop);
    drag(pt(0.5, 0.6), pt(0.4, 0.6));
    const QRectF moved = doc->settings().cropRect;
    ctl.confirmCrop();
    EXPECT_EQ(doc->settings().cropRect, moved);
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
}

TEST_F(AnnotationEditControllerTest, SelectPressesPreferHandlesThenAnnotationsThenRedactions)
{
    const Annotation arrow = add(mark(Annotation::Kind::arrow, { 0.2, 0.3 }, { 0.6, 0.3 }));
    // A redaction under the canvas point (0.5, 0.5): image (0.5, 0.5).
    doc->setManualRedactions({ QRectF(0.4, 0.4, 0.2, 0.2) });
    const Annotation box = add(mark(Annotation::Kind::box, { 0.59, 0.25 }, { 0.7, 0.35 }));
    doc->setSelectedAnnotation(arrow.id);
    const int steps = doc->undoCount();

    // The arrow's end handle wins over the box lying on top of it and goes exactly under the
    // pointer; the start stays.
    drag(pt(0.6, 0.3), pt(0.8, 0.9));
    snapshotList();
    EXPECT_EQ(find(arrow.id)->end, QPointF(0.8, 0.9));
    EXPECT_EQ(find(arrow.id)->start, QPointF(0.2, 0.3));
    EXPECT_EQ(find(box.id)->start, box.start);
    EXPECT_EQ(doc->undoCount(), steps + 1);

    // A press on the redaction selects and moves it, clamped inside the image.
    drag(pt(0.5, 0.5), pt(0.0, 0.5));
    EXPECT_EQ(doc->selectedManualRedaction(), 0);
    EXPECT_FALSE(doc->selectedAnnotation());
    EXPECT_EQ(doc->manualRedactions().first(), QRectF(0.0, 0.4, 0.2, 0.2));
    // Then its bottom-right handle (canvas (0.26, 0.56)) resizes it.
    drag(pt(0.26, 0.56), pt(0.34, 0.62));
    const QRectF resized = doc->manualRedactions().first();
    EXPECT_NEAR(resized.width(), 0.3, 1e-9);
    EXPECT_NEAR(resized.height(), 0.3, 1e-9);
    EXPECT_EQ(doc->undoCount(), steps + 3);

    // A box drawn right to left is put in order at its first resize step.
    Annotation backwards = add(mark(Annotation::Kind::box, { 0.5, 0.9 }, { 0.3, 0.7 }));
    drag(pt(0.5, 0.9), pt(0.5, 0.9), 1);
    snapshotList();
    EXPECT_EQ(find(backwards.id)->start, QPointF(0.3, 0.7));
    EXPECT_EQ(find(backwards.id)->end, QPointF(0.5, 0.9));

    // Empty canvas clears both selections without a step.
    doc->setSelectedManualRedaction(0);
    const int before = doc->undoCount();
    ctl.setShotDraggable(false);
    click(pt(0.95, 0.05));
    EXPECT_FALSE(doc->selectedAnnotation());
    EXPECT_FALSE(doc->selectedManualRedaction());
    EXPECT_EQ(doc->undoCount(), before);
}

TEST_F(AnnotationEditControllerTest, BlurRectanglesAreClampedToTheImage)
{
    doc->setTool(AnnotationTool::blur);
    ctl.handleDragChanged(pt(0.0, 0.0), pt(0.0, 0.0));
    ctl.handleDragChanged(pt(0.0, 0.0), pt(0.5, 0.5));
    ASSERT_TRUE(ctl.blurDraft());
    EXPECT_EQ(*ctl.blurDraft(), QRectF(0.1, 0.2, 0.4, 0.3));
    ctl.handleDragEnded(pt(0.0, 0.0), pt(0.5, 0.5));
    EXPECT_FALSE(ctl.blurDraft());
    ASSERT_EQ(doc->manualRedactions().size(), 1);
    EXPECT_EQ(doc->manualRedactions().first(), QRectF(0, 0, 0.5, 0.5));
    EXPECT_EQ(doc->selectedManualRedaction(), 0);
    // The blur tool stays; a sliver of 0.0044 of the image is dropped.
    EXPECT_EQ(doc->tool(), AnnotationTool::blur);
    drag(pt(0.5, 0.5), pt(0.5035, 0.9));
    EXPECT_EQ(doc->manualRedactions().size(), 1);
    EXPECT_EQ(doc->undoCount(), 1);
}

TEST_F(AnnotationEditControllerTest, DeleteToolChangesAndTextLifecycle)
{
    // Both kinds selected: only the redaction goes.
    const Annotation box = add(mark(Annotation::Kind::box, { 0.2, 0.2 }, { 0.4, 0.4 }));
    doc->setManualRedactions({ QRectF(0.1, 0.1, 0.1, 0.1) });
    doc->setSelectedAnnotation(box.id);
    doc->setSelectedManualRedaction(0);
    ctl.deleteCommand();
    EXPECT_TRUE(doc->manualRedactions().isEmpty());
    EXPECT_EQ(doc->annotations().size(), 1);
    // A redaction index past the end deletes nothing, so the selected annotation goes instead.
    doc->setSelectedAnnotation(box.id);
    doc->setSelectedManualRedaction(5);
    ctl.deleteCommand();
    EXPECT_TRUE(doc->annotations().isEmpty());

    // A new text emptied again disappears at a tool change, without an undo step.
    doc->setTool(AnnotationTool::text);
    click(pt(0.5, 0.5));
    const QUuid id = *ctl.editingTextID();
    ctl.setEditedText(QStringLiteral("Hi"));
    EXPECT_EQ(ctl.editedText(), QStringLiteral("Hi"));
    ctl.setEditedText(QString());
    const int steps = doc->undoCount();
    doc->setTool(AnnotationTool::pen);
    EXPECT_TRUE(doc->annotations().isEmpty());
    EXPECT_FALSE(ctl.editingTextID());
    EXPECT_FALSE(doc->isEditingText());
    EXPECT_EQ(doc->undoCount(), steps);
    EXPECT_FALSE(doc->selectedAnnotation());

    // Cleared from outside (a background click): an empty text goes, a written one stays.
    doc->setTool(AnnotationTool::text);
    click(pt(0.3, 0.5));
    ctl.setEditedText(QStringLiteral("kept"));
    doc->setEditingAnnotationID(std::nullopt);
    EXPECT_FALSE(ctl.editingTextID());
    click(pt(0.7, 0.5));
    doc->setEditingAnnotationID(std::nullopt);
    ASSERT_EQ(doc->annotations().size(), 1);
    EXPECT_EQ(doc->annotations().first().text, QStringLiteral("kept"));
    EXPECT_NE(doc->annotations().first().id, id);
}

TEST_F(AnnotationEditControllerTest, HostileInputStoresNoNaNAndLosesNothing)
{
    // NaN and infinite pointer positions, while drawing, moving and cropping.
    const Annotation box = add(mark(Annotation::Kind::box, { 0.2, 0.2 }, { 0.4, 0.4 }));
    drag(pt(0.3, 0.3), QPointF(kNaN, std::numeric_limits<double>::infinity()));
    doc->setTool(AnnotationTool::pen);
    drag(QPointF(kNaN, kNaN), QPointF(-kNaN, 1e308));
    doc->setTool(AnnotationTool::crop);
    drag(pt(0.5, 0.5), QPointF(kNaN, 0));
    for (const Annotation& a : doc->annotations()) {
        EXPECT_TRUE(finite(a.start) && finite(a.end));
        for (const QPointF& p : a.points)
            EXPECT_TRUE(finite(p));
    }
    const QRectF crop = doc->settings().cropRect;
    EXPECT_TRUE(std::isfinite(crop.x() + crop.y() + crop.width() + crop.height()));

    // A zero-sized layer and an empty image rectangle: presses and drags do nothing harmful.
    doc->setTool(AnnotationTool::select);
    EditingFrame zero = standardFrame();
    zero.displaySize = QSizeF(0, 0);
    zero.imageRectNorm = QRectF();
    zero.crop = QRectF();
    ctl.setFrame(zero);
    doc->setManualRedactions({ QRectF(0.1, 0.1, 0.2, 0.2) });
    doc->setSelectedManualRedaction(0);
    drag(QPointF(10, 10), QPointF(300, 300));
    doc->setTool(AnnotationTool::crop);
    drag(QPointF(10, 10), QPointF(300, 300));
    EXPECT_EQ(doc->manualRedactions().first(), QRectF(0.1, 0.1, 0.2, 0.2));
    EXPECT_TRUE(std::isfinite(doc->settings().cropRect.width()));
    ctl.setFrame(standardFrame());

    // Undo in the middle of a move: the drag stops acting, the undone state stands and the
    // history keeps its step to redo.
    doc->setTool(AnnotationTool::select);
    const QList<Annotation> before = doc->annotations();
    ctl.handleDragChanged(pt(0.3, 0.3), pt(0.3, 0.3));
    ctl.handleDragChanged(pt(0.3, 0.3), pt(0.5, 0.5));
    doc->undo();
    ASSERT_TRUE(doc->canRedo());
    const QList<Annotation> undone = doc->annotations();
    ctl.handleDragChanged(pt(0.3, 0.3), pt(0.7, 0.7));
    ctl.handleDragEnded(pt(0.3, 0.3), pt(0.7, 0.7));
    EXPECT_EQ(doc->annotations(), undone);
    EXPECT_TRUE(doc->canRedo());
    // The same for a redaction whose list the undo replaced: the other rectangle is not overwritten.
    doc->setManualRedactions({ QRectF(0.5, 0.5, 0.1, 0.1) });
    doc->pushUndo();
    doc->setManualRedactions({ QRectF(0.1, 0.1, 0.1, 0.1), QRectF(0.5, 0.5, 0.1, 0.1) });
    // Image (0.15, 0.15) is canvas (0.22, 0.29).
    ctl.handleDragChanged(pt(0.22, 0.29), pt(0.22, 0.29));
    ctl.handleDragChanged(pt(0.22, 0.29), pt(0.3, 0.3));
    doc->undo();
    doc->undo();
    const QList<QRectF> restored = doc->manualRedactions();
    ctl.handleDragChanged(pt(0.22, 0.29), pt(0.4, 0.4));
    ctl.handleDragEnded(pt(0.22, 0.29), pt(0.4, 0.4));
    EXPECT_EQ(doc->manualRedactions(), restored);
    (void)before;
    (void)box;
}

TEST_F(AnnotationEditControllerTest, LongAndComplexTextsSurviveEditing)
{
    doc->setTool(AnnotationTool::text);
    click(pt(0.5, 0.5));
    const QUuid id = *ctl.editingTextID();
    QString longText;
    for (int i = 0; i < 1000; ++i)
        longText += QStringLiteral("\u05E9e\u0301\U0001F600ab");
    longText.truncate(10000);
    ctl.setEditedText(longText);
    ctl.finishTextEditing();
    ASSERT_EQ(doc->annotations().size(), 1);
    EXPECT_EQ(doc->annotations().first().text, longText);
    EXPECT_EQ(doc->annotations().first().id, id);
    // The select tool still finds it, by its (wide) reading width.
    doc->setTool(AnnotationTool::select);
    click(pt(0.9, 0.5));
    EXPECT_EQ(doc->selectedAnnotation(), id);
}
