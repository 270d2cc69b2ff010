// The editor window as a user meets it: the real application on a private X server, an image put
// on the clipboard by xclip, the keyboard and the pointer driven through XTest (xdotool), and the
// clipboard read back with xclip.
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"
#include "support/RunningApp.h"
#include "support/TrayHost.h"
#include "support/Wait.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// A small shot, so that its canvas sits at 100 % in the default window.
QImage smallShot()
{
    QImage image(480, 300, QImage::Format_RGB32);
    image.fill(QColor(236, 238, 242));
    QPainter p(&image);
    p.fillRect(0, 0, 480, 36, QColor(210, 212, 218));
    p.fillRect(30, 70, 200, 40, QColor(52, 120, 246));
    return image;
}

QSize styledSize(QSize shot)
{
    const CanvasLayout layout = canvasLayout(QSizeF(shot), BeautifySettings::defaults());
    return { int(std::lround(layout.canvasWidth * 2)), int(std::lround(layout.canvasHeight * 2)) };
}

QImage waitForClipboard(QSize expected, int timeoutMs = 15000)
{
    QImage found;
    waitUntil([&] { return (found = Desktop::clipboardPng()).size() == expected; }, timeoutMs);
    return found;
}

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

struct EditorSession : ::testing::Test {
    RunningApp app;
    QTemporaryDir dir;
    QString window;
    QRect geometry;
    QImage shot = smallShot();

    // Starts the application and pastes the shot into its main window with Ctrl+V.
    void openPastedShot()
    {
        ASSERT_TRUE(app.start());
        // The main window, not the tray icon that shares its name.
        ASSERT_TRUE(waitUntil([&] {
            for (const QString& id : Desktop::findWindows(QStringLiteral("^Lumaforge$"))) {
                if (Desktop::windowGeometry(id).value_or(QRect()).width() > 300)
                    window = id;
            }
            return !window.isEmpty();
        }));
        xdotool({ "windowsize", "--sync", window, "1300", "840" });
        const QString file = dir.filePath(QStringLiteral("pasted.png"));
        ASSERT_TRUE(shot.save(file));
        ASSERT_TRUE(Desktop::offerPngOnClipboard(file));
        ASSERT_TRUE(waitUntil([&] { return Desktop::clipboardPng().size() == shot.size(); }));
        xdotool({ "windowfocus", "--sync", window });
        xdotool({ "key", "--clearmodifiers", "ctrl+v" });
        // The editor holds the shot once Ctrl+C puts its styled form on the clipboard.
        bool opened = false;
        for (int attempt = 0; attempt < 10 && !opened; ++attempt) {
            xdotool({ "key", "--clearmodifiers", "ctrl+c" });
            opened = waitForClipboard(styledSize(shot.size()), 800).size() == styledSize(shot.size());
        }
        ASSERT_TRUE(opened) << app.log().toStdString();
        spin(500);
        geometry = Desktop::windowGeometry(window).value_or(QRect());
        ASSERT_TRUE(geometry.isValid());
    }

