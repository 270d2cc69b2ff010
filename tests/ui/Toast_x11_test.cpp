// The toast on a real X server: timing, reuse, placement, click-through, its window hints, the
// symbol beside each kind of message, and a failure held under the real pointer (XTest).
#include "ui/Toast.h"

#include "support/ToastSymbol.h"
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {
bool toastVisible()
{
    QWidget* panel = toastPanel();
    return panel && panel->isVisible();
}

void movePointer(QPoint to)
{
    X11Probe::xdotool({ QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y()) });
}

// Takes any toast away, and the pointer off where toasts show, so each test starts from an empty
// screen.
void settle()
{
    movePointer({ 5, 5 });
    if (toastVisible())
        hideToast();
    waitUntil([] { return !toastVisible(); }, 3000);
}

// How long the toast stays on screen from now, in ms; -1 when it outstays `limitMs`.
qint64 timeOnScreen(int limitMs)
{
    QElapsedTimer shown;
    shown.start();
    if (!waitUntil([] { return !toastVisible(); }, limitMs))
        return -1;
    return shown.elapsed();
}

// What the screen shows where the toast is.
ToastSymbol symbolOnScreen(QWidget* panel)
{
    const QRect frame = panel->geometry();
    return toastSymbolIn(panel->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage());
}

bool showsOnScreen(QWidget* panel, ToastSymbol symbol)
{
    return waitUntil([&] { return panel->isVisible() && symbolOnScreen(panel) == symbol; }, 2000);
}

class Catcher final : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};
}

TEST(Toast, SecondToastReusesThePanelAndRestartsTheClock)
{
    settle();
    showToast(QStringLiteral("Copied to clipboard"));
    QWidget* first = toastPanel();
    ASSERT_TRUE(first && first->isVisible());
    const int shortWidth = first->width();
    spin(1000);

    QElapsedTimer sinceSecond;
    sinceSecond.start();
    showToast(QStringLiteral("Screenshot copied — press Ctrl+V to paste in LinkedIn"));
    EXPECT_EQ(toastPanel(), first);
    EXPECT_GT(first->width(), shortWidth); // ideal width, no wrapping

    spin(1450);
    EXPECT_TRUE(toastVisible()); // the first toast's hide was cancelled
    ASSERT_TRUE(waitUntil([] { return !toastVisible(); }, 1500));
    EXPECT_GE(sinceSecond.elapsed(), 1600 + 150);
    EXPECT_LE(sinceSecond.elapsed(), 1600 + 250 + 600);
}

TEST(Toast, ToastShownDuringTheFadeOutStays)
{
    settle();
    showToast(QStringLiteral("Exported"));
    QWidget* panel = toastPanel();
    // Into the fade-out: visible, but no longer fully opaque.
    ASSERT_TRUE(waitUntil([&] { return panel->windowOpacity() < 0.9; }, 2500));
    ASSERT_TRUE(panel->isVisible());
    showToast(QStringLiteral("Copied — see you next shot"));
    spin(500);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_DOUBLE_EQ(panel->windowOpacity(), 1.0);

    // The same when the fade-out is asked for directly.
    hideToast();
    showToast(QStringLiteral("Copy failed"));
    spin(400);
    EXPECT_TRUE(panel->isVisible());
    settle();
}

TEST(Toast, FailuresWearTheWarningTriangleAndEachMessageSwitchesTheSymbol)
{
    settle();
    showToast(QStringLiteral("Copied to clipboard"));
    QWidget* panel = toastPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(showsOnScreen(panel, ToastSymbol::checkMark));

    // A failure replacing the shown confirmation: same panel, the triangle instead, and a fresh
    // 1.6 s like any other replacement.
    spin(800);
    QElapsedTimer sinceFailure;
    sinceFailure.start();
    showFailureToast(QStringLiteral("Copy failed"));
    EXPECT_EQ(toastPanel(), panel);
    EXPECT_EQ(panel->accessibleName(), QStringLiteral("Copy failed"));
    EXPECT_TRUE(showsOnScreen(panel, ToastSymbol::warning));
    spin(1000);
    EXPECT_TRUE(toastVisible());
    EXPECT_EQ(symbolOnScreen(panel), ToastSymbol::warning);

    // And back: a confirmation after a failure has its check mark again.
    showToast(QStringLiteral("Copied to clipboard"));
    EXPECT_TRUE(showsOnScreen(panel, ToastSymbol::checkMark));
    showFailureToast(QStringLiteral("No image on the clipboard"));
    EXPECT_TRUE(showsOnScreen(panel, ToastSymbol::warning));
    ASSERT_TRUE(waitUntil([] { return !toastVisible(); }, 5000));
    EXPECT_GE(sinceFailure.elapsed(), 1600 + 1000);
}

