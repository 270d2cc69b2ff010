#include "confetti/ConfettiOverlay.h"
#include "onboarding/AnimatedDemoStep.h"
#include "onboarding/CaptureStep.h"
#include "onboarding/OnboardingButtons.h"
#include "onboarding/OnboardingView.h"
#include "onboarding/ProgressDots.h"
#include "onboarding/WelcomeStep.h"
#include "support/Wait.h"
#include "ui/Theme.h"

#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct Flow {
    int completions = 0;
    double seconds = 0;
    OnboardingView view { [this] { ++completions; } };

    Flow()
    {
        view.setConfettiClock([this] { return seconds; });
        view.resize(940, 700);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    void click(QAbstractButton* button)
    {
        ASSERT_TRUE(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }
    void next() { click(view.primaryButton()); }
    void back() { click(view.backButton()); }
    WelcomeStep* welcome() const { return qobject_cast<WelcomeStep*>(view.currentPage()); }
};
}

TEST(OnboardingFlow, WalksForwardAndBackWithTheRightButtons)
{
    Flow flow;
    OnboardingView& view = flow.view;
    EXPECT_EQ(view.step(), OnboardingView::Step::capture);
    EXPECT_TRUE(qobject_cast<CaptureStep*>(view.currentPage()));
    // First page: no Back, and "Continue" alone at the right edge of the footer.
    EXPECT_FALSE(view.backButton()->isVisible());
    EXPECT_EQ(view.primaryButton()->text(), "Continue");
    const QRect primary(view.primaryButton()->mapTo(&view, QPoint(0, 0)), view.primaryButton()->size());
    EXPECT_EQ(primary.right() + 1, view.width() - OnboardingView::kSidePadding);

    flow.next();
    EXPECT_EQ(view.step(), OnboardingView::Step::animatedDemo);
    EXPECT_TRUE(view.goingForward());
    EXPECT_TRUE(view.backButton()->isVisible());
    EXPECT_TRUE(qobject_cast<AnimatedDemoStep*>(view.currentPage()));

    // Return is the default button's key on every page.
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.step(), OnboardingView::Step::tryItNow);
    EXPECT_EQ(view.primaryButton()->text(), "Start snapping");

    flow.back();
    EXPECT_EQ(view.step(), OnboardingView::Step::animatedDemo);
    EXPECT_FALSE(view.goingForward());
    flow.back();
    EXPECT_EQ(view.step(), OnboardingView::Step::capture);
    EXPECT_FALSE(view.backButton()->isVisible());
    EXPECT_EQ(flow.completions, 0);

    // The step list itself: raw values count from 0, the ends have no neighbour.
    EXPECT_FALSE(OnboardingView::previousStep(OnboardingView::Step::capture));
    EXPECT_FALSE(OnboardingView::nextStep(OnboardingView::Step::tryItNow));
    EXPECT_EQ(OnboardingView::rawValue(OnboardingView::Step::tryItNow), 2);
}

TEST(OnboardingFlow, ReturnWorksWithoutClickingIntoTheViewFirst)
{
    // As in the main window: the view is one child among others, nothing has focus yet.
    QWidget window;
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* view = new OnboardingView({}, &window);
    view->hide();
    window.resize(940, 720);
    window.show();
    view->show();
    EXPECT_EQ(window.focusWidget(), view);
    QTest::keyClick(window.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(view->step(), OnboardingView::Step::animatedDemo);
}

TEST(OnboardingFlow, CompletingOnTheLastPageKeepsThePage)
{
    Flow flow;
    flow.next();
    flow.next();
    flow.view.finishTransition();
    QWidget* last = flow.view.currentPage();
    flow.next();
    EXPECT_EQ(flow.completions, 1);
    EXPECT_TRUE(flow.view.isComplete());
    EXPECT_EQ(flow.view.step(), OnboardingView::Step::tryItNow);
    EXPECT_EQ(flow.view.currentPage(), last);
    EXPECT_FALSE(flow.view.isTransitioning());
    QTest::keyClick(&flow.view, Qt::Key_Enter);
    EXPECT_EQ(flow.completions, 2);
}

TEST(OnboardingFlow, EveryVisitOfTheLastPageBuildsItAfreshAndFiresOneBurst)
{
    Flow flow;
    flow.next();
    flow.next();
    QPointer<WelcomeStep> first = flow.welcome();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->confetti(), 1);
    EXPECT_EQ(first->cannon()->firedCount(), 1);
    auto* overlay = flow.view.findChild<ConfettiOverlay*>();
    ASSERT_TRUE(overlay);
    EXPECT_TRUE(overlay->isVisible());

    flow.back();
    flow.view.finishTransition();
    EXPECT_TRUE(first.isNull()) << "the removed page is gone";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(flow.view.findChildren<ConfettiOverlay*>().size(), 0) << "its burst went with it";

    flow.seconds = 1;
    flow.next();
    WelcomeStep* second = flow.welcome();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->confetti(), 1) << "a new page starts its counter again";
    EXPECT_EQ(second->cannon()->firedCount(), 1);
    EXPECT_EQ(second->cannon()->activeBursts().front().startTime(), 1.0);
}