    // Where the stage's area starts below the menu bar and the toolbar (window coordinates).
    int bodyTop() const { return 22 + 36; }
    QPoint canvasCentre() const
    {
        return geometry.topLeft() + QPoint((geometry.width() - 332) / 2, bodyTop() + (geometry.height() - bodyTop()) / 2);
    }
    void click(QPoint at, int count = 1)
    {
        xdotool({ "mousemove", "--sync", QString::number(at.x()), QString::number(at.y()) });
        xdotool({ "click", "--repeat", QString::number(count), "--delay", "60", "1" });
    }
    // The centre of a tool tile: the dock sits centred at the stage's left edge, 41 pt a tile
    // below the select tile and its divider.
    QPoint toolTile(int indexBelowSelect) const
    {
        const int bodyHeight = geometry.height() - bodyTop();
        const int dockTop = bodyTop() + (bodyHeight - 427) / 2;
        return geometry.topLeft() + QPoint(20 + 25, dockTop + 31 + 41 * indexBelowSelect);
    }
    void dragWithButton1(QPoint from, QPoint to)
    {
        xdotool({ "mousemove", "--sync", QString::number(from.x()), QString::number(from.y()) });
        xdotool({ "mousedown", "1" });
        for (int i = 1; i <= 6; ++i) {
            const QPoint p = from + (to - from) * i / 6;
            xdotool({ "mousemove", "--sync", QString::number(p.x()), QString::number(p.y()) });
        }
        xdotool({ "mouseup", "1" });
    }
    // The styled image as Ctrl+C puts it on the clipboard now.
    QImage copied()
    {
        Desktop::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-i", "/dev/null" });
        xdotool({ "key", "--clearmodifiers", "ctrl+c" });
        return waitForClipboard(styledSize(shot.size()));
    }
    // What the screen shows in a part of the window (window coordinates).
    QImage onScreen(const QRect& part) const
    {
        const QRect r = part.translated(geometry.topLeft());
        return QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
    }
};

int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

}

TEST_F(EditorSession, PastedShotOpensAndCopyPutsItsStyledFormOnTheClipboard)
{
    openPastedShot();
    xdotool({ "key", "--clearmodifiers", "ctrl+c" });
    const QImage styled = waitForClipboard(styledSize(shot.size()));
    ASSERT_EQ(styled.size(), styledSize(shot.size())) << app.log().toStdString();
    // The default background surrounds the shot.
    EXPECT_NE(styled.pixelColor(4, 4), shot.pixelColor(4, 4));
    EXPECT_FALSE(Desktop::findWindows(QStringLiteral("^Lumaforge$")).isEmpty()); // the window stays
}

TEST_F(EditorSession, ABoxDrawnWithThePointerIsInTheCopiedImage)
{
    openPastedShot();
    xdotool({ "key", "--clearmodifiers", "ctrl+c" });
    const QImage before = waitForClipboard(styledSize(shot.size()));
    click(toolTile(5)); // the box
    const QPoint c = canvasCentre();
    xdotool({ "mousemove", "--sync", QString::number(c.x() - 90), QString::number(c.y() - 50) });
    xdotool({ "mousedown", "1" });
    for (int i = 1; i <= 6; ++i)
        xdotool({ "mousemove", "--sync", QString::number(c.x() - 90 + 30 * i), QString::number(c.y() - 50 + 17 * i) });
    xdotool({ "mouseup", "1" });
    spin(300);
    // Copy again: the box's outline changes the pixels along its edge.
    Desktop::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-i", "/dev/null" });
    xdotool({ "key", "--clearmodifiers", "ctrl+c" });
    const QImage after = waitForClipboard(before.size());
    ASSERT_EQ(after.size(), before.size());
    int changed = 0;
    for (int y = 0; y < after.height(); y += 2)
        for (int x = 0; x < after.width(); x += 2)
            changed += after.pixel(x, y) != before.pixel(x, y);
    EXPECT_GT(changed, 200);
}

TEST_F(EditorSession, DoubleClickOnTheBackgroundCopiesAndCloses)
{
    openPastedShot();
    Desktop::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-i", "/dev/null" });
    // Right of the canvas, left of the inspector.
    const QPoint c = canvasCentre();
    const CanvasLayout layout = canvasLayout(QSizeF(shot.size()), BeautifySettings::defaults());
    click(QPoint(c.x() + int(layout.canvasWidth / 2) + 30, c.y()), 2);
    const QImage styled = waitForClipboard(styledSize(shot.size()));
    EXPECT_EQ(styled.size(), styledSize(shot.size())) << app.log().toStdString();
    // The document closed and the application's windows went away.
    EXPECT_TRUE(waitUntil([&] { return Desktop::findWindows(QStringLiteral("^Lumaforge$")).isEmpty(); }, 5000));
}

