// Pasting into the real application while the program that holds the clipboard lets it down: it
// never answers, or it goes away half-way through sending the image. The window keeps answering
// all the while (its main thread is timed from outside, through the X server), and the toast says
// what happened.
#include "support/ClipboardOwnerStandIn.h"
#include "support/PingProbe.h"
#include "support/RunningApp.h"
#include "support/ScreenText.h"
#include "support/Wait.h"

#include <QThread>
#include <gtest/gtest.h>

#include <iostream>

namespace {

struct MainWindow {
    QString id;
    QRect frame;
};

std::optional<MainWindow> mainWindow()
{
    for (const QString& id : Desktop::findWindows(QStringLiteral("^Lumaforge$"))) {
        const std::optional<QRect> frame = Desktop::windowGeometry(id);
        if (frame && frame->width() >= 720)
            return MainWindow { id, *frame };
    }
    return std::nullopt;
}

// The toast's words as the screen shows them (lower case).
QString toastText()
{
    const std::optional<QRect> frame = Desktop::toastFrame();
    return frame ? textOnScreen(*frame) : QString();
}

struct PasteOutcome {
    qint64 longestMs = 0; // the longest the main thread went without answering
    QString toast;
};

// Ctrl+V in the main window (its empty state), its main thread timed until the toast has had time
// to show.
PasteOutcome pasteAndTime(const MainWindow& main, int forMs, const QString& expected)
{
    // A window that was just shown takes a moment before its shortcuts answer keys.
    spin(1000);
    PingProbe probe(main.id.toUInt());
    Desktop::run(QStringLiteral("xdotool"), { "windowfocus", "--sync", main.id });
    Desktop::run(QStringLiteral("xdotool"), { "key", "--clearmodifiers", "ctrl+v" });
    QThread::msleep(forMs);
    probe.stop();
    PasteOutcome outcome;
    outcome.longestMs = probe.longestMs();
    EXPECT_GT(probe.answered(), 10);
    waitUntil([&] { return readsAs(outcome.toast = toastText(), expected); }, 4000);
    std::cout << "longest main-thread stall during the paste: " << outcome.longestMs << " ms" << std::endl;
    return outcome;
}

}

TEST(Paste, AnOwnerThatNeverAnswersNeitherFreezesTheWindowNorPassesForAnEmptyClipboard)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    std::optional<MainWindow> main;
    ASSERT_TRUE(waitUntil([&] { return (main = mainWindow()).has_value(); })) << app.log().toStdString();
    ClipboardOwnerStandIn owner(ClipboardOwnerStandIn::Behaviour::neverAnswers);
    ASSERT_TRUE(owner.ownsClipboard());

    const QString said = QStringLiteral("the program holding the clipboard stopped answering");
    const PasteOutcome outcome = pasteAndTime(*main, 3500, said);
    EXPECT_GE(owner.requests(), 1);
    EXPECT_LT(outcome.longestMs, 200) << app.log().toStdString();
    EXPECT_TRUE(readsAs(outcome.toast, said)) << outcome.toast.toStdString();
    EXPECT_FALSE(outcome.toast.contains(QStringLiteral("no image"))) << outcome.toast.toStdString();
    EXPECT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("Lumaforge: paste: the clipboard's owner did not answer")); }, 2000))
        << app.log().toStdString();
}

TEST(Paste, AnOwnerThatDiesHalfWayIsSaidAtOnce)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    std::optional<MainWindow> main;
    ASSERT_TRUE(waitUntil([&] { return (main = mainWindow()).has_value(); })) << app.log().toStdString();
    ClipboardOwnerStandIn owner(ClipboardOwnerStandIn::Behaviour::diesMidTransfer);
    ASSERT_TRUE(owner.ownsClipboard());

    const QString said = QStringLiteral("the program that copied the image stopped answering");
    const PasteOutcome outcome = pasteAndTime(*main, 1500, said);
    EXPECT_EQ(owner.piecesSent(), 3);
    EXPECT_LT(outcome.longestMs, 200) << app.log().toStdString();
    EXPECT_TRUE(readsAs(outcome.toast, said))
        << outcome.toast.toStdString();
    EXPECT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("Lumaforge: paste: the clipboard's owner stopped after")); }, 2000))
        << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}
