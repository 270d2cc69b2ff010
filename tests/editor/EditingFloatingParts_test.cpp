#include "EditorDocumentTestKit.h"
#include "editor/AnnotationEditController.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/EditingFloatingParts.h"
#include "editor/FormatBarContainer.h"
#include "editor/LineWidthField.h"
#include "editor_window/EditorWindowKit.h"
#include "editor_window/ToolDock.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// A text annotation being typed on a layer inset in a larger stage, as the editor shows it.
class InlineTextFieldTest : public ::testing::Test {
protected:
    InlineTextFieldTest()
    {
        stage.resize(1000, 700);
        layer = new AnnotationEditingLayer(doc.get(), &stage);
        layer->move(100, 100);
        EditingFrame f;
        f.displaySize = QSizeF(800, 500);
        f.shotRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
        f.imageRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
        layer->setFrame(f);
        layer->setOverlayHost(&stage);
        stage.show();
        doc->setTool(AnnotationTool::text);
        QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(400, 250));
        QApplication::processEvents();
        field = layer->textField();
    }

    QString text() const { return doc->annotations().isEmpty() ? QString() : doc->annotations().first().text; }

    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc = makeDocument(scan);
    QWidget stage;
    AnnotationEditingLayer* layer = nullptr;
    QLineEdit* field = nullptr;
};
}

TEST_F(InlineTextFieldTest, PastedLineBreaksBecomeSpacesInTheFieldAndOnTheCanvas)
{
    ASSERT_TRUE(field && field->isVisible());
    QTest::keyClicks(field, QStringLiteral("Say "));
    QGuiApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree\u2029four"));
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("Say one two three four"));
    EXPECT_EQ(field->text(), text());
    // Typing goes on where the paste ended.
    EXPECT_EQ(field->cursorPosition(), field->text().size());
    QTest::keyClicks(field, QStringLiteral("!"));
    EXPECT_EQ(text(), QStringLiteral("Say one two three four!"));

    EXPECT_EQ(EditingFloatingParts::singleLine(QStringLiteral("\n")), QStringLiteral(" "));
    EXPECT_EQ(EditingFloatingParts::singleLine(QStringLiteral("a\r\rb\u0085c")), QStringLiteral("a  b c"));
    EXPECT_EQ(EditingFloatingParts::singleLine(QStringLiteral("tab\tstays")), QStringLiteral("tab\tstays"));
}

TEST_F(InlineTextFieldTest, TheFieldGrowsWithTextBeingComposedByAnInputMethod)
{
    ASSERT_TRUE(field && field->isVisible());
    QTest::keyClicks(field, QStringLiteral("Hi "));
    const int typed = field->width();
    const int centre = field->geometry().center().x();

    QInputMethodEvent composing(QStringLiteral("nihongo desu"), {});
    QApplication::sendEvent(field, &composing);
    // Not committed: the document does not hold it, but the field makes room for it.
    EXPECT_EQ(text(), QStringLiteral("Hi "));
    EXPECT_GT(field->width(), typed + 40);
    EXPECT_NEAR(field->geometry().center().x(), centre, 2);

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本語"));
    QApplication::sendEvent(field, &commit);
    EXPECT_EQ(text(), QStringLiteral("Hi 日本語"));
    const QFontMetricsF metrics(field->font());
    EXPECT_NEAR(field->width(), metrics.horizontalAdvance(text()) + 6, 2);
}

