// Quitting the real application with edits nobody copied or exported: Ctrl+Q asks first and
// Escape keeps it running; a logout's SIGTERM never waits on the question.
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void xdotool(const QStringList& arguments)
{
    Desktop::run(QStringLiteral("xdotool"), arguments);
}

QStringList lumaforgeWindows()
{
    return Desktop::findWindows(QStringLiteral("^Lumaforge$"));
}

// Pastes a shot into the editor and draws a box on it with the pointer, as a user would.
void openAnEditedShot(RunningApp& app)
{
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = lumaforgeWindows()).isEmpty(); })) << app.log().toStdString();
    const QString main = windows.first();
    QTemporaryDir dir;
    QImage shot(900, 600, QImage::Format_RGB32);
    shot.fill(QColor(230, 240, 250));
    const QString file = dir.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(shot.save(file));
    ASSERT_TRUE(Desktop::offerPngOnClipboard(file));
    ASSERT_TRUE(waitUntil([&] { return Desktop::clipboardPng().size() == shot.size(); }));
    xdotool({ "windowfocus", "--sync", main });
    xdotool({ "key", "--clearmodifiers", "ctrl+v" });
    spin(800);
    // The box tool in the tool dock at the window's left, then a drag across the canvas.
    const std::optional<QRect> frame = Desktop::windowGeometry(main);
    ASSERT_TRUE(frame);
    const QPoint tool = frame->topLeft() + QPoint(45, frame->height() / 2 + 51);
    const QPoint from = frame->topLeft() + QPoint(400, 400), to = frame->topLeft() + QPoint(600, 550);
    xdotool({ "mousemove", QString::number(tool.x()), QString::number(tool.y()), "click", "1" });
    spin(200);
    xdotool({ "mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1" });
    xdotool({ "mousemove", QString::number(from.x() + 100), QString::number(from.y() + 60) });
    xdotool({ "mousemove", QString::number(to.x()), QString::number(to.y()), "mouseup", "1" });
    spin(300);
    xdotool({ "windowfocus", "--sync", main });
}

// Ctrl+Q in the main window; true once the question stands beside it.
bool askToQuit(const QString& main)
{
    xdotool({ "windowfocus", "--sync", main });
    xdotool({ "key", "--clearmodifiers", "ctrl+q" });
    return waitUntil([] { return lumaforgeWindows().size() == 2; }, 3000);
}

}

TEST(QuitQuestion, QuittingOverEditsAsksAndEscapeKeepsTheApplication)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    openAnEditedShot(app);
    const QString main = lumaforgeWindows().value(0);

    ASSERT_TRUE(askToQuit(main)) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
    xdotool({ "key", "Escape" });
    EXPECT_TRUE(waitUntil([] { return lumaforgeWindows().size() == 1; }, 3000));
    spin(300);
    EXPECT_TRUE(app.isRunning());

    // Return quits, through the event loop.
    ASSERT_TRUE(askToQuit(main));
    xdotool({ "key", "Return" });
    EXPECT_EQ(app.waitForExit(5000), 0) << app.log().toStdString();
}

TEST(QuitQuestion, ALogoutNeverWaitsOnTheQuestion)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    openAnEditedShot(app);
    ASSERT_TRUE(askToQuit(lumaforgeWindows().value(0))) << app.log().toStdString();
    EXPECT_EQ(app.terminate(), 0) << app.log().toStdString();
    EXPECT_TRUE(app.log().contains(QStringLiteral("SIGTERM received, quitting")));
}
