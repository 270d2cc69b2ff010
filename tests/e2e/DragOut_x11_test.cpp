// Dragging the shot out of the panel of the real application when its drag file cannot be
// written: the user is told, rather than handed a drag that drops nothing.
#include "support/RunningApp.h"
#include "support/ScratchFileSystem.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

// A window titled "Lumaforge" in the lower part of the screen: the toast.
bool toastShown()
{
    const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
    for (const QString& id : Desktop::findWindows("^Lumaforge$")) {
        const auto geometry = Desktop::windowGeometry(id);
        if (geometry && geometry->top() > screenHeight / 2 && geometry->height() < 200)
            return true;
    }
    return false;
}

void dropShot(const QString& name)
{
    QImage image(1200, 800, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 244));
    QPainter(&image).fillRect(100, 100, 500, 300, QColor(52, 120, 246));
    const QString tmp = QDir::homePath() + QStringLiteral("/.incoming.png");
    image.save(tmp, "PNG");
    QFile::rename(tmp, RunningApp::screenshotFolder() + QLatin1Char('/') + name);
}

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

    dropShot(QStringLiteral("Screenshot from 2026-12-08 10-11-12.png"));
    QStringList panels;
    ASSERT_TRUE(waitUntil([&] { return !(panels = Desktop::findWindows(QStringLiteral("^Lumaforge Shot$"))).isEmpty(); }, 15000))
        << app.log().toStdString();
    const auto panel = Desktop::windowGeometry(panels.first());
    ASSERT_TRUE(panel);
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("temp file write failed")); }))
        << app.log().toStdString();
    EXPECT_FALSE(toastShown()); // nobody asked for the file yet

    // The thumbnail sits at the card's left, past the window's shadow margin.
    const QPoint thumbnail = panel->topLeft() + QPoint(120, 75);
    xdotool({ "mousemove", QString::number(thumbnail.x()), QString::number(thumbnail.y()) });
    waitUntil([] { return false; }, 300);
    xdotool({ "mousedown", "1" });
    for (int step = 1; step <= 10; ++step) {
        xdotool({ "mousemove", QString::number(thumbnail.x() - step * 30), QString::number(thumbnail.y() + step * 40) });
        waitUntil([] { return false; }, 30);
    }
    xdotool({ "mouseup", "1" });

    EXPECT_TRUE(waitUntil(toastShown, 3000)) << app.log().toStdString();
    // The panel still goes away once the pointer has left it.
    xdotool({ "mousemove", "10", QString::number(QGuiApplication::primaryScreen()->geometry().bottom() - 10) });
    EXPECT_TRUE(waitUntil([] { return Desktop::findWindows(QStringLiteral("^Lumaforge Shot$")).isEmpty(); }, 8000));
    EXPECT_TRUE(app.isRunning());
}
