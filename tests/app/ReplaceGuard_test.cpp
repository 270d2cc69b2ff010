// Opening another shot over edits nobody copied or exported asks first; Return replaces, Escape
// keeps the edits. Quitting asks the same way. The main window is the application's own, driven
// by keys and the pointer.
#include "AppStateKit.h"
#include "QuestionAnswerer.h"

#include "app/MainWindow.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/EditorDocument.h"
#include "editor/EditorDocumentTestKit.h"
#include "editor_window/ActionPill.h"
#include "editor_window/EditorView.h"
#include "support/Wait.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct ReplaceGuard : AppStateKit {
    std::unique_ptr<MainWindow> window;

    void SetUp() override
    {
        makeApp([](const QImage&, QObject*, std::function<void(DetectionResult)> done) { done({}); },
            [](const EditorDocument&) { return filledImage({ 20, 10 }, Qt::gray); });
        settings.setValue("hasCompletedOnboarding", true);
        window = std::make_unique<MainWindow>(*app, settings);
        window->resize(1300, 840);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // A key pressed in the main window. The copy's toast never takes activation on a desktop,
    // but Qt's offscreen platform may hand it over.
    void press(Qt::Key key)
    {
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), key, Qt::ControlModifier);
    }

    // Ctrl+V with `image` on the clipboard.
    void paste(const QImage& image)
    {
        pasteboard.image = image;
        press(Qt::Key_V);
    }

    // A box dragged across the middle of the canvas with the box tool.
    void drawABox()
    {
        // The view of the open document (a replaced one goes later).
        EditorView* editor = nullptr;
        for (EditorView* view : window->findChildren<EditorView*>()) {
            if (view->document() == app->document())
                editor = view;
        }
        ASSERT_TRUE(editor);
        editor->stage()->finishAnimations();
        auto* tile = editor->findChild<QAbstractButton*>(QStringLiteral("tool-box"));
        auto* layer = editor->findChild<AnnotationEditingLayer*>();
        ASSERT_TRUE(tile && layer);
        QTest::mouseClick(tile, Qt::LeftButton);
        const QPoint c = layer->rect().center();
        QTest::mousePress(layer, Qt::LeftButton, {}, c - QPoint(60, 30));
        QTest::mouseMove(layer, c);
        QTest::mouseMove(layer, c + QPoint(60, 30));
        QTest::mouseRelease(layer, Qt::LeftButton, {}, c + QPoint(60, 30));
    }
};

}

TEST_F(ReplaceGuard, PastingOverEditsAsksAndEscapeKeepsThem)
{
    paste(filledImage({ 300, 200 }, Qt::darkCyan));
    auto edited = app->document();
    ASSERT_TRUE(edited);
    drawABox();
    ASSERT_EQ(edited->annotations().size(), 1);

    QuestionAnswerer answer;
    answer.key = Qt::Key_Escape;
    paste(filledImage({ 500, 400 }, Qt::darkRed));
    EXPECT_EQ(answer.asked, 1);
    EXPECT_EQ(answer.text, "Replace the current screenshot? Your edits will be lost.");
    EXPECT_EQ(answer.defaultButton, "Replace");
    EXPECT_EQ(app->document(), edited);
    EXPECT_EQ(edited->annotations().size(), 1);
    EXPECT_EQ(window->currentContent(), "editor");

    // Return replaces.
    answer.key = Qt::Key_Return;
    paste(filledImage({ 500, 400 }, Qt::darkRed));
    EXPECT_EQ(answer.asked, 2);
    ASSERT_NE(app->document(), edited);
    EXPECT_EQ(app->document()->image().size(), QSize(500, 400));
}

