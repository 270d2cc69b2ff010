// The stage's input watch as a decision table: which events it takes for panning, and that it
// leaves every other window, text field and scroll area alone.
#include "editor_window/PanController.h"
#include "editor_window/StageEventMonitor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

struct Windows : ::testing::Test {
    QWidget editor;
    QWidget* stage = new QWidget(&editor);
    QLineEdit* field = new QLineEdit(&editor);
    QScrollArea* scroll = new QScrollArea(&editor);
    QWidget* panel = new QWidget(&editor);
    QWidget* panelChild = new QWidget(panel);
    QWidget other;
    QLineEdit* otherField = new QLineEdit(&other);
    PanController pan;
    CursorStack cursors;
    StageEventMonitor monitor { stage, pan, cursors };

    void SetUp() override
    {
        editor.resize(400, 300);
        stage->setGeometry(0, 0, 200, 300);
        field->setGeometry(210, 10, 150, 24);
        scroll->setGeometry(210, 50, 180, 100);
        panel->setGeometry(210, 160, 180, 100);
        monitor.keepWheelOver(panel);
        editor.show();
        other.show();
        QApplication::setActiveWindow(&editor);
        stage->setFocus();
    }
    void TearDown() override { cursors.clear(); }

    bool key(QObject* target, QEvent::Type type, int key = Qt::Key_Space, bool repeat = false)
    {
        QKeyEvent e(type, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString(), repeat);
        return monitor.handle(target, &e);
    }
    bool wheel(QObject* target, QPoint angle, QPoint pixels = {}, QPointF at = { 10, 10 })
    {
        const auto* widget = qobject_cast<QWidget*>(target);
        const QPointF global = widget ? widget->mapToGlobal(at) : at;
        QWheelEvent e(at, global, pixels, angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        return monitor.handle(target, &e);
    }
    bool mouse(QObject* target, QEvent::Type type, Qt::MouseButton button, QPointF global)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, global, global, global, button, held, Qt::NoModifier);
        return monitor.handle(target, &e);
    }
};

}

TEST_F(Windows, SpaceEntersPanModeOutsideTextFieldsOnly)
{
    EXPECT_FALSE(key(stage, QEvent::KeyPress, Qt::Key_A));
    EXPECT_TRUE(key(stage, QEvent::KeyPress));
    EXPECT_TRUE(pan.spaceHeld());
    EXPECT_TRUE(key(stage, QEvent::KeyPress, Qt::Key_Space, true)); // repeats keep it
    EXPECT_TRUE(pan.spaceHeld());
    EXPECT_TRUE(key(stage, QEvent::KeyRelease));
    EXPECT_FALSE(pan.spaceHeld());

    // Typing a space into a text field types a space.
    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    EXPECT_FALSE(key(field, QEvent::KeyPress));
    EXPECT_FALSE(pan.spaceHeld());
}

TEST_F(Windows, SpaceReleasedInATextFieldOrFocusLostEndsPanMode)
{
    EXPECT_TRUE(key(stage, QEvent::KeyPress));
    ASSERT_TRUE(pan.spaceHeld());
    field->setFocus();
    // The release goes on to the field, and pan mode still ends.
    EXPECT_FALSE(key(field, QEvent::KeyRelease));
    EXPECT_FALSE(pan.spaceHeld());

    stage->setFocus();
    key(stage, QEvent::KeyPress);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    EXPECT_FALSE(monitor.handle(qApp, &deactivate));
    EXPECT_FALSE(pan.spaceHeld());
}

TEST_F(Windows, EventsForOtherWindowsPassUntouched)
{
    EXPECT_FALSE(key(&other, QEvent::KeyPress));
    EXPECT_FALSE(key(otherField, QEvent::KeyPress));
    EXPECT_FALSE(pan.spaceHeld());
    EXPECT_FALSE(wheel(otherField, QPoint(0, 120)));
    EXPECT_FALSE(mouse(&other, QEvent::MouseButtonPress, Qt::MiddleButton, { 5, 5 }));
    EXPECT_FALSE(mouse(&other, QEvent::MouseMove, Qt::MiddleButton, { 50, 50 }));
    EXPECT_EQ(pan.offset(), QSizeF(0, 0));
    EXPECT_EQ(cursors.depth(), 0);
    // Window objects themselves are never taken: their widgets get the event next.
    EXPECT_FALSE(key(editor.windowHandle(), QEvent::KeyPress));
}

