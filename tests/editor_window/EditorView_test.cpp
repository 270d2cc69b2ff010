// The editor window driven as a person drives it: clicks, keys, drags and the wheel on the real
// widgets.
#include "EditorWindowKit.h"

#include "editor_window/EditorToolbar.h"
#include "editor_window/StageEventMonitor.h"
#include "editor_window/ToolDock.h"
#include "support/Wait.h"
#include "ui/BeautifiedCanvas.h"

#include "inspector/InspectorField.h"
#include "inspector/InspectorFrameSection.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include <QNativeGestureEvent>
#include <QPointingDevice>

namespace {
void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    const QPointF global = target->mapToGlobal(QPointF(at));
    QMouseEvent e(type, QPointF(at), global, global, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}
}

TEST_F(EditorWindowKit, ToolbarFollowsSelectionAndHistory)
{
    EditorToolbar* bar = view->toolbar();
    EXPECT_FALSE(bar->trashButton()->isVisibleTo(bar));
    EXPECT_FALSE(bar->undoButton()->isEnabled());
    EXPECT_FALSE(bar->redoButton()->isEnabled());
    EXPECT_EQ(bar->titleLabel()->text(), QStringLiteral("Shot.png"));

    doc->addAnnotation(mark(Annotation::Kind::box, { 0.3, 0.3 }, { 0.5, 0.5 }));
    doc->addManualRedaction(QRectF(0.1, 0.1, 0.2, 0.2));
    doc->setSelectedAnnotation(doc->annotations().first().id);
    bar->finishAnimations();
    EXPECT_TRUE(bar->trashButton()->isVisibleTo(bar));
    EXPECT_TRUE(bar->undoButton()->isEnabled());

    // Both selected: the trash takes the hand-drawn redaction only.
    QTest::mouseClick(bar->trashButton(), Qt::LeftButton);
    EXPECT_TRUE(doc->manualRedactions().isEmpty());
    EXPECT_EQ(doc->annotations().size(), 1);
    QTest::mouseClick(bar->trashButton(), Qt::LeftButton);
    EXPECT_TRUE(doc->annotations().isEmpty());
    bar->finishAnimations();
    EXPECT_FALSE(bar->trashButton()->isVisibleTo(bar));

    QTest::mouseClick(bar->undoButton(), Qt::LeftButton);
    EXPECT_EQ(doc->annotations().size(), 1);
    EXPECT_TRUE(bar->redoButton()->isEnabled());
    QTest::mouseClick(bar->settingsButton(), Qt::LeftButton);
    EXPECT_EQ(settingsOpens, 1);
}

TEST_F(EditorWindowKit, DeleteTakesAHandDrawnBlurAreaAndTheRedactionBeforeTheAnnotation)
{
    // Drawn with the blur tool, selected by drawing it, gone with Delete.
    click(centreOf(view->toolDock()->tile(AnnotationTool::blur)));
    drag(imagePoint({ 0.2, 0.2 }), imagePoint({ 0.5, 0.45 }));
    ASSERT_EQ(doc->manualRedactions().size(), 1);
    ASSERT_EQ(doc->selectedManualRedaction(), 0);
    EXPECT_EQ(keyTarget(), layer());
    key(Qt::Key_Delete);
    EXPECT_TRUE(doc->manualRedactions().isEmpty());
    QTest::mouseClick(view->toolbar()->undoButton(), Qt::LeftButton);
    ASSERT_EQ(doc->manualRedactions().size(), 1);

    // A box drawn beside it; with both selected the redaction goes first, then the box.
    click(centreOf(view->toolDock()->tile(AnnotationTool::box)));
    drag(imagePoint({ 0.6, 0.6 }), imagePoint({ 0.9, 0.9 }));
    ASSERT_EQ(doc->annotations().size(), 1);
    ASSERT_TRUE(doc->selectedAnnotation());
    doc->setSelectedManualRedaction(0);
    EXPECT_EQ(keyTarget(), layer());
    key(Qt::Key_Backspace);
    EXPECT_TRUE(doc->manualRedactions().isEmpty());
    EXPECT_EQ(doc->annotations().size(), 1);
    key(Qt::Key_Backspace);
    EXPECT_TRUE(doc->annotations().isEmpty());
}