TEST_F(ReplaceGuard, ADocumentWithNothingToLoseIsReplacedAtOnce)
{
    QuestionAnswerer answer;
    paste(filledImage({ 300, 200 }, Qt::darkCyan));
    auto first = app->document();
    // Untouched.
    paste(filledImage({ 310, 200 }, Qt::darkCyan));
    EXPECT_NE(app->document(), first);

    // Edited, then copied with Ctrl+C: what the user made is on the clipboard.
    drawABox();
    press(Qt::Key_C);
    ASSERT_FALSE(pasteboard.writes.isEmpty());
    auto copied = app->document();
    paste(filledImage({ 320, 200 }, Qt::darkCyan));
    EXPECT_NE(app->document(), copied);

    // Edited, then undone back to the shot as opened.
    drawABox();
    press(Qt::Key_Z);
    EXPECT_TRUE(app->document()->annotations().isEmpty());
    auto undone = app->document();
    paste(filledImage({ 330, 200 }, Qt::darkCyan));
    EXPECT_NE(app->document(), undone);
    EXPECT_EQ(answer.asked, 0);

    // Edited after the copy: asked again.
    drawABox();
    press(Qt::Key_C);
    drawABox();
    answer.key = Qt::Key_Escape;
    auto kept = app->document();
    // The notch panel's Edit and the tray's Recent open documents the same way.
    EXPECT_FALSE(app->replaceDocument(std::make_shared<EditorDocument>(
        filledImage({ 40, 30 }, Qt::gray), QStringLiteral("Shot"), BeautifySettings::defaults(), DetectionResult {})));
    app->openShotInEditor(CapturedShot::make(filledImage({ 50, 30 }, Qt::gray)));
    EXPECT_EQ(answer.asked, 2);
    EXPECT_EQ(app->document(), kept);
}

TEST_F(ReplaceGuard, QuittingOverEditsAsksAndEscapeKeepsThem)
{
    int quits = 0;
    app->setQuitAction([&] { ++quits; });
    // Nothing to lose: Ctrl+Q quits at once.
    press(Qt::Key_Q);
    EXPECT_EQ(quits, 1);

    paste(filledImage({ 300, 200 }, Qt::darkCyan));
    auto edited = app->document();
    drawABox();
    QuestionAnswerer answer;
    answer.question = QStringLiteral("quitWithEdits");
    answer.key = Qt::Key_Escape;
    press(Qt::Key_Q);
    EXPECT_EQ(answer.asked, 1);
    EXPECT_EQ(answer.text, "Quit Lumaforge? Your edits will be lost.");
    EXPECT_EQ(answer.defaultButton, "Quit");
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(app->document(), edited);
    EXPECT_EQ(edited->annotations().size(), 1);

    // The File menu's item is the same command; Return quits.
    answer.key = Qt::Key_Return;
    auto* quit = window->findChild<QAction*>(QStringLiteral("quit"));
    ASSERT_TRUE(quit);
    quit->trigger();
    EXPECT_EQ(answer.asked, 2);
    EXPECT_EQ(quits, 2);

    // Copied, the edits are safe: no question.
    press(Qt::Key_C);
    press(Qt::Key_Q);
    EXPECT_EQ(answer.asked, 2);
    EXPECT_EQ(quits, 3);
}

// An export counts what was rendered for the file; edits made while the dialog was open do not.
TEST(ReplaceGuardExport, AnExportedDocumentHasNothingToLoseUntilItChanges)
{
    FakeSensitiveTextScan scan;
    auto doc = makeDocument(scan);
    QTemporaryDir dir;
    std::function<void(std::optional<QString>)> answer;
    ExportHooks hooks = ExportHooks::standard({}, {});
    hooks.askPath = [&](QWidget*, const QString&, std::function<void(std::optional<QString>)> done) { answer = done; };
    ActionPill pill(*doc, {}, {}, hooks);

    doc->addAnnotation(mark(Annotation::Kind::box, { 0.2, 0.2 }, { 0.5, 0.5 }));
    EXPECT_TRUE(doc->hasEditsSinceCopyOrExport());
    QTest::mouseClick(pill.exportButton(), Qt::LeftButton);
    ASSERT_TRUE(answer);
    answer(std::nullopt); // cancelled
    EXPECT_TRUE(doc->hasEditsSinceCopyOrExport());

    answer = nullptr;
    QTest::mouseClick(pill.exportButton(), Qt::LeftButton);
    ASSERT_TRUE(answer);
    answer(dir.filePath(QStringLiteral("a.png")));
    EXPECT_FALSE(doc->hasEditsSinceCopyOrExport());

    answer = nullptr;
    QTest::mouseClick(pill.exportButton(), Qt::LeftButton);
    ASSERT_TRUE(answer);
    doc->addAnnotation(mark(Annotation::Kind::arrow, { 0.1, 0.1 }, { 0.3, 0.3 })); // while the dialog is open
    answer(dir.filePath(QStringLiteral("b.png")));
    EXPECT_TRUE(doc->hasEditsSinceCopyOrExport());
}