TEST_F(EditorSession, CopyAndCloseLeavesTheTrayIconWholeAndClickable)
{
    TrayHost tray;
    ASSERT_TRUE(tray.running());
    openPastedShot();
    std::optional<ListedWindow> icon;
    ASSERT_TRUE(waitUntil([&] { return (icon = Tray::iconWindow()).has_value(); }, 8000)) << app.log().toStdString();
    const QSize embedded = icon->frame.size();
    ASSERT_GE(embedded.width(), 16);

    const QPoint c = canvasCentre();
    const CanvasLayout layout = canvasLayout(QSizeF(shot.size()), BeautifySettings::defaults());
    click(QPoint(c.x() + int(layout.canvasWidth / 2) + 30, c.y()), 2);
    ASSERT_TRUE(waitUntil([&] { return !Desktop::findWindows(QStringLiteral("^Lumaforge$")).contains(window); }, 5000))
        << app.log().toStdString();
    spin(1000); // the host lays its icons out again when one of them goes

    icon = Tray::iconWindow();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->frame.size(), embedded);
    EXPECT_TRUE(Tray::openPopover()) << app.log().toStdString();
}

TEST_F(EditorSession, DeleteRemovesAHandDrawnBlurArea)
{
    openPastedShot();
    const QImage before = copied();
    ASSERT_FALSE(before.isNull());
    // The blur tile is the eighth below the select tile; the area is drawn over the shot.
    click(toolTile(8));
    const QPoint c = canvasCentre();
    dragWithButton1(c - QPoint(120, 60), c + QPoint(60, 40));
    spin(300);
    const QImage blurred = copied();
    ASSERT_GT(differingPixels(blurred, before), 500) << "no blur area was drawn";
    // Drawn means selected: Delete takes it, and the copy is the shot as it was.
    xdotool({ "key", "Delete" });
    spin(300);
    EXPECT_EQ(differingPixels(copied(), before), 0) << app.log().toStdString();
}

TEST_F(EditorSession, TheWheelOverTheInspectorNeverPansTheCanvas)
{
    openPastedShot();
    // Everything left of the inspector: the canvas, the dock and the backdrop.
    const QRect stage(0, bodyTop(), geometry.width() - 340, geometry.height() - bodyTop() - 60);
    const QImage before = onScreen(stage);
    // Forty notches down over the inspector: it scrolls to its end, and the rest goes nowhere.
    const QPoint inspector = geometry.topLeft() + QPoint(geometry.width() - 20 - 156, geometry.height() / 2);
    xdotool({ "mousemove", "--sync", QString::number(inspector.x()), QString::number(inspector.y()) });
    xdotool({ "click", "--repeat", "40", "--delay", "10", "5" });
    spin(600);
    EXPECT_EQ(differingPixels(onScreen(stage), before), 0);
    // Near the panel's left edge, where its check boxes are, it scrolls back up just the same.
    const QPoint leftEdge = geometry.topLeft() + QPoint(geometry.width() - 20 - 312 + 14, geometry.height() / 2);
    const QImage scrolledDown = onScreen(QRect(geometry.width() - 332, bodyTop(), 312, geometry.height() - bodyTop() - 60));
    xdotool({ "mousemove", "--sync", QString::number(leftEdge.x()), QString::number(leftEdge.y()) });
    xdotool({ "click", "--repeat", "5", "--delay", "30", "4" });
    spin(600);
    EXPECT_EQ(differingPixels(onScreen(stage), before), 0);
    EXPECT_GT(differingPixels(onScreen(QRect(geometry.width() - 332, bodyTop(), 312, geometry.height() - bodyTop() - 60)), scrolledDown), 1000);
    // Over the canvas the wheel does pan.
    const QPoint c = canvasCentre();
    xdotool({ "mousemove", "--sync", QString::number(c.x()), QString::number(c.y()) });
    xdotool({ "click", "--repeat", "3", "--delay", "30", "5" });
    spin(600);
    EXPECT_GT(differingPixels(onScreen(stage), before), 1000);
}
