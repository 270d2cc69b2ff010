#include "EditorDocumentTestKit.h"
#include "editor/AnnotationEditController.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/EditingFloatingParts.h"

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
