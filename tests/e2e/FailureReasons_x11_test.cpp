// Failures of the real application told with their reason, read off the screen as the user reads
// them: an export to a full disk through the real save dialog, a drag out of the panel with its
// file on a full disk, and "Show Screenshots" on a desktop where nothing opens folders.
#include "capture/CapturePopoverView.h"
#include "platform/SystemScreenshotTool.h"
#include "support/CaptureParts.h"
#include "support/RunningApp.h"
#include "support/ScratchFileSystem.h"
#include "support/ScreenText.h"
#include "support/ToastSymbol.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

void clickAt(QPoint at)
{
    xdotool({ "mousemove", "--sync", QString::number(at.x()), QString::number(at.y()) });
    xdotool({ "click", "1" });
}

// What the failure toast says, once one shows with the warning triangle; empty when none does.
QString failureToastText(int timeoutMs = 8000)
{
    std::optional<QRect> frame;
    const bool shown = waitUntil([&] {
        frame = Desktop::toastFrame();
        return frame
            && toastSymbolIn(QGuiApplication::primaryScreen()->grabWindow(0, frame->x(), frame->y(), frame->width(),
                                 frame->height())
                                 .toImage())
            == ToastSymbol::warning;
    }, timeoutMs);
    if (!shown)
        return {};
    spin(300); // fully faded in
    return textOnScreen(*frame);
}

// The main window with a pasted shot open in the editor.
bool openPastedShot(const QString& scratch)
{
    QStringList windows;
    if (!waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); }))
        return false;
    QImage shot(480, 300, QImage::Format_RGB32);
    shot.fill(QColor(236, 238, 242));
    QPainter(&shot).fillRect(30, 70, 200, 40, QColor(52, 120, 246));
    const QString file = scratch + QStringLiteral("/pasted.png");
    if (!shot.save(file) || !Desktop::offerPngOnClipboard(file)
        || !waitUntil([&] { return Desktop::clipboardPng().size() == shot.size(); }))
        return false;
    xdotool({ "windowfocus", "--sync", windows.first() });
    xdotool({ "key", "--clearmodifiers", "ctrl+v" });
    // The editor holds the shot once Ctrl+C puts its styled form, bigger than the shot, on the
    // clipboard.
    for (int attempt = 0; attempt < 10; ++attempt) {
        xdotool({ "key", "--clearmodifiers", "ctrl+c" });
        if (waitUntil([&] { return Desktop::clipboardPng().width() > shot.width(); }, 800))
            return true;
    }
    return false;
}

}

TEST(FailureReasons, AnExportToAFullDiskSaysTheDiskIsFull)
{
    ScratchFileSystem disk(512 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    QTemporaryDir scratch;
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    ASSERT_TRUE(openPastedShot(scratch.path())) << app.log().toStdString();
    ASSERT_TRUE(disk.fill());

    // Ctrl+E, then the save dialog's name field, as a person types a path into it.
    xdotool({ "key", "--clearmodifiers", "ctrl+e" });
    QStringList dialogs;
    ASSERT_TRUE(waitUntil([&] { return !(dialogs = Desktop::findWindows(QStringLiteral("^Export$"))).isEmpty(); }))
        << app.log().toStdString();
    xdotool({ "windowfocus", "--sync", dialogs.first() });
    spin(300);
    const QString target = disk.filePath(QStringLiteral("shot.png"));
    xdotool({ "key", "--clearmodifiers", "ctrl+a" });
    xdotool({ "type", "--delay", "20", target });
    spin(300);
    xdotool({ "key", "Return" });

    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("export failed")); }, 8000)) << app.log().toStdString();
    EXPECT_TRUE(app.log().contains("Lumaforge: export failed: cannot write " + target + ": No space left on device"))
        << app.log().toStdString();
    EXPECT_FALSE(app.log().contains(QStringLiteral("Unknown error")));
    const QString said = failureToastText();
    EXPECT_TRUE(readsAs(said, QStringLiteral("export")) && readsAs(said, QStringLiteral("the disk is full"))) << said.toStdString();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files), QStringList {}); // no temporary file left
    EXPECT_TRUE(app.isRunning());
}

// The drag-out file goes under the runtime folder, here on a full disk: the drag says why it
// carries nothing.
TEST(FailureReasons, ADragOutOnAFullDiskSaysTheDiskIsFull)
{
    ScratchFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    RunningApp app;
    app.setEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), disk.path());
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    ASSERT_TRUE(disk.fill());
    QImage shot(1200, 800, QImage::Format_RGB32);
    shot.fill(QColor(240, 240, 244));
    QPainter(&shot).fillRect(100, 100, 500, 300, QColor(52, 120, 246));
    const QString incoming = QDir::homePath() + QStringLiteral("/.incoming.png");
    ASSERT_TRUE(shot.save(incoming));
    QFile::rename(incoming, RunningApp::screenshotFolder() + QStringLiteral("/Screenshot from 2026-12-08 22-41-07.png"));
    QStringList panels;
    ASSERT_TRUE(waitUntil([&] { return !(panels = Desktop::findWindows(QStringLiteral("^Lumaforge Shot$"))).isEmpty(); }, 15000))
        << app.log().toStdString();
    const auto panel = Desktop::windowGeometry(panels.first());
    ASSERT_TRUE(panel);
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("temp file write failed")); })) << app.log().toStdString();

    // Pressed on the thumbnail (the card's left, past the shadow margin) and dragged away.
    const QPoint from = panel->topLeft() + QPoint(120, 75);
    const QPoint to(600, 600);
    xdotool({ "mousemove", "--sync", QString::number(from.x()), QString::number(from.y()) });
    spin(300);
    xdotool({ "mousedown", "1" });
    for (int step = 1; step <= 10; ++step) {
        const QPoint at = from + (to - from) * step / 10;
        xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()) });
        spin(30);
    }
    xdotool({ "mouseup", "1" });
    const QString said = failureToastText();
    EXPECT_TRUE(readsAs(said, QStringLiteral("drag")) && readsAs(said, QStringLiteral("the disk is full"))) << said.toStdString();
    EXPECT_TRUE(app.log().contains(QStringLiteral("No space left on device"))) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}

