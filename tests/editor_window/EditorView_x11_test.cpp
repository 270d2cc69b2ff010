// The assembled editor window on a real X server with the application's real toast: a toast
// never covers the Copy / Export pill, and the pill takes a real click while one is up.
#include "EditorWindowKit.h"

#include "support/Wait.h"
#include "support/X11Probe.h"
#include "ui/Toast.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
QRect onScreen(const QWidget* widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}
}

TEST_F(EditorWindowKit, ToastsStandClearOfThePillAndItsCopyButtonStillClicks)
{
    // The window is placed so that its pill sits where a toast shows by itself: centred, with
    // the toast's bottom 16 % of the screen's height above the screen's bottom edge.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ActionPill* pill = view->actionPill();
    const QPoint pillCentre = pill->mapTo(view.get(), pill->rect().center());
    const QPoint wanted(screen.center().x(), screen.top() + int(screen.height() * 0.84) - pill->height() / 2);
    view->move(wanted - pillCentre);
    ASSERT_TRUE(waitUntil([&] { return onScreen(pill).center() == wanted; }, 3000));

    const QStringList failures { QStringLiteral("No image on the clipboard"),
        QStringLiteral("Couldn't export the image: the disk is full") };
    for (const QString& message : failures) {
        showFailureToast(message);
        QWidget* toast = toastPanel();
        ASSERT_TRUE(toast && toast->isVisible());
        const QRect toastRect = toast->geometry();
        EXPECT_FALSE(toastRect.intersects(onScreen(pill))) << message.toStdString();
        // Just above it, still centred, not thrown somewhere else.
        EXPECT_LT(toastRect.bottom(), onScreen(pill).top());
        EXPECT_GT(toastRect.bottom(), onScreen(pill).top() - 24);
        EXPECT_NEAR(toastRect.center().x(), screen.center().x(), 1);
    }
    // A confirmation (the share hint) stands clear too.
    showToast(QStringLiteral("Screenshot copied — press Ctrl+V to paste in LinkedIn"));
    EXPECT_FALSE(toastPanel()->geometry().intersects(onScreen(pill)));

    // The real pointer clicks Copy while the toast is up.
    const QPoint copy = onScreen(pill->copyButton()).center();
    ASSERT_TRUE(X11Probe::xdotool({ "mousemove", "--sync", QString::number(copy.x()), QString::number(copy.y()) }));
    ASSERT_TRUE(X11Probe::xdotool({ "click", "1" }));
    EXPECT_TRUE(waitUntil([&] { return copies == 1; }, 3000));
    EXPECT_TRUE(toastPanel()->isVisible());
    hideToast();
}
