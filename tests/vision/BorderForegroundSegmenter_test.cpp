#include "vision/BorderForegroundSegmenter.h"

#include "support/SyntheticShots.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {
int alphaAt(const ForegroundMask& m, int x, int y)
{
    return m.alpha.constScanLine(y)[x];
}

// Inside the window everything is kept, outside nothing, and only a thin edge is in between.
void expectWindowCutOut(const ForegroundMask& m, const QRect& window)
{
    ASSERT_EQ(m.status, ForegroundMask::Status::found);
    ASSERT_EQ(m.alpha.format(), QImage::Format_Alpha8);
    int wrong = 0;
    for (int y = 0; y < m.alpha.height(); ++y)
        for (int x = 0; x < m.alpha.width(); ++x) {
            const QPoint p(x, y);
            // The window's corners are rounded (radius 10): leave them out of the inside check.
            const bool corner = (x < window.left() + 10 || x > window.right() - 10)
                && (y < window.top() + 10 || y > window.bottom() - 10);
            if (window.adjusted(3, 3, -3, -3).contains(p) && !corner)
                wrong += alphaAt(m, x, y) != 255;
            else if (!window.adjusted(-2, -2, 2, 2).contains(p))
                wrong += alphaAt(m, x, y) != 0;
        }
    EXPECT_EQ(wrong, 0);
}
}

TEST(BorderForegroundSegmenter, CutsAWindowOutOfFlatAndGradientDesktops)
{
    BorderForegroundSegmenter segmenter;
    const QSize size(480, 320);
    const QRect window(90, 60, 260, 190);
    expectWindowCutOut(segmenter.segment(windowOnDesktop(size, QColor(40, 90, 200), window)), window);
    expectWindowCutOut(
        segmenter.segment(windowOnDesktop(size, diagonalGradient(size, QColor(250, 120, 60), QColor(90, 30, 160)), window)),
        window);
    // A light desktop close to the window's own colour still separates at the window's edge.
    expectWindowCutOut(segmenter.segment(windowOnDesktop(size, QColor(200, 205, 215), window)), window);
}

TEST(BorderForegroundSegmenter, KeepsEnclosedBackgroundColourAndDropsSpecks)
{
    const QSize size(400, 300);
    const QRect window(100, 80, 200, 140);
    QImage image = windowOnDesktop(size, QColor(40, 90, 200), window);
    QPainter p(&image);
    p.fillRect(QRect(150, 130, 40, 30), QColor(40, 90, 200)); // desktop colour inside the window
    p.fillRect(QRect(20, 20, 2, 2), Qt::white);                  // dust on the desktop
    p.end();
    const ForegroundMask m = BorderForegroundSegmenter().segment(image);
    ASSERT_EQ(m.status, ForegroundMask::Status::found);
    EXPECT_EQ(alphaAt(m, 170, 145), 255);
    EXPECT_EQ(alphaAt(m, 21, 21), 0);
}

TEST(BorderForegroundSegmenter, FindsNothingInOneRegionOrWithoutABackground)
{
    BorderForegroundSegmenter segmenter;
    QImage flat(300, 200, QImage::Format_RGB32);
    flat.fill(QColor(120, 130, 140));
    EXPECT_EQ(segmenter.segment(flat).status, ForegroundMask::Status::nothingFound);

    QImage gradient(300, 200, QImage::Format_RGB32);
    QPainter(&gradient).fillRect(gradient.rect(), diagonalGradient(gradient.size(), Qt::black, Qt::white));
    EXPECT_EQ(segmenter.segment(gradient).status, ForegroundMask::Status::nothingFound);

    QImage noise(300, 200, QImage::Format_RGB32);
    QRandomGenerator rng(1);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, rng.generate() | 0xff000000u);
    EXPECT_EQ(segmenter.segment(noise).status, ForegroundMask::Status::nothingFound);

    EXPECT_EQ(segmenter.segment(QImage()).status, ForegroundMask::Status::nothingFound);
    EXPECT_EQ(segmenter.segment(QImage(2, 2, QImage::Format_RGB32)).status, ForegroundMask::Status::nothingFound);
}
