// The replace question on a real X server, where it stands over the main window while the notch
// panel keeps taking clicks: an Edit clicked on a newer panel meanwhile is not lost.
#include "AppStateKit.h"
#include "QuestionAnswerer.h"

#include "app/MainWindow.h"
#include "editor/EditorDocument.h"
#include "editor/EditorDocumentTestKit.h"
#include "notch/NotchIconButton.h"
#include "notch/NotchPanel.h"
#include "notch/NotchPanelView.h"
#include "notch/NotchTestKit.h"
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <gtest/gtest.h>

namespace {

struct ReplaceGuardX11 : AppStateKit {
    std::unique_ptr<MainWindow> window;
    NotchRig notch;

    void SetUp() override
    {
        makeApp([](const QImage&, QObject*, std::function<void(DetectionResult)> done) { done({}); },
            [](const EditorDocument&) { return filledImage({ 20, 10 }, Qt::gray); });
        settings.setValue("hasCompletedOnboarding", true);
        window = std::make_unique<MainWindow>(*app, settings);
        window->resize(1000, 700);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // As the application wires the panel's Edit.
        NotchHandlers handlers;
        handlers.openInEditor = [this](std::shared_ptr<EditorDocument> document) { app->openDocument(std::move(document)); };
        notch.controller->setHandlers(handlers);
    }

    static std::shared_ptr<EditorDocument> shotDocument(QColor color)
    {
        return std::make_shared<EditorDocument>(
            filledImage({ 400, 300 }, color), QStringLiteral("Shot"), BeautifySettings::defaults(), DetectionResult {});
    }

    // Presents the shot's panel and clicks its Edit with the real pointer.
    bool presentAndClickEdit(const std::shared_ptr<EditorDocument>& document)
    {
        auto session = makeSession(document->image(), filledImage({ 500, 400 }, Qt::gray));
        session->document = document;
        notch.controller->present(session);
        NotchPanelView* view = notch.controller->panel()->view();
        if (!waitUntil([&] { return notch.controller->phase() == NotchController::Phase::revealed && view->isSettled(); }, 3000))
            return false;
        QWidget* edit = view->card()->editChip();
        const QPoint at = edit->mapToGlobal(edit->rect().center());
        const bool clicked = X11Probe::xdotool({ QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()) })
            && X11Probe::xdotool({ QStringLiteral("click"), QStringLiteral("1") });
        // The click's way through the server and back.
        spin(300);
        return clicked;
    }
};

}

// While the replace question for one panel's shot stands, the Edit of a newer panel waits for
// the answer and is then asked in turn (the edits were kept) or followed.
TEST_F(ReplaceGuardX11, AnEditOnASecondPanelWaitsForTheOpenQuestion)
{
    auto edited = shotDocument(Qt::darkCyan);
    edited->addAnnotation(mark(Annotation::Kind::box, { 0.2, 0.2 }, { 0.5, 0.5 }));
    app->setDocument(edited);
    ASSERT_TRUE(edited->hasEditsSinceCopyOrExport());

    const auto first = shotDocument(Qt::darkRed);
    const auto second = shotDocument(Qt::darkGreen);
    QuestionAnswerer answer;
    answer.key = Qt::Key_Escape; // keep the edits over the first shot
    bool clickedSecond = false;
    answer.beforeAnswer = [&] {
        clickedSecond = presentAndClickEdit(second);
        answer.key = Qt::Key_Return; // then replace them with the second
    };
    ASSERT_TRUE(presentAndClickEdit(first));
    ASSERT_TRUE(waitUntil([&] { return answer.asked >= 1 && !answer.beforeAnswer; }, 5000));
    EXPECT_TRUE(clickedSecond);
    EXPECT_TRUE(waitUntil([&] { return answer.asked == 2; }, 3000));
    EXPECT_EQ(app->document(), second);
    EXPECT_EQ(window->currentContent(), "editor");
}

// Answered Replace, the first shot opens and the second, clicked meanwhile, follows at once:
// the first has nothing to lose.
TEST_F(ReplaceGuardX11, AfterReplaceTheWaitingEditFollows)
{
    auto edited = shotDocument(Qt::darkCyan);
    edited->addAnnotation(mark(Annotation::Kind::arrow, { 0.1, 0.1 }, { 0.6, 0.4 }));
    app->setDocument(edited);

    const auto second = shotDocument(Qt::darkGreen);
    QuestionAnswerer answer;
    answer.beforeAnswer = [&] { presentAndClickEdit(second); };
    ASSERT_TRUE(presentAndClickEdit(shotDocument(Qt::darkRed)));
    ASSERT_TRUE(waitUntil([&] { return app->document() == second; }, 5000));
    EXPECT_EQ(answer.asked, 1);
}
