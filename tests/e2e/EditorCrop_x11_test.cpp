// Cropping under a drawn box in the real application: a shot pasted with xclip, the box and the
// crop made with the pointer through XTest (xdotool), the result read back from the clipboard.
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr QColor kBlue(30, 60, 220);

// A light page with four coloured lines, the third blue (rows 160 to 180); small enough to show
// at 100 % in the default window.
QImage pageOfLines()
{
    QImage image(480, 300, QImage::Format_RGB32);
    image.fill(QColor(248, 248, 250));
    QPainter p(&image);
    const QColor colours[] = { QColor(220, 40, 40), QColor(40, 170, 60), kBlue, QColor(220, 160, 0) };
    for (int i = 0; i < 4; ++i)
        p.fillRect(60, 40 + 60 * i, 320, 20, colours[i]);
    return image;
}

QRect extentOf(const QImage& image, const std::function<bool(QColor)>& test)
{
    QRect found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixelColor(x, y)))
                found |= QRect(x, y, 1, 1);
    return found;
}

bool isBlue(QColor c)
{
    return std::abs(c.red() - kBlue.red()) < 12 && std::abs(c.green() - kBlue.green()) < 12
        && std::abs(c.blue() - kBlue.blue()) < 12;
}

bool isInk(QColor c)
{
    return c.red() < 30 && c.green() < 30 && c.blue() < 30;
}

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

QImage clipboardImageOtherThan(QSize size, int timeoutMs = 15000)
{
    QImage found;
    waitUntil([&] { return !(found = Desktop::clipboardPng()).isNull() && found.size() != size; }, timeoutMs);
    return found;
}

struct EditorCrop : ::testing::Test {
    RunningApp app;
    QTemporaryDir dir;
    QString window;
    QRect geometry;
    const QImage shot = pageOfLines();
    const CanvasLayout layout = canvasLayout(QSizeF(shot.size()), BeautifySettings::defaults());

    QPoint canvasTopLeft() const
    {
        // The stage lies below the menu bar and toolbar, its canvas centred left of the inspector.
        const int bodyTop = 22 + 36;
        const QPoint centre = geometry.topLeft()
            + QPoint((geometry.width() - 332) / 2, bodyTop + (geometry.height() - bodyTop) / 2);
        return centre - QPoint(int(layout.canvasWidth / 2), int(layout.canvasHeight / 2));
    }
    // A pixel of the uncropped shot on screen (the canvas shows at 100 %).
    QPoint onShot(double x, double y) const
    {
        const QRectF shown = imageRect(layout, BeautifySettings::defaults());
        return canvasTopLeft() + QPoint(int(std::lround(shown.x() + x)), int(std::lround(shown.y() + y)));
    }
    QPoint tile(int index) const
    {
        // The dock sits centred at the stage's left edge; tiles after Select are 41 points apart.
        const int bodyTop = 22 + 36;
        const int dockTop = bodyTop + (geometry.height() - bodyTop - 427) / 2;
        return geometry.topLeft() + QPoint(45, dockTop + 238 + 41 * (index - 5));
    }
    void moveTo(QPoint p) { xdotool({ "mousemove", "--sync", QString::number(p.x()), QString::number(p.y()) }); }
    void click(QPoint p)
    {
        moveTo(p);
        xdotool({ "click", "1" });
    }
    void drag(QPoint from, QPoint to)
    {
        moveTo(from);
        xdotool({ "mousedown", "1" });
        for (int i = 1; i <= 6; ++i)
            moveTo(from + (to - from) * i / 6);
        xdotool({ "mouseup", "1" });
    }
    QImage copy(QSize previous)
    {
        Desktop::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-i", "/dev/null" });
        QImage copied;
        for (int attempt = 0; attempt < 5 && copied.isNull(); ++attempt) {
            xdotool({ "key", "--clearmodifiers", "ctrl+c" });
            copied = clipboardImageOtherThan(previous, 3000);
        }
        return copied;
    }
};

}

TEST_F(EditorCrop, ABoxFramesTheSameLineAfterTheTopIsCroppedOff)
{
    ASSERT_TRUE(app.start());
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); }));
    window = windows.first();
    xdotool({ "windowsize", "--sync", window, "1300", "840" });
    const QString file = dir.filePath(QStringLiteral("page.png"));
    ASSERT_TRUE(shot.save(file));
    ASSERT_TRUE(Desktop::offerPngOnClipboard(file));
    ASSERT_TRUE(waitUntil([&] { return Desktop::clipboardPng().size() == shot.size(); }));
    xdotool({ "windowfocus", "--sync", window });
    xdotool({ "key", "--clearmodifiers", "ctrl+v" });
    const QSize styled(int(std::lround(layout.canvasWidth * 2)), int(std::lround(layout.canvasHeight * 2)));
    QImage opened;
    for (int attempt = 0; attempt < 10 && opened.size() != styled; ++attempt) {
        xdotool({ "key", "--clearmodifiers", "ctrl+c" });
        waitUntil([&] { return (opened = Desktop::clipboardPng()).size() == styled; }, 800);
    }
    ASSERT_EQ(opened.size(), styled) << app.log().toStdString();
    spin(500);
    geometry = Desktop::windowGeometry(window).value_or(QRect());
    ASSERT_TRUE(geometry.isValid());
    if (app.log().contains(QStringLiteral("no annotation editing layer")))
        GTEST_SKIP() << "this build has no annotation editing layer";

    // The box tool, then a box around the blue line.
    click(tile(5));
    drag(onShot(50, 150), onShot(390, 190));
    spin(300);
    const QImage drawn = copy(shot.size());
    ASSERT_EQ(drawn.size(), styled) << app.log().toStdString();
    const QRect boxBefore = extentOf(drawn, isInk);
    const QRect lineBefore = extentOf(drawn, isBlue);
    ASSERT_TRUE(boxBefore.contains(lineBefore)) << "the box is drawn around the line";

    // The crop tool, the top handle dragged down past the green line, then Apply Crop above the
    // crop's top right corner.
    click(tile(9));
    spin(300);
    drag(onShot(240, 0), onShot(240, 130));
    spin(300);
    const QPoint cropTopRight = onShot(480, 130);
    click(cropTopRight + QPoint(-15, -23));
    spin(500);

    const QImage cropped = copy(styled);
    ASSERT_FALSE(cropped.isNull()) << app.log().toStdString();
    EXPECT_LT(cropped.height(), drawn.height());
    const QRect boxAfter = extentOf(cropped, isInk);
    const QRect lineAfter = extentOf(cropped, isBlue);
    ASSERT_FALSE(lineAfter.isEmpty());
    EXPECT_TRUE(boxAfter.contains(lineAfter)) << "box " << boxAfter.y() << ".." << boxAfter.bottom() << ", line "
                                              << lineAfter.y() << ".." << lineAfter.bottom();
    EXPECT_NEAR(lineAfter.top() - boxAfter.top(), lineBefore.top() - boxBefore.top(), 4);
    EXPECT_NEAR(boxAfter.bottom() - lineAfter.bottom(), boxBefore.bottom() - lineBefore.bottom(), 4);
}