// Escape while typing, in the assembled editor window: typing ends, what was typed stays, the
// keys go back to the canvas (where Delete deletes the selected mark), and nothing else is
// deselected or closed.
TEST_F(EditorWindowKit, EscapeEndsTypingInATextMark)
{
    click(centreOf(view->toolDock()->tile(AnnotationTool::text)));
    click(canvasPoint({ 0.4, 0.4 }));
    QLineEdit* field = layer()->textField();
    ASSERT_TRUE(field->hasFocus());
    QTest::keyClicks(keyTarget(), QStringLiteral("Note"));
    ASSERT_EQ(doc->annotations().size(), 1);
    const QUuid id = doc->annotations().first().id;
    const int undoSteps = doc->undoCount();

    key(Qt::Key_Escape);
    EXPECT_EQ(doc->annotations().first().text, QStringLiteral("Note"));
    EXPECT_FALSE(doc->isEditingText());
    EXPECT_FALSE(doc->editingAnnotationID());
    EXPECT_FALSE(layer()->controller()->editingTextID());
    EXPECT_TRUE(field->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), layer());
    EXPECT_EQ(doc->selectedAnnotation(), id);
    EXPECT_EQ(doc->undoCount(), undoSteps);

    // Keys no longer type; a second Escape changes nothing; Delete deletes the mark.
    QTest::keyClicks(keyTarget(), QStringLiteral("xy"));
    key(Qt::Key_Escape);
    EXPECT_EQ(doc->annotations().first().text, QStringLiteral("Note"));
    EXPECT_EQ(doc->selectedAnnotation(), id);
    EXPECT_TRUE(view->isVisible());
    key(Qt::Key_Delete);
    EXPECT_TRUE(doc->annotations().isEmpty());

    // Return, too, hands the keys to the canvas rather than to the next field in the window.
    click(centreOf(view->toolDock()->tile(AnnotationTool::text)));
    click(canvasPoint({ 0.4, 0.4 }));
    QTest::keyClicks(keyTarget(), QStringLiteral("Two"));
    key(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), layer());
    key(Qt::Key_Backspace);
    EXPECT_TRUE(doc->annotations().isEmpty());
}

TEST_F(EditorWindowKit, EscapeEndsTypingInTheLineWidthField)
{
    click(centreOf(view->toolDock()->tile(AnnotationTool::box)));
    drag(canvasPoint({ 0.3, 0.3 }), canvasPoint({ 0.6, 0.6 }));
    ASSERT_EQ(doc->annotations().size(), 1);
    ASSERT_TRUE(layer()->formatBar());
    auto* width = layer()->formatBar()->findChild<LineWidthField*>();
    ASSERT_TRUE(width);
    click(centreOf(width->lineEdit()));
    ASSERT_TRUE(width->lineEdit()->hasFocus());
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(keyTarget(), QStringLiteral("7"));
    const int undoSteps = doc->undoCount();

    key(Qt::Key_Escape);
    EXPECT_EQ(doc->annotations().first().lineWidthFraction, 7);
    EXPECT_EQ(doc->undoCount(), undoSteps + 1);
    EXPECT_EQ(width->lineEdit()->text(), QStringLiteral("7"));
    EXPECT_EQ(QApplication::focusWidget(), layer());
    EXPECT_TRUE(doc->selectedAnnotation());
    EXPECT_EQ(layer()->formatBar()->findChild<LineWidthField*>(), width);

    // The digits typed next go nowhere; Delete deletes the box, not a digit.
    QTest::keyClicks(keyTarget(), QStringLiteral("9"));
    EXPECT_EQ(width->lineEdit()->text(), QStringLiteral("7"));
    key(Qt::Key_Escape);
    EXPECT_EQ(doc->annotations().first().lineWidthFraction, 7);
    key(Qt::Key_Delete);
    EXPECT_TRUE(doc->annotations().isEmpty());

    // Escape on a width that is no number puts the current one back, as Return does.
    click(centreOf(view->toolDock()->tile(AnnotationTool::box)));
    drag(canvasPoint({ 0.3, 0.3 }), canvasPoint({ 0.6, 0.6 }));
    width = layer()->formatBar()->findChild<LineWidthField*>();
    ASSERT_TRUE(width);
    click(centreOf(width->lineEdit()));
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(keyTarget(), QStringLiteral("wide"));
    key(Qt::Key_Escape);
    EXPECT_EQ(width->lineEdit()->text(), QStringLiteral("3"));
    EXPECT_EQ(doc->annotations().first().lineWidthFraction, 3);
    EXPECT_EQ(QApplication::focusWidget(), layer());
}