namespace {

// Where "Show Screenshots" sits in the popover: the same view built here lays out the same.
QPoint showScreenshotsRow()
{
    CaptureParts parts(QDir::homePath());
    NullScreenshotTool tool(QStringLiteral("none here"));
    CapturePopoverView view(parts.manager, parts.shortcuts, tool, {});
    view.resize(view.sizeHint());
    MenuCommandButton* row = view.commandRows().value(7);
    return row ? row->mapTo(&view, row->rect().center()) : QPoint();
}

// The application's icon once embedded in trayer's panel, where it shows on screen.
std::optional<QPoint> trayIconCentre()
{
    const QStringList tree = QString::fromUtf8(Desktop::run(QStringLiteral("xwininfo"), { "-root", "-tree" })).split('\n');
    const auto indent = [](const QString& line) { return line.size() - line.trimmed().size(); };
    for (int i = 0; i < tree.size(); ++i) {
        if (!tree[i].contains(QStringLiteral("(\"panel\" \"trayer\")")))
            continue;
        for (int j = i + 1; j < tree.size() && indent(tree[j]) > indent(tree[i]); ++j) {
            if (!tree[j].contains(QStringLiteral("\"Lumaforge\"")))
                continue;
            // "... 22x20+0+0  +1897+1": the size, then where it is on screen.
            const QStringList fields = tree[j].simplified().split(QLatin1Char(' '));
            const QStringList size = fields.value(fields.size() - 2).section(QLatin1Char('+'), 0, 0).split(QLatin1Char('x'));
            const QStringList at = fields.last().split(QLatin1Char('+'), Qt::SkipEmptyParts);
            if (size.size() == 2 && at.size() == 2)
                return QPoint(at[0].toInt() + size[0].toInt() / 2, at[1].toInt() + size[1].toInt() / 2);
        }
    }
    return std::nullopt;
}

// Opens the popover from the tray icon and clicks "Show Screenshots".
bool clickShowScreenshots()
{
    std::optional<QRect> popover;
    const auto popoverOpen = [&] {
        for (const QString& id : Desktop::findWindows("^Lumaforge$")) {
            const auto geometry = Desktop::windowGeometry(id);
            if (geometry && geometry->width() == CapturePopoverView::fixedWidth)
                popover = geometry;
        }
        return popover.has_value();
    };
    // The panel moves its icons while it sizes itself to them: clicked again where it settled.
    for (int attempt = 0; attempt < 4 && !popover; ++attempt) {
        std::optional<QPoint> icon;
        if (!waitUntil([&] {
                const std::optional<QPoint> before = trayIconCentre();
                spin(200);
                return before && (icon = trayIconCentre()) == before;
            }, 10000))
            return false;
        clickAt(*icon);
        waitUntil(popoverOpen, 2000);
    }
    if (!popover)
        return false;
    spin(300);
    clickAt(popover->topLeft() + showScreenshotsRow());
    return true;
}

}

// With xdg-open there but nothing that opens folders (no handler in XDG_DATA_DIRS, no web browser
// to fall back on) it ends in failure after it started, which Qt's openUrl() counts as success;
// without xdg-open at all nothing starts. Either way the toast names the folder and says why.
TEST(FailureReasons, ShowScreenshotsWithNoFileManagerSaysSo)
{
    QProcess tray;
    const auto stopTray = qScopeGuard([&] {
        tray.terminate();
        tray.waitForFinished(2000);
    });
    tray.start(QStringLiteral("trayer"), { "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "22" });
    ASSERT_TRUE(tray.waitForStarted());
    QTemporaryDir nothing;

    struct Setting {
        const char* what;
        QList<std::pair<QString, QString>> environment;
    };
    const QList<Setting> settings {
        { "xdg-open without handlers",
            { { "XDG_DATA_DIRS", nothing.path() }, { "BROWSER", "/nonexistent/browser" }, { "XDG_CURRENT_DESKTOP", "" } } },
        { "no xdg-open", { { "PATH", nothing.path() } } },
    };
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.what);
        RunningApp app;
        for (const auto& [name, value] : setting.environment)
            app.setEnvironment(name, value);
        ASSERT_TRUE(app.start()) << app.log().toStdString();
        ASSERT_TRUE(clickShowScreenshots()) << app.log().toStdString();
        const QString said = failureToastText();
        EXPECT_TRUE(readsAs(said, QStringLiteral("pictures/screenshots")) && readsAs(said, QStringLiteral("file manager")))
            << said.toStdString() << app.log().toStdString();
        EXPECT_EQ(app.log().count(QStringLiteral("Lumaforge: cannot show the folder")), 1) << app.log().toStdString();
        EXPECT_EQ(app.terminate(), 0);
    }
}