// A failure of twenty words stays long enough to read at a brisk 200 words a minute (6 s), and
// still goes by itself; a confirmation keeps its 1.6 s.
TEST(Toast, AFailureStaysAsLongAsItTakesToRead)
{
    settle();
    const QString sentence = QStringLiteral(
        "Couldn't export the image to the folder you picked because the disk is full; free some space and try again");
    ASSERT_EQ(sentence.split(' ').size(), 20);
    showFailureToast(sentence);
    const qint64 failureMs = timeOnScreen(16000 + 250 + 500);
    EXPECT_GE(failureMs, 6000);
    EXPECT_GT(failureMs, 0) << "never went";

    showToast(QStringLiteral("Copied to clipboard"));
    const qint64 confirmationMs = timeOnScreen(2500);
    EXPECT_GE(confirmationMs, 1600);
    EXPECT_LE(confirmationMs, 1600 + 250 + 400);
}

// The real pointer, moved through XTest: resting on a failure holds it past its time, on a
// fading one brings it back; leaving lets it go after a short moment. A confirmation is not held.
TEST(Toast, APointerRestingOnAFailureHoldsItAndLeavingLetsItGo)
{
    settle();
    showFailureToast(QStringLiteral("Copy failed"));
    QWidget* panel = toastPanel();
    ASSERT_TRUE(waitUntil([&] { return panel->windowHandle() && panel->windowHandle()->isExposed(); }));
    spin(400);
    movePointer(panel->geometry().center());
    spin(5000); // well past the time "Copy failed" takes to read
    EXPECT_TRUE(toastVisible());
    EXPECT_DOUBLE_EQ(panel->windowOpacity(), 1.0);
    EXPECT_EQ(symbolOnScreen(panel), ToastSymbol::warning);

    movePointer({ 5, 5 });
    const qint64 afterLeaving = timeOnScreen(4000);
    EXPECT_GE(afterLeaving, 1400);
    EXPECT_LE(afterLeaving, 1600 + 250 + 600);

    // Caught while fading out: it comes back and stays while the pointer rests there.
    showFailureToast(QStringLiteral("Copy failed"));
    ASSERT_TRUE(waitUntil([&] { return panel->windowOpacity() < 0.9; }, 5000));
    movePointer(panel->geometry().center());
    spin(1500);
    EXPECT_TRUE(toastVisible());
    EXPECT_DOUBLE_EQ(panel->windowOpacity(), 1.0);

    // A confirmation under the pointer keeps its 1.6 s.
    showToast(QStringLiteral("Copied to clipboard"));
    movePointer(panel->geometry().center());
    const qint64 confirmationMs = timeOnScreen(4000);
    EXPECT_GE(confirmationMs, 1500);
    EXPECT_LE(confirmationMs, 1600 + 250 + 400);
    settle();
}

TEST(Toast, CentredNearTheBottomOfTheScreen)
{
    settle();
    showToast(QStringLiteral("No image on the clipboard"));
    QWidget* panel = toastPanel();
    const QRect screen = panel->screen()->geometry();
    const QRect frame = panel->geometry();
    EXPECT_NEAR(frame.center().x(), screen.center().x(), 1);
    // Xvfb has no compositor: the window is the capsule itself, no shadow margins.
    EXPECT_NEAR(frame.bottom() + 1, screen.top() + screen.height() * 0.84, 1.0);
    hideToast();
    settle();
}

TEST(Toast, ClicksPassThroughAndFocusStays)
{
    settle();
    Catcher below;
    below.setWindowTitle(QStringLiteral("below"));
    below.setGeometry(QGuiApplication::primaryScreen()->geometry().adjusted(200, 200, -200, -40));
    below.show();
    below.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return below.windowHandle()->isExposed(); }));
    waitUntil([&] { return QGuiApplication::focusWindow() == below.windowHandle(); }, 2000);
    QWindow* focusBefore = QGuiApplication::focusWindow();

    showToast(QStringLiteral("Copied to clipboard"));
    QWidget* panel = toastPanel();
    ASSERT_TRUE(waitUntil([&] { return panel->windowHandle() && panel->windowHandle()->isExposed(); }));
    const QPoint centre = panel->geometry().center();
    ASSERT_TRUE(below.geometry().contains(centre));
    ASSERT_TRUE(X11Probe::xdotool({ QStringLiteral("mousemove"), QString::number(centre.x()),
        QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1") }));
    EXPECT_TRUE(waitUntil([&] { return below.presses == 1; }, 2000));
    EXPECT_EQ(QGuiApplication::focusWindow(), focusBefore);
    EXPECT_NE(QGuiApplication::focusWindow(), panel->windowHandle());
    hideToast();
    settle();
}

TEST(Toast, FloatsOnEveryDesktopAndNeverTakesInput)
{
    settle();
    showToast(QStringLiteral("Copied to clipboard"));
    QWidget* panel = toastPanel();
    EXPECT_EQ(X11Probe::property32(panel, "_NET_WM_DESKTOP"), QList<uint32_t> { 0xFFFFFFFFu });
    EXPECT_TRUE(X11Probe::property32(panel, "_NET_WM_STATE").contains(X11Probe::atom("_NET_WM_STATE_ABOVE")));
    // WM_HINTS: flags bit 0 says the input field is set; the field says "never give me focus".
    const QList<uint32_t> hints = X11Probe::property32(panel, "WM_HINTS");
    ASSERT_GE(hints.size(), 2);
    EXPECT_TRUE(hints[0] & 1u);
    EXPECT_EQ(hints[1], 0u);
    hideToast();
    settle();
}
