// The stage's pointer and wheel handling inside the assembled editor window: drags that lose their
// release, the wheel over the inspector, the middle button over text fields, and Space let go
// before the button.
#include "EditorWindowKit.h"

#include "editor_window/StageEventMonitor.h"
#include "editor_window/ToolDock.h"
#include "inspector/InspectorField.h"
#include "inspector/InspectorFrameSection.h"
#include "inspector/InspectorPresetsButton.h"

#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

namespace {
// Counts the middle-button presses and releases a widget receives.
struct MiddleButtonCount : QObject {
    int presses = 0;
    int releases = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
                ++(event->type() == QEvent::MouseButtonPress ? presses : releases);
        }
        return false;
    }
};
}

TEST_F(EditorWindowKit, APressAfterALostReleaseEndsTheOpenDragWhereItWas)
{
    // A box moved by the pointer; mid-drag a menu opens and takes the release.
    doc->addAnnotation(mark(Annotation::Kind::box, { 0.3, 0.3 }, { 0.5, 0.5 }));
    const Annotation before = doc->annotations().first();
    const QPoint from = canvasPoint({ 0.4, 0.3 });
    press(from);
    moveTo(from + QPoint(30, 20));
    const Annotation dragged = doc->annotations().first();
    ASSERT_NE(dragged.start, before.start);
    {
        QMenu menu;
        menu.addAction(QStringLiteral("Open…"));
        menu.popup(view->mapToGlobal(from + QPoint(30, 20)));
        release(from + QPoint(30, 20));
        menu.close();
    }

    // The next click, far away on the canvas, ends that drag where it was and starts its own.
    click(canvasPoint({ 0.85, 0.85 }));
    ASSERT_EQ(doc->annotations().size(), 1);
    EXPECT_EQ(doc->annotations().first().start, dragged.start);
    EXPECT_EQ(doc->annotations().first().end, dragged.end);
    EXPECT_FALSE(doc->selectedAnnotation()); // the click landed on empty canvas

    // The same with a box being drawn: it is committed as drawn, not stretched to the click.
    click(centreOf(view->toolDock()->tile(AnnotationTool::box)));
    const QPoint a = canvasPoint({ 0.1, 0.6 }), b = canvasPoint({ 0.25, 0.75 });
    press(a);
    moveTo(b);
    {
        QMenu menu;
        menu.addAction(QStringLiteral("Open…"));
        menu.popup(view->mapToGlobal(b));
        release(b);
        menu.close();
    }
    click(canvasPoint({ 0.9, 0.15 }));
    ASSERT_EQ(doc->annotations().size(), 2);
    const Annotation drawn = doc->annotations().last();
    EXPECT_NEAR(drawn.end.x(), 0.25, 0.01);
    EXPECT_NEAR(drawn.end.y(), 0.75, 0.01);
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
}

TEST_F(EditorWindowKit, TheWheelOverTheInspectorNeverPans)
{
    view.reset();
    makeView({ 1000, 660 }); // short enough that the inspector scrolls
    QScrollArea* scroll = view->inspector()->scrollArea();
    QScrollBar* bar = scroll->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QRectF canvas = stage()->shownRect();

    // Forty notches down: the inspector scrolls to its end, and the rest goes nowhere.
    wheel(centreOf(scroll->viewport()), QPoint(0, -120), 40);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0));
    wheel(centreOf(scroll->viewport()), QPoint(0, 120), 3);
    EXPECT_LT(bar->value(), bar->maximum());
    // Over the header, which does not scroll, nothing happens either.
    wheel(centreOf(view->inspector()->presetsButton()), QPoint(0, -120), 5);
    EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0));
    view->stage()->finishAnimations();
    EXPECT_EQ(stage()->shownRect(), canvas);

    // Over the canvas and the empty stage the wheel pans.
    EXPECT_TRUE(wheel(canvasPoint({ 0.5, 0.5 }), QPoint(0, -120)));
    EXPECT_TRUE(wheel(backgroundPoint(), QPoint(-120, 0)));
    EXPECT_EQ(stage()->pan().offset(),
        QSizeF(-StageEventMonitor::wheelStepPoints, -StageEventMonitor::wheelStepPoints));
}

TEST_F(EditorWindowKit, TheMiddleButtonPansButNotOverATextFieldAndItsHandGoesWithTheStage)
{
    BeautifySettings s = doc->settings();
    s.windowFrame = WindowFrameStyle::light;
    s.showURL = true;
    doc->setSettings(s);
    QLineEdit* field = view->inspector()->frameSection()->urlField();
    ASSERT_TRUE(field->isVisible());
    MiddleButtonCount count;
    field->installEventFilter(&count);

    // Over the address field the middle button is the field's (X11 pastes the selection there).
    press(centreOf(field), Qt::MiddleButton);
    release(centreOf(field), Qt::MiddleButton);
    EXPECT_EQ(count.presses, 1);
    EXPECT_EQ(count.releases, 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0));

    // Over the canvas it drags it with the closed hand ...
    const QPoint c = canvasPoint({ 0.5, 0.5 });
    press(c, Qt::MiddleButton);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    // ... and when the stage goes mid-drag (the document closed), the hand goes with it.
    view->hide();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(stage()->cursors().depth(), 0);
}

TEST_F(EditorWindowKit, SpaceLetGoBeforeTheButtonEndsThePanDrag)
{
    const QPoint c = canvasPoint({ 0.5, 0.5 });
    keyDown(Qt::Key_Space);
    ASSERT_TRUE(stage()->pan().spaceHeld());
    press(c);
    moveTo(c + QPoint(50, 0));
    moveTo(c + QPoint(100, 0));
    EXPECT_EQ(stage()->pan().offset(), QSizeF(100, 0));
    keyUp(Qt::Key_Space); // before the button
    release(c + QPoint(100, 0));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The next Space-drag starts from where the canvas is now.
    keyDown(Qt::Key_Space);
    press(c);
    moveTo(c + QPoint(0, 20));
    moveTo(c + QPoint(0, 40));
    EXPECT_EQ(stage()->pan().offset(), QSizeF(100, 40));
    release(c + QPoint(0, 40));
    keyUp(Qt::Key_Space);
    EXPECT_TRUE(doc->annotations().isEmpty());
    EXPECT_EQ(doc->undoCount(), 0);
}
