#pragma once

#include "confetti/ConfettiCannon.h"
#include "platform/KeystrokeScreenshotTool.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class OnboardingBackButton;
class OnboardingPrimaryButton;
class ProgressDots;
class SpringAnimation;

// The first-run onboarding that fills the main window: three pages (how to take a shot, what
// happens to it, a closing page with confetti) on a soft backdrop, with progress dots, Back and
// a default button. Pages slide and fade in the direction of travel; each page is built afresh
// when it is entered. Its one output is completion: pressing the default button on the last page
// calls `complete`, and the page stays as it is.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    enum class Step { capture = 0, animatedDemo = 1, tryItNow = 2 };
    static constexpr std::array<Step, 3> allSteps { Step::capture, Step::animatedDemo, Step::tryItNow };
    static int rawValue(Step step) { return int(step); }
    static std::optional<Step> nextStep(Step step);
    static std::optional<Step> previousStep(Step step);

    // `keys` are the desktop's screenshot keys the pages name.
    explicit OnboardingView(std::function<void()> complete, QWidget* parent = nullptr,
        const DesktopScreenshotKeys& keys = DesktopScreenshotKeys::forSession());
    ~OnboardingView() override;

    Step step() const { return m_step; }
    bool goingForward() const { return m_goingForward; }
    bool isComplete() const { return m_isComplete; }
    QWidget* currentPage() const { return m_page; }
    bool isTransitioning() const;
    // Ends a running page change at once (the outgoing page goes).
    void finishTransition();

    OnboardingPrimaryButton* primaryButton() const { return m_primary; }
    OnboardingBackButton* backButton() const { return m_back; }
    ProgressDots* progressDots() const { return m_dots; }
    // Where the current page's content sits (without its glow margins).
    QRect pageFrame() const;

    // The clock the welcome page's confetti runs on; applies to pages built from now on.
    void setConfettiClock(ConfettiClock clock) { m_confettiClock = std::move(clock); }

    // The default button: the next page, or completion on the last one.
    void advance();
    // Back to `previous` (the Back button passes the page before the current one).
    void goBack(Step previous);

    static constexpr int kMinimumWidth = 940;
    static constexpr int kMinimumHeight = 700;
    static constexpr int kMaxPageWidth = 620;
    static constexpr int kSidePadding = 54;

Q_SIGNALS:
    void stepChanged(OnboardingView::Step step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setStep(Step step);
    QWidget* makePage(Step step);
    void layoutPages();
    void updateFooter();
    int pageWidth() const;
    int pageContentHeight(QWidget* page, int width) const;

    std::function<void()> m_complete;
    Step m_step = Step::capture;
    bool m_goingForward = true;
    bool m_isComplete = false;
    QPointer<QWidget> m_page;
    QPointer<QWidget> m_leaving;
    qreal m_progress = 1;
    SpringAnimation* m_transition;
    QWidget* m_pageArea;
    QWidget* m_footer;
    OnboardingPrimaryButton* m_primary;
    OnboardingBackButton* m_back;
    ProgressDots* m_dots;
    ConfettiClock m_confettiClock = defaultConfettiClock();
    DesktopScreenshotKeys m_keys;
    QImage m_backdrop;
    bool m_backdropDark = false;
};

// The window-filling backdrop: a vertical wash with a pink glow near the top left and a blue one
// at the bottom right, at `pixels` size.
QImage paintOnboardingBackdrop(QSize pixels, qreal devicePixelRatio, bool dark);
