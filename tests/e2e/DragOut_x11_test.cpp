// Dragging the shot out of the panel of the real application when its drag file cannot be
// written: the user is told, rather than handed a drag that drops nothing.
#include "support/RunningApp.h"
#include "support/ScratchFileSystem.h"
#include "support/ToastSymbol.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

bool toastShown()
{
    return Desktop::toastFrame().has_value();
}

void dropShot(const QString& name, QColor accent = QColor(52, 120, 246))
{
    QImage image(1200, 800, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 244));
    QPainter(&image).fillRect(100, 100, 500, 300, accent);
    const QString tmp = QDir::homePath() + QStringLiteral("/.incoming.png");
    image.save(tmp, "PNG");
    QFile::rename(tmp, RunningApp::screenshotFolder() + QLatin1Char('/') + name);
}

// Presses on the panel's thumbnail and drags it in steps to `target`; `midway` runs halfway with
// the button still down.
void dragFromThumbnail(const QRect& panel, QPoint target, const std::function<void()>& midway = {})
{
    // The thumbnail sits at the card's left, past the window's shadow margin.
    const QPoint thumbnail = panel.topLeft() + QPoint(120, 75);
    xdotool({ "mousemove", QString::number(thumbnail.x()), QString::number(thumbnail.y()) });
    waitUntil([] { return false; }, 300);
    xdotool({ "mousedown", "1" });
    for (int step = 1; step <= 10; ++step) {
        const QPoint at = thumbnail + (target - thumbnail) * step / 10;
        xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()) });
        waitUntil([] { return false; }, 30);
        if (step == 5 && midway)
            midway();
    }
    xdotool({ "mouseup", "1" });
}

// The middle of the main window, where its empty state takes dropped images.
QPoint mainWindowCentre()
{
    const QStringList main = Desktop::findWindows(QStringLiteral("^Lumaforge$"));
    const auto geometry = main.isEmpty() ? std::nullopt : Desktop::windowGeometry(main.first());
    return geometry ? geometry->center() : QPoint(400, 400);
}

std::optional<QRect> waitForPanel()
{
    QStringList panels;
    if (!waitUntil([&] { return !(panels = Desktop::findWindows(QStringLiteral("^Lumaforge Shot$"))).isEmpty(); }, 15000))
        return std::nullopt;
    return Desktop::windowGeometry(panels.first());
}

}

TEST(DragOut, AShotDraggedOutWhileTheNextArrivesStillDrops)
{
    RunningApp app;
    app.setEnvironment(QStringLiteral("LUMAFORGE_TRACE_ROAD"), QStringLiteral("1"));
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    dropShot(QStringLiteral("Screenshot from 2026-12-08 10-11-12.png"));
    const auto panel = waitForPanel();
    ASSERT_TRUE(panel) << app.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return app.log().count(QStringLiteral("road encoded")) == 1; })) << app.log().toStdString();

    // Dropped on the main window's empty state, which reads the file after the drop.
    dragFromThumbnail(*panel, mainWindowCentre(), [&] {
        dropShot(QStringLiteral("Screenshot from 2026-12-08 10-11-13.png"), QColor(220, 60, 60));
        EXPECT_TRUE(waitUntil([&] { return app.log().count(QStringLiteral("road encoded")) == 2; }, 15000))
            << app.log().toStdString();
    });
    waitUntil([] { return false; }, 1500);
    EXPECT_FALSE(app.log().contains(QStringLiteral("drop refused"))) << app.log().toStdString();
    EXPECT_FALSE(toastShown());
    EXPECT_TRUE(app.isRunning());
}

TEST(DragOut, ADragFileThatCannotBeWrittenIsToldAndNoEmptyDragStarts)
{
    ScratchFileSystem disk;
    RunningApp app;
    // The drag file goes under the runtime folder.
    app.setEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), disk.path());
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    if (disk.mounted()) {
        ASSERT_TRUE(disk.fill());
    } else {
        // Without a file system of our own: a file where the private folder should be.
        ASSERT_TRUE(QDir(disk.path()).rename(QStringLiteral("lumaforge"), QStringLiteral("lumaforge-away")));
        QFile planted(disk.filePath(QStringLiteral("lumaforge")));
        ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    }

    dropShot(QStringLiteral("Screenshot from 2026-12-08 10-12-00.png"));
    const auto panel = waitForPanel();
    ASSERT_TRUE(panel) << app.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("temp file write failed")); }))
        << app.log().toStdString();
    EXPECT_FALSE(toastShown()); // nobody asked for the file yet

    dragFromThumbnail(*panel, mainWindowCentre());

    EXPECT_TRUE(waitUntil(toastShown, 3000)) << app.log().toStdString();
    // Told as a failure, not with a confirmation's check mark.
    ToastSymbol symbol = ToastSymbol::none;
    waitUntil([&] {
        const auto frame = Desktop::toastFrame();
        if (frame)
            symbol = toastSymbolIn(QGuiApplication::primaryScreen()->grabWindow(0, frame->x(), frame->y(), frame->width(), frame->height()).toImage());
        return symbol == ToastSymbol::warning;
    }, 1500);
    EXPECT_EQ(symbol, ToastSymbol::warning);
    // The panel still goes away once the pointer has left it.
    xdotool({ "mousemove", "10", QString::number(QGuiApplication::primaryScreen()->geometry().bottom() - 10) });
    EXPECT_TRUE(waitUntil([] { return Desktop::findWindows(QStringLiteral("^Lumaforge Shot$")).isEmpty(); }, 8000));
    EXPECT_TRUE(app.isRunning());
}