TEST_F(EditorWindowKit, TheWindowsDeleteActsOnlyOutsideTheLayerAndNeverIntoAField)
{
    BeautifySettings s = doc->settings();
    s.windowFrame = WindowFrameStyle::light;
    s.showURL = true;
    doc->setSettings(s);
    doc->addAnnotation(mark(Annotation::Kind::arrow, { 0.2, 0.2 }, { 0.6, 0.6 }));
    ASSERT_TRUE(doc->selectedAnnotation());

    // Typing into the inspector's address field edits the field only.
    QLineEdit* field = view->inspector()->frameSection()->urlField();
    ASSERT_TRUE(field->isVisible());
    click(centreOf(field));
    ASSERT_EQ(keyTarget(), field);
    QTest::keyClicks(field, QStringLiteral("ab"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Home);
    key(Qt::Key_Delete);
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(doc->annotations().size(), 1);

    // With the keyboard on the stage (not the layer) the window's command deletes the annotation,
    // but not while text is edited on the canvas.
    view->stage()->setFocus();
    doc->setEditingText(true);
    key(Qt::Key_Delete);
    EXPECT_EQ(doc->annotations().size(), 1);
    doc->setEditingText(false);
    key(Qt::Key_Backspace);
    EXPECT_TRUE(doc->annotations().isEmpty());

    // A selected hand-drawn redaction is the layer's business, not the window's.
    doc->addManualRedaction(QRectF(0.1, 0.1, 0.3, 0.3));
    key(Qt::Key_Delete);
    EXPECT_EQ(doc->manualRedactions().size(), 1);
}

TEST_F(EditorWindowKit, DeleteDuringARedactionDragLetsGoOfIt)
{
    const QRectF left(0.05, 0.1, 0.3, 0.3), right(0.6, 0.1, 0.3, 0.3);
    doc->addManualRedaction(left);
    doc->addManualRedaction(right);
    doc->setSelectedManualRedaction(std::nullopt);

    // Grab the first, move it, delete it, and carry on moving: the second must stay put, or its
    // area would be uncovered in every export.
    const QPoint from = imagePoint(left.center());
    press(from);
    moveTo(from + QPoint(20, 10));
    ASSERT_EQ(doc->selectedManualRedaction(), 0);
    key(Qt::Key_Delete);
    ASSERT_EQ(doc->manualRedactions().size(), 1);
    moveTo(from + QPoint(40, 30));
    release(from + QPoint(40, 30));
    ASSERT_EQ(doc->manualRedactions().size(), 1);
    const QRectF kept = doc->manualRedactions().first();
    EXPECT_NEAR(kept.x(), right.x(), 1e-9);
    EXPECT_NEAR(kept.y(), right.y(), 1e-9);

    // The next drag on it moves it as usual.
    drag(imagePoint(right.center()), imagePoint(right.center()) + QPoint(-30, 0));
    EXPECT_LT(doc->manualRedactions().first().x(), right.x());
}

TEST_F(EditorWindowKit, ToolDockSetsAndFollowsTheTool)
{
    ToolDock* dock = view->toolDock();
    ASSERT_EQ(dock->tiles().size(), 10);
    EXPECT_EQ(dock->tiles().first()->tool(), AnnotationTool::select);
    EXPECT_EQ(dock->tiles().last()->tool(), AnnotationTool::crop);
    const auto current = [&] {
        QList<AnnotationTool> on;
        for (ToolTile* t : dock->tiles())
            if (t->isCurrent())
                on.append(t->tool());
        return on;
    };
    EXPECT_EQ(current(), QList<AnnotationTool> { AnnotationTool::select });
    doc->addAnnotation(mark(Annotation::Kind::box, { 0.3, 0.3 }, { 0.5, 0.5 }));
    const int undos = doc->undoCount();
    QTest::mouseClick(dock->tile(AnnotationTool::ellipse), Qt::LeftButton);
    EXPECT_EQ(doc->tool(), AnnotationTool::ellipse);
    EXPECT_EQ(current(), QList<AnnotationTool> { AnnotationTool::ellipse });
    EXPECT_EQ(doc->undoCount(), undos);
    EXPECT_FALSE(doc->selectedAnnotation()); // the editing layer drops it with the tool
    doc->setTool(AnnotationTool::blur); // changed elsewhere
    EXPECT_EQ(current(), QList<AnnotationTool> { AnnotationTool::blur });
    EXPECT_EQ(dock->tile(AnnotationTool::blur)->toolTip(), QStringLiteral("Blur an area"));
}

TEST_F(EditorWindowKit, BackgroundClickClearsAndDoubleClickCopiesAndCloses)
{
    CanvasStage* stage = view->stage();
    doc->addAnnotation(mark(Annotation::Kind::box, { 0.3, 0.3 }, { 0.5, 0.5 }));
    doc->addManualRedaction(QRectF(0.1, 0.1, 0.3, 0.3));
    doc->setEditingAnnotationID(doc->annotations().first().id);
    doc->setEditingText(true);
    const int undos = doc->undoCount();

    // A click on the canvas itself is not a background click.
    QTest::mouseClick(stage, Qt::LeftButton, {}, stage->shownRect().center().toPoint());
    EXPECT_TRUE(doc->selectedManualRedaction());

    QTest::mouseClick(stage, Qt::LeftButton, {}, stage->mapFrom(view.get(), backgroundPoint()));
    EXPECT_FALSE(doc->selectedAnnotation());
    EXPECT_FALSE(doc->selectedManualRedaction());
    EXPECT_FALSE(doc->isEditingText());
    EXPECT_FALSE(doc->editingAnnotationID());
    EXPECT_EQ(doc->undoCount(), undos);

    QTest::mouseDClick(stage, Qt::LeftButton, {}, stage->mapFrom(view.get(), backgroundPoint()));
    EXPECT_EQ(copyAndCloses, 1);
    QTest::mouseDClick(stage, Qt::LeftButton, {}, stage->shownRect().center().toPoint());
    EXPECT_EQ(copyAndCloses, 1);
}

TEST_F(EditorWindowKit, SpaceDragWheelAndPinch)
{
    CanvasStage* stage = view->stage();
    const QRectF start = stage->shownRect();
    stage->setFocus();
    QTest::keyPress(stage, Qt::Key_Space);
    ASSERT_TRUE(stage->pan().spaceHeld());
    QWidget* overlay = stage->findChild<QWidget*>(QStringLiteral("panOverlay"));
    ASSERT_TRUE(overlay && overlay->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::OpenHandCursor);

    // A drag under 10 pt does nothing; a longer one pans by its translation.
    const QPoint from = start.center().toPoint();
    sendMouse(overlay, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    sendMouse(overlay, QEvent::MouseMove, from + QPoint(6, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(stage->pan().offset(), QSizeF(0, 0));
    sendMouse(overlay, QEvent::MouseMove, from + QPoint(40, -25), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    sendMouse(overlay, QEvent::MouseButtonRelease, from + QPoint(40, -25), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(stage->pan().offset(), QSizeF(40, -25));
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::OpenHandCursor);
    EXPECT_EQ(stage->shownRect(), start.translated(40, -25));
    EXPECT_TRUE(doc->annotations().isEmpty());
    QTest::keyRelease(stage, Qt::Key_Space);
    EXPECT_FALSE(stage->pan().spaceHeld());
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The wheel pans.
    QWheelEvent wheel(QPointF(50, 50), stage->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(stage, &wheel);
    EXPECT_EQ(stage->pan().offset(), QSizeF(40, -25 - StageEventMonitor::wheelStepPoints));

    // A pinch multiplies the zoom it started from; a new pinch starts again.
    const auto pinch = [&](Qt::NativeGestureType type, double value) {
        QNativeGestureEvent e(type, QPointingDevice::primaryPointingDevice(), 2, QPointF(100, 100), QPointF(100, 100),
            QPointF(100, 100), value, QPointF());
        QApplication::sendEvent(stage, &e);
    };
    pinch(Qt::BeginNativeGesture, 0);
    pinch(Qt::ZoomNativeGesture, 1.0); // x2
    pinch(Qt::ZoomNativeGesture, 1.5); // x5 in all
    EXPECT_DOUBLE_EQ(doc->zoom(), 4.0);
    pinch(Qt::EndNativeGesture, 0);
    pinch(Qt::BeginNativeGesture, 0);
    pinch(Qt::ZoomNativeGesture, -0.5);
    EXPECT_DOUBLE_EQ(doc->zoom(), 2.0);
    pinch(Qt::EndNativeGesture, 0);
    EXPECT_EQ(doc->undoCount(), 0);
}

TEST_F(EditorWindowKit, ZoomSpringsAndPanResetRecentres)
{
    CanvasStage* stage = view->stage();
    const QRectF before = stage->shownRect();
    stage->animateZoom([&] { doc->zoomOut(); });
    EXPECT_EQ(stage->shownRect(), before); // not at once
    EXPECT_TRUE(stage->canvas()->inMotion());
    ASSERT_TRUE(waitUntil([&] { return stage->shownRect() == stage->targetLayout().displayRect(); }, 3000));
    EXPECT_NEAR(stage->shownRect().width(), before.width() * 0.75, 1);
    EXPECT_FALSE(stage->canvas()->inMotion());

    stage->pan().setOffset(QSizeF(120, 80));
    doc->setPanResetToken(doc->panResetToken() + 1);
    spin(50);
    EXPECT_GT(stage->pan().offset().width(), 0); // on its way
    ASSERT_TRUE(waitUntil([&] { return stage->pan().offset() == QSizeF(0, 0); }, 3000));
    EXPECT_DOUBLE_EQ(doc->zoom(), 0.75); // the token leaves the zoom alone
}

TEST_F(EditorWindowKit, CropToolShowsTheWholeImageWithItsMarks)
{
    BeautifySettings s = doc->settings();
    s.cropRect = QRectF(0.25, 0.25, 0.5, 0.5);
    doc->setSettings(s);
    Annotation text = mark(Annotation::Kind::text, { 0.4, 0.4 }, { 0.6, 0.5 });
    text.text = QStringLiteral("Hello");
    doc->addAnnotation(text);
    doc->addAnnotation(mark(Annotation::Kind::pen, { 0.1, 0.1 }, { 0.2, 0.2 }));
    BeautifiedCanvas* canvas = view->stage()->canvas();
    EXPECT_EQ(canvas->content().settings.cropRect, s.cropRect);
    ASSERT_EQ(canvas->content().annotations.size(), 2);
    EXPECT_EQ(canvas->content().annotations.first().kind, Annotation::Kind::text);

    doc->setTool(AnnotationTool::crop);
    EXPECT_EQ(canvas->content().settings.cropRect, QRectF(0, 0, 1, 1));
    EXPECT_EQ(view->stage()->targetLayout().settings.cropRect, QRectF(0, 0, 1, 1));
    // The layer lies exactly over the canvas.
    view->stage()->finishAnimations();
    EXPECT_EQ(view->stage()->editingLayer()->geometry(), canvas->geometry());
}

TEST_F(EditorWindowKit, LayersAndLimits)
{
    EXPECT_EQ(view->minimumSize(), QSize(920, 640));
    const int bodyHeight = view->height() - EditorToolbar::kHeight;
    EXPECT_EQ(view->inspectorMaxHeight(), bodyHeight - 32);
    EXPECT_EQ(view->inspector()->geometry(), QRect(view->width() - 20 - 312, 12, 312, bodyHeight - 32));
    EXPECT_EQ(view->toolDock()->x(), 20);
    const QRect pill = view->actionPill()->geometry();
    EXPECT_EQ(view->hint()->geometry().bottom() + 1, bodyHeight - 16);
    EXPECT_NEAR(pill.center().x(), view->width() / 2, 1);
    EXPECT_EQ(view->hint()->text(), QStringLiteral("Double-click the background to copy & close"));
    // The canvas centres left of the inspector's 332 pt.
    EXPECT_NEAR(view->stage()->shownRect().center().x(), (view->width() - 332) / 2.0, 0.5);
}

TEST_F(EditorWindowKit, CursorsComeOffWhenTheStageGoesMidPress)
{
    CanvasStage* stage = view->stage();
    EXPECT_EQ(QApplication::focusWidget(), stage); // keys start on the canvas
    sendMouse(stage, QEvent::MouseButtonPress, stage->mapFrom(view.get(), backgroundPoint()), Qt::MiddleButton,
        Qt::MiddleButton);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    QTest::keyPress(stage, Qt::Key_Space);
    EXPECT_EQ(stage->cursors().depth(), 2);
    view.reset();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EditorWindowKit, PansReuseTheRenderAndRestylesRenderOnce)
{
    BeautifiedCanvas* canvas = view->stage()->canvas();
    canvas->repaint();
    const int renders = canvas->renderCount();
    ASSERT_GT(renders, 0);
    view->stage()->pan().moveBy(QSizeF(30, 10));
    canvas->repaint();
    view->stage()->pan().moveBy(QSizeF(-60, 0));
    canvas->repaint();
    EXPECT_EQ(canvas->renderCount(), renders);

    BeautifySettings s = doc->settings();
    s.radius = 4;
    doc->setSettings(s);
    canvas->repaint();
    canvas->repaint();
    EXPECT_EQ(canvas->renderCount(), renders + 1);
}

TEST_F(EditorWindowKit, ThePillsKeysAndButtonsActFromTheCanvas)
{
    // With the keyboard on the editing layer (a box just drawn), Ctrl+C still copies.
    click(centreOf(view->toolDock()->tile(AnnotationTool::box)));
    drag(imagePoint({ 0.2, 0.2 }), imagePoint({ 0.5, 0.5 }));
    ASSERT_EQ(keyTarget(), layer());
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(doc->annotations().size(), 1);

    // The zoom button springs the canvas (and the layer over it) to the new zoom.
    const QRectF before = stage()->shownRect();
    click(centreOf(view->actionPill()->zoomInButton()));
    EXPECT_DOUBLE_EQ(doc->zoom(), 1.25);
    stage()->finishAnimations();
    EXPECT_GT(stage()->shownRect().width(), before.width());
    EXPECT_EQ(layer()->geometry(), stage()->canvas()->geometry());
}

// A name typed with a dot ("v1.2") already has a suffix for the save dialog, which then neither adds
// ".png" nor asks about "v1.2.png"; the file written is that one, so it is asked about before it is
// replaced.
TEST_F(EditorWindowKit, ExportingOverAFileOfTheCompletedNameAsksFirst)
{
    const QString target = dir.filePath(QStringLiteral("v1.2.png"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    const auto contents = [&] {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const auto typeNameAndConfirm = [&] {
        QApplication::setActiveWindow(view.get());
        key(Qt::Key_E, Qt::ControlModifier);
        QFileDialog* dialog = nullptr;
        EXPECT_TRUE(waitUntil([&] { return (dialog = view->findChild<QFileDialog*>()) && dialog->isVisible(); }));
        auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!name)
            return static_cast<QMessageBox*>(nullptr);
        // A dialog opening takes the keyboard.
        QApplication::setActiveWindow(dialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, dir.filePath(QStringLiteral("v1.2")));
        // The completer offers "v1.2.png"; Escape puts it away, as it would for a person.
        if (QWidget* popup = QApplication::activePopupWidget())
            QTest::keyClick(popup, Qt::Key_Escape);
        EXPECT_EQ(name->text(), dir.filePath(QStringLiteral("v1.2")));
        QTest::keyClick(name, Qt::Key_Return);
        QMessageBox* ask = nullptr;
        waitUntil([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QStringLiteral("confirmOverwrite") && w->isVisible())
                    ask = qobject_cast<QMessageBox*>(w);
            return ask != nullptr;
        });
        return ask;
    };

    // Asked; Escape keeps the old file and says nothing was exported.
    QMessageBox* ask = typeNameAndConfirm();
    ASSERT_TRUE(ask);
    EXPECT_TRUE(ask->text().contains(QStringLiteral("v1.2.png")));
    QTest::keyClick(ask, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(contents(), QByteArray("old"));
    EXPECT_FALSE(toasts.contains(QStringLiteral("Exported")));
    EXPECT_TRUE(failureToasts.isEmpty());

    // Asked again; Replace writes the PNG.
    ask = typeNameAndConfirm();
    ASSERT_TRUE(ask);
    QAbstractButton* replace = nullptr;
    for (QAbstractButton* button : ask->buttons())
        if (button->text() == QStringLiteral("Replace"))
            replace = button;
    ASSERT_TRUE(replace);
    QTest::mouseClick(replace, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return toasts.contains(QStringLiteral("Exported")); }));
    EXPECT_TRUE(contents().startsWith("\x89PNG"));
}
