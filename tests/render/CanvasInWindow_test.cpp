// The canvas painted by a widget that sits somewhere inside a window, as the editor's stage hosts
// it, must match a render of the same content: the card, its corners and the annotation shadows
// land on the widget's own pixels at any pixel ratio, and only the exposed part is painted.
#include "render/CanvasPainter.h"
#include "render/PixelProbe.h"

#include "support/SyntheticShots.h"

#include <QPainter>
#include <QPaintEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class CanvasWidget : public QWidget {
public:
    CanvasContent content;
    double scale = 1;
    QRect lastExposed;
    using QWidget::QWidget;
    void paintEvent(QPaintEvent* event) override
    {
        lastExposed = event->rect();
        QPainter p(this);
        p.scale(scale, scale);
        paintBeautifiedCanvas(p, content);
    }
};

CanvasContent sample()
{
    BeautifySettings s = BeautifySettings::defaults();
    s.background = BackgroundPreset::noir;
    s.padding = 40;
    s.radius = 20;
    s.shadow = 0.7;
    Annotation arrow;
    arrow.kind = Annotation::Kind::arrow;
    arrow.start = QPointF(0.2, 0.8);
    arrow.end = QPointF(0.8, 0.2);
    arrow.colorHex = 0xFFD400;
    arrow.lineWidthFraction = 6;
    Annotation pen;
    pen.kind = Annotation::Kind::pen;
    pen.colorHex = 0x00FF00;
    pen.points = { QPointF(0.1, 0.1), QPointF(0.3, 0.2), QPointF(0.5, 0.3) };
    pen.lineWidthFraction = 8;
    return { redBlueHalves(300, 200), s, { arrow, pen }, {}, {} };
}

// The reference: the same content painted straight into an image at `ratio` pixels a point.
QImage reference(const CanvasContent& c, double ratio)
{
    const CanvasLayout layout = canvasLayout(c.image, c.settings);
    QImage out(QSize(int(std::ceil(layout.canvasWidth * ratio)), int(std::ceil(layout.canvasHeight * ratio))),
        QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.scale(ratio, ratio);
    paintBeautifiedCanvas(p, c);
    return out;
}

// The window with the canvas widget at (offset), rendered into an image of `ratio`.
QImage windowRender(CanvasWidget& canvas, QWidget& window, double ratio)
{
    QImage out(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(ratio);
    out.fill(Qt::magenta);
    window.render(&out);
    return out;
}

// Largest channel difference over the canvas area, ignoring a one-pixel seam at the edges.
int worstDifference(const QImage& window, QPoint offsetPx, const QImage& expected)
{
    int worst = 0;
    for (int y = 1; y < expected.height() - 1; ++y)
        for (int x = 1; x < expected.width() - 1; ++x)
            worst = std::max(worst, channelDistance(window.pixel(offsetPx.x() + x, offsetPx.y() + y), expected.pixel(x, y)));
    return worst;
}

}

TEST(CanvasInWindow, MatchesTheRenderAtAnOffsetAtRatiosOneAndTwo)
{
    const CanvasContent c = sample();
    const CanvasLayout layout = canvasLayout(c.image, c.settings);
    for (const double ratio : { 1.0, 2.0 }) {
        SCOPED_TRACE(ratio);
        QWidget window;
        window.setAttribute(Qt::WA_NoSystemBackground);
        window.resize(int(layout.canvasWidth) + 170, int(layout.canvasHeight) + 130);
        auto* canvas = new CanvasWidget(&window);
        canvas->content = c;
        canvas->setGeometry(97, 61, int(std::ceil(layout.canvasWidth)), int(std::ceil(layout.canvasHeight)));
        const QImage got = windowRender(*canvas, window, ratio);
        const QImage expected = reference(c, ratio);
        EXPECT_LE(worstDifference(got, QPoint(int(97 * ratio), int(61 * ratio)), expected), 24);
        // Nothing lands outside the widget.
        EXPECT_EQ(got.pixelColor(int(20 * ratio), int(20 * ratio)), QColor(Qt::magenta));
        EXPECT_EQ(got.pixelColor(got.width() - 3, got.height() - 3), QColor(Qt::magenta));
    }
}

TEST(CanvasInWindow, PaintsOnlyTheExposedPartOfAHugelyZoomedCanvas)
{
    // A canvas zoomed far past the window: only the window's part is painted, and it matches the
    // same region of a direct render.
    const CanvasContent c = sample();
    const CanvasLayout layout = canvasLayout(c.image, c.settings);
    const double zoom = 40; // a full render would be about 17000 x 12000 pixels
    QWidget window;
    window.resize(320, 240);
    auto* canvas = new CanvasWidget(&window);
    canvas->content = c;
    canvas->scale = zoom;
    canvas->setGeometry(-int(layout.canvasWidth * zoom / 2), -int(layout.canvasHeight * zoom / 2),
        int(layout.canvasWidth * zoom), int(layout.canvasHeight * zoom));
    QImage got(window.size(), QImage::Format_ARGB32_Premultiplied);
    got.fill(Qt::magenta);
    window.render(&got);
    EXPECT_LE(canvas->lastExposed.width(), 320);

    QImage expected(window.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::magenta);
    {
        QPainter p(&expected);
        p.translate(canvas->pos());
        p.scale(zoom, zoom);
        paintBeautifiedCanvas(p, c);
    }
    EXPECT_LE(worstDifference(got, QPoint(0, 0), expected), 24);
}