TEST(OnboardingFlow, PagesSlideInTheDirectionOfTravel)
{
    Flow flow;
    flow.next();
    flow.next();
    flow.view.finishTransition();
    const int settledX = flow.view.pageFrame().x();
    QWidget* leaving = flow.view.currentPage();

    // Going back: the second page comes in from the left, the last leaves to the right.
    flow.back();
    ASSERT_TRUE(flow.view.isTransitioning());
    spin(60);
    const int incomingX = flow.view.pageFrame().x();
    EXPECT_LT(incomingX, settledX);
    EXPECT_GT(leaving->geometry().marginsRemoved(leaving->contentsMargins()).x(), settledX);
    ASSERT_TRUE(waitUntil([&] { return !flow.view.isTransitioning(); }, 3000));
    EXPECT_EQ(flow.view.pageFrame().x(), settledX);
    EXPECT_EQ(flow.view.currentPage()->graphicsEffect(), nullptr) << "no fade left on a settled page";

    // Going forward: in from the right.
    flow.next();
    spin(60);
    EXPECT_GT(flow.view.pageFrame().x(), settledX);
}

TEST(OnboardingFlow, DotsMarkTheCurrentStepAndThePageStaysCentredAndNarrow)
{
    Flow flow;
    ProgressDots* dots = flow.view.progressDots();
    EXPECT_EQ(dots->dotWidths(), (QList<qreal> { 22, 6, 6 }));
    flow.next();
    ASSERT_TRUE(waitUntil([&] { return std::abs(dots->dotWidths()[1] - 22) < 0.05; }, 3000));
    const QList<qreal> widths = dots->dotWidths();
    EXPECT_NEAR(widths[0], 6, 0.05);
    EXPECT_NEAR(widths[2], 6, 0.05);

    flow.view.finishTransition();
    flow.view.resize(1600, 1000);
    const QRect frame = flow.view.pageFrame();
    EXPECT_EQ(frame.width(), OnboardingView::kMaxPageWidth);
    EXPECT_NEAR(frame.center().x(), flow.view.width() / 2, 1);
    flow.view.resize(900, 600);
    EXPECT_GE(flow.view.width(), OnboardingView::kMinimumWidth);
    EXPECT_GE(flow.view.height(), OnboardingView::kMinimumHeight);
}

TEST(OnboardingFlow, SchemesSwapTheBackdropAtOnce)
{
    Flow flow;
    Theme::setColorScheme(&flow.view, ColorScheme::light);
    const QImage light = flow.view.grab().toImage();
    Theme::setColorScheme(&flow.view, ColorScheme::dark);
    const QImage dark = flow.view.grab().toImage();
    // The lower middle shows the plain wash: near white in light, near black in dark.
    const QColor l = light.pixelColor(470, 560), d = dark.pixelColor(470, 560);
    EXPECT_GT(l.lightnessF(), 0.85);
    EXPECT_LT(d.lightnessF(), 0.15);
    EXPECT_EQ(flow.view.primaryButton()->geometry(), flow.view.primaryButton()->geometry());
    Theme::setColorScheme(&flow.view, std::nullopt);
}