TEST_F(Windows, WheelPansUnlessOverAScrollAreaOrAKeptPanel)
{
    EXPECT_TRUE(wheel(stage, QPoint(0, 120)));
    EXPECT_EQ(pan.offset(), QSizeF(0, StageEventMonitor::wheelStepPoints));
    EXPECT_TRUE(wheel(stage, QPoint(0, 0), QPoint(-7, 3))); // a touchpad's pixel deltas win
    EXPECT_EQ(pan.offset(), QSizeF(-7, StageEventMonitor::wheelStepPoints + 3));
    EXPECT_FALSE(wheel(scroll->viewport(), QPoint(0, 120)));
    EXPECT_FALSE(wheel(scroll->widget() ? scroll->widget() : scroll, QPoint(0, 120)));
    // What the scroll area left unused travels on to its parent: still over the scroll area.
    EXPECT_FALSE(wheel(&editor, QPoint(0, 120), {}, QPointF(250, 80)));
    EXPECT_FALSE(wheel(panelChild, QPoint(0, 120)));
    EXPECT_FALSE(wheel(&editor, QPoint(0, 120), {}, QPointF(250, 200)));
    EXPECT_EQ(pan.offset(), QSizeF(-7, StageEventMonitor::wheelStepPoints + 3));
    // Beside them, over the window's own background, it pans.
    EXPECT_TRUE(wheel(&editor, QPoint(0, 120), {}, QPointF(395, 290)));
}

TEST_F(Windows, MiddleButtonDragsWithTheClosedHandOtherButtonsPass)
{
    EXPECT_FALSE(mouse(stage, QEvent::MouseButtonPress, Qt::BackButton, { 0, 0 }));
    EXPECT_FALSE(mouse(stage, QEvent::MouseButtonPress, Qt::LeftButton, { 0, 0 }));
    EXPECT_FALSE(mouse(stage, QEvent::MouseMove, Qt::LeftButton, { 40, 40 }));
    // Over a text field the middle button is the field's: X11 pastes the selection there.
    EXPECT_FALSE(mouse(field, QEvent::MouseButtonPress, Qt::MiddleButton, { 220, 20 }));
    EXPECT_FALSE(mouse(field, QEvent::MouseButtonRelease, Qt::MiddleButton, { 220, 20 }));
    EXPECT_EQ(cursors.depth(), 0);

    EXPECT_TRUE(mouse(stage, QEvent::MouseButtonPress, Qt::MiddleButton, { 100, 100 }));
    EXPECT_EQ(cursors.depth(), 1);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    EXPECT_TRUE(mouse(stage, QEvent::MouseMove, Qt::MiddleButton, { 110, 95 }));
    EXPECT_TRUE(mouse(stage, QEvent::MouseMove, Qt::MiddleButton, { 130, 90 }));
    EXPECT_EQ(pan.offset(), QSizeF(30, -10));
    EXPECT_TRUE(mouse(stage, QEvent::MouseButtonRelease, Qt::MiddleButton, { 130, 90 }));
    EXPECT_EQ(cursors.depth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // After the release, moves are nobody's business here.
    EXPECT_FALSE(mouse(stage, QEvent::MouseMove, Qt::NoButton, { 200, 200 }));

    // A drag whose release a menu took: the next press starts afresh from where it is, and a move
    // without the button ends it.
    EXPECT_TRUE(mouse(stage, QEvent::MouseButtonPress, Qt::MiddleButton, { 100, 100 }));
    EXPECT_TRUE(mouse(stage, QEvent::MouseMove, Qt::MiddleButton, { 110, 100 }));
    EXPECT_TRUE(mouse(stage, QEvent::MouseButtonPress, Qt::MiddleButton, { 300, 300 }));
    EXPECT_EQ(cursors.depth(), 1);
    EXPECT_TRUE(mouse(stage, QEvent::MouseMove, Qt::MiddleButton, { 305, 300 }));
    EXPECT_EQ(pan.offset(), QSizeF(45, -10));
    EXPECT_FALSE(mouse(stage, QEvent::MouseMove, Qt::NoButton, { 400, 400 }));
    EXPECT_EQ(cursors.depth(), 0);
    EXPECT_EQ(pan.offset(), QSizeF(45, -10));
}

TEST(CursorStack, PopsOnlyItsOwnPushesAndEverythingWhenItGoes)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor); // someone else's
    {
        CursorStack stack;
        stack.push(Qt::OpenHandCursor);
        stack.set(Qt::ClosedHandCursor);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
        stack.push(Qt::ClosedHandCursor);
        stack.pop();
        stack.pop();
        stack.pop(); // one too many: not ours to pop
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        stack.push(Qt::OpenHandCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
