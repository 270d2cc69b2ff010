// Whether a line's ink reaches the image's edge: a glyph cut in two does, text a border's width
// in does not, nor does a window's frame or a highlighted row's fill running along the edge.
#include "vision/EdgeInk.h"

#include <QFont>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// A 300 x 40 image with "Key 4111" drawn at x; its line's rows are 8 to 32.
QImage lineImage(int x, QColor page = Qt::white, QColor ink = QColor(30, 30, 30))
{
    QImage image(300, 40, QImage::Format_RGB32);
    image.fill(page);
    QPainter p(&image);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(22);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(x, 28, QStringLiteral("WAKE 4111 MWM"));
    return image;
}

} // namespace

TEST(EdgeInk, AGlyphCutInTwoReachesTheEdgeTextABordersWidthInDoesNot)
{
    EXPECT_TRUE(inkAtEdge(lineImage(-6), 8, 32, true));
    EXPECT_FALSE(inkAtEdge(lineImage(-6), 8, 32, false));
    EXPECT_FALSE(inkAtEdge(lineImage(2), 8, 32, true));
    EXPECT_FALSE(inkAtEdge(lineImage(2, QColor(0x1e1e1e), QColor(0xd0d0d0)), 8, 32, true));
    EXPECT_TRUE(inkAtEdge(lineImage(-6, QColor(0x1e1e1e), QColor(0xd0d0d0)), 8, 32, true));
    // Its last glyph cut by the right edge.
    const QImage right = lineImage(300 - 13 * 13 + 6);
    EXPECT_TRUE(inkAtEdge(right, 8, 32, false));
    // Rows without the glyphs see none of their ink.
    EXPECT_FALSE(inkAtEdge(lineImage(-6), 34, 40, true));
}

TEST(EdgeInk, FramesAndFillsAlongTheEdgeAreNoInk)
{
    // A window's one-pixel frame in another colour, the text two pixels in.
    QImage framed = lineImage(3);
    for (int y = 0; y < framed.height(); ++y)
        framed.setPixel(0, y, qRgb(120, 120, 140));
    EXPECT_FALSE(inkAtEdge(framed, 8, 32, true));
    // A highlighted row: the fill runs to the edge in the line's rows only.
    QImage highlighted = lineImage(2);
    {
        QPainter p(&highlighted);
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        p.fillRect(QRect(0, 6, 300, 28), QColor(200, 220, 255));
    }
    EXPECT_FALSE(inkAtEdge(highlighted, 6, 34, true));
    // A frame around a cut glyph hides nothing of it.
    QImage cutAndFramed = lineImage(-6);
    for (int y = 0; y < cutAndFramed.height(); ++y)
        cutAndFramed.setPixel(0, y, qRgb(120, 120, 140));
    EXPECT_TRUE(inkAtEdge(cutAndFramed, 8, 32, true));
}
