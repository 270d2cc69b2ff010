#include "vision/Grain.h"
#include "vision/TextLineFinder.h"

#include "screens/ScreenshotGenerator.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

int grey(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); }

} // namespace

// A wallpaper around a flat window: the wallpaper's grain goes, the window's pixels stay exactly as
// they were, and a thin stroke on the grain keeps most of its contrast (a plain blur would leave
// a third of it, below what the line finder sees as an edge).
TEST(Grain, SmoothsOnlyTheGrainyPartsAndKeepsThinStrokes)
{
    QImage image(640, 320, QImage::Format_RGB32);
    image.fill(QColor(0x80, 0x70, 0x90));
    {
        QPainter p(&image);
        p.setPen(QColor(0x80 + 70, 0x70 + 70, 0x90 + 70));
        p.drawLine(40, 100, 280, 100); // one pixel tall
    }
    image = withGrain(image, 12, 5);
    const QRect panel(320, 0, 320, 320);
    QPainter p(&image);
    p.fillRect(panel, QColor(0x20, 0x22, 0x28));
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPixelSize(9);
    p.setFont(f);
    p.setPen(QColor(0x9a9aa0));
    p.drawText(QPoint(340, 60), QStringLiteral("client=10.79.149.221 ok"));
    p.end();

    const QImage smooth = smoothGrain(image);
    ASSERT_EQ(smooth.size(), image.size());
    for (int y = 0; y < panel.height(); ++y)
        for (int x = panel.left() + 1; x <= panel.right(); ++x)
            ASSERT_EQ(smooth.pixel(x, y), image.pixel(x, y)) << x << "," << y;
    const QRect wallpaper(0, 150, 300, 150);
    EXPECT_LT(grainLevel(smooth, wallpaper), grainLevel(image, wallpaper) / 2);
    EXPECT_GE(grainLevel(image, wallpaper), 6);
    int kept = 0, samples = 0;
    for (int x = 60; x < 260; x += 4, ++samples)
        kept += grey(smooth, x, 100) - (grey(smooth, x, 96) + grey(smooth, x, 104)) / 2 >= 40;
    EXPECT_GE(kept, samples * 9 / 10);
}

// Dense small text on a clean page makes many neighbours differ, but it is no grain: the page
// comes back untouched, and a page of grain everywhere still has its text lines found.
TEST(Grain, DenseTextIsNoGrainAndTextOnGrainIsStillFound)
{
    QImage page(480, 200, QImage::Format_RGB32);
    page.fill(QColor(0x1e1e1e));
    QPainter p(&page);
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPixelSize(8);
    p.setFont(f);
    p.setPen(QColor(0xd4d4d4));
    for (int row = 0; row < 20; ++row)
        p.drawText(QPoint(2, 9 + row * 9), QStringLiteral("a7#Qk9@xZ0%mW3&pL8*rT5!vB2^nH6$sD4(jF1)gK") + QString::number(row));
    p.end();
    EXPECT_EQ(smoothGrain(page), page);

    QImage grainy(640, 120, QImage::Format_RGB32);
    grainy.fill(QColor(0x30, 0x34, 0x3a));
    QPainter q(&grainy);
    f.setPixelSize(10);
    q.setFont(f);
    q.setPen(QColor(0x9a, 0xa0, 0xa8));
    q.drawText(QPoint(20, 40), QStringLiteral("key=sk-56UsULUCd6mZPSitU9x54 client=10.79.149.221"));
    q.end();
    grainy = withGrain(grainy, 12, 9);
    const QList<TextLineBox> lines = findTextLines(smoothGrain(grainy));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_LE(lines[0].box.left(), 22);
    EXPECT_GE(lines[0].box.right(), 20 + 48 * 6 - 4);
}
