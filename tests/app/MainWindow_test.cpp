#include "AppStateKit.h"

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "editor/EditorDocument.h"
#include "editor_window/EditorView.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "support/ToastSymbol.h"
#include "support/Wait.h"
#include "ui/Toast.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QAbstractButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct MainWindowFixture : AppStateKit {
    void SetUp() override
    {
        makeApp([](const QImage&, QObject*, std::function<void(DetectionResult)> done) { done({}); },
            [](const EditorDocument&) { return filledImage({ 10, 10 }, Qt::gray); });
    }

    QImage image() const
    {
        QImage i(64, 48, QImage::Format_RGB32);
        i.fill(Qt::darkCyan);
        return i;
    }
};

}

TEST_F(MainWindowFixture, OnboardingFirstThenEmptyStateThenEditor)
{
    MainWindow window(*app, settings);
    EXPECT_EQ(window.currentContent(), "onboarding");
    // Shown once counts as done, even if the user quits half-way.
    EXPECT_EQ(settings.boolValue("hasCompletedOnboarding"), true);
    EXPECT_TRUE(app->onboardingOnScreen());

    // An image arriving during the onboarding does not take its place.
    app->openShotInEditor(CapturedShot::make(image()));
    EXPECT_EQ(window.currentContent(), "onboarding");

    // Continue, Continue, then "Start snapping" on the last page.
    auto* primary = window.findChild<QAbstractButton*>("onboardingPrimary");
    ASSERT_TRUE(primary);
    for (int i = 0; i < 3; ++i)
        primary->click();
    EXPECT_FALSE(app->onboardingOnScreen());
    EXPECT_EQ(window.currentContent(), "editor");

    app->setDocument(nullptr);
    EXPECT_EQ(window.currentContent(), "emptyState");

    // A second window of a later launch skips the onboarding.
    MainWindow later(*app, settings);
    EXPECT_EQ(later.currentContent(), "emptyState");
}

TEST_F(MainWindowFixture, ShowingOnboardingAgainDoesNotStopPaste)
{
    settings.setValue("hasCompletedOnboarding", true);
    MainWindow window(*app, settings);
    EXPECT_EQ(window.currentContent(), "emptyState");
    // The settings' "show onboarding again" clears the flag for the next launch only.
    settings.setValue("hasCompletedOnboarding", false);
    pasteboard.image = image();
    app->pasteScreenshot();
    ASSERT_TRUE(app->document());
    EXPECT_EQ(window.currentContent(), "editor");
}

TEST_F(MainWindowFixture, CopyCommandFollowsTheDocumentAndZoomCommandsActOnIt)
{
    settings.setValue("hasCompletedOnboarding", true);
    MainWindow window(*app, settings);
    QAction* copy = window.findChild<QAction*>("copyBeautified");
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->isEnabled());
    app->openShotInEditor(CapturedShot::make(image()));
    EXPECT_TRUE(copy->isEnabled());

    const auto trigger = [&](const QString& text) {
        for (QAction* action : window.findChildren<QAction*>()) {
            if (action->text() == text) {
                action->trigger();
                return;
            }
        }
        FAIL() << text.toStdString();
    };
    auto document = app->document();
    for (int i = 0; i < 20; ++i)
        trigger("Zoom In");
    EXPECT_EQ(document->zoom(), 4.0);
    trigger("Zoom Out");
    EXPECT_EQ(document->zoom(), 3.75);
    const int token = document->panResetToken();
    trigger("Actual Size");
    trigger("Actual Size");
    EXPECT_EQ(document->zoom(), 1.0);
    EXPECT_EQ(document->panResetToken(), token + 2);

    // Shown, the View menu's zoom moves the canvas with a spring rather than at once.
    window.show();
    auto* editor = window.findChild<EditorView*>();
    ASSERT_TRUE(editor);
    editor->stage()->finishAnimations();
    const QRectF before = editor->stage()->shownRect();
    trigger("Zoom Out");
    EXPECT_EQ(document->zoom(), 0.75);
    EXPECT_EQ(editor->stage()->shownRect(), before);
    ASSERT_TRUE(waitUntil([&] { return editor->stage()->shownRect() == editor->stage()->targetLayout().displayRect(); }, 3000));
    EXPECT_LT(editor->stage()->shownRect().width(), before.width());
}

TEST_F(MainWindowFixture, DoubleClickOnTheStageBackgroundCopiesClosesAndHides)
{
    settings.setValue("hasCompletedOnboarding", true);
    MainWindow window(*app, settings);
    window.show();
    app->openShotInEditor(CapturedShot::make(image()));
    auto* editor = window.findChild<EditorView*>();
    ASSERT_TRUE(editor);
    editor->stage()->finishAnimations();
    const QRectF canvas = editor->stage()->shownRect();
    QTest::mouseDClick(editor->stage(), Qt::LeftButton, {}, QPoint(int(canvas.right()) + 10, int(canvas.center().y())));
    EXPECT_FALSE(app->document());
    EXPECT_EQ(pasteboard.writes.size(), 1);
    spin(50);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.currentContent(), "emptyState");
}

TEST_F(MainWindowFixture, ViewMenuListsEachCommandOnceAndZoomInAnswersBothKeys)
{
    settings.setValue("hasCompletedOnboarding", true);
    MainWindow window(*app, settings);
    app->openShotInEditor(CapturedShot::make(image()));
    QMenu* view = nullptr;
    for (QAction* top : window.menuBar()->actions()) {
        if (top->text() == "&View")
            view = top->menu();
    }
    ASSERT_TRUE(view);
    QStringList texts;
    for (QAction* action : view->actions())
        texts.append(action->text().trimmed());
    EXPECT_EQ(texts, QStringList({ "Zoom In", "Zoom Out", "Actual Size" }));

    // Ctrl+= and Ctrl++ both zoom in, one notch each.
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* editor = window.findChild<EditorView*>();
    ASSERT_TRUE(editor);
    auto document = app->document();
    const double before = document->zoom();
    QTest::keyClick(editor, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_GT(document->zoom(), before);
    const double once = document->zoom();
    QTest::keyClick(editor, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_GT(document->zoom(), once);
}

TEST_F(MainWindowFixture, PasteWithNothingOnTheClipboardSaysSoBesideTheWarningTriangle)
{
    settings.setValue("hasCompletedOnboarding", true);
    MainWindow window(*app, settings);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.currentContent(), "emptyState");
    // A confirmation on screen first: the failure must not keep its check mark.
    showToast(QStringLiteral("Copied to clipboard"));

    QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
    QWidget* toast = toastPanel();
    ASSERT_TRUE(toast && toast->isVisible());
    EXPECT_EQ(toast->accessibleName(), QStringLiteral("No image on the clipboard"));
    EXPECT_EQ(toastSymbolIn(toast->grab().toImage()), ToastSymbol::warning);
    EXPECT_FALSE(app->document());
    hideToast();
}
