#include "render/BackgroundView.h"

#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// A widget that paints a background over its whole area, as the swatches do.
class Swatch : public QWidget {
public:
    using QWidget::QWidget;
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        paintBackground(p, rect(), BackgroundPreset::sunset, ColorScheme::light);
    }
};
}

TEST(PaintBackground, LandsOnAChildWidgetsOwnPixels)
{
    QWidget window;
    window.resize(200, 160);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0, 255, 0));
    window.setPalette(palette);
    auto* swatch = new Swatch(&window);
    swatch->setGeometry(60, 50, 80, 40);

    const QImage grabbed = window.grab().toImage();
    const qreal dpr = grabbed.devicePixelRatio();
    const auto at = [&](int x, int y) { return QColor(grabbed.pixel(int(x * dpr), int(y * dpr))); };
    // Inside the swatch: the gradient; outside it, the window as it was.
    EXPECT_NE(at(100, 70), QColor(0, 255, 0));
    EXPECT_NE(at(62, 52), QColor(0, 255, 0));
    EXPECT_NE(at(137, 87), QColor(0, 255, 0));
    EXPECT_EQ(at(20, 20), QColor(0, 255, 0));
    EXPECT_EQ(at(150, 130), QColor(0, 255, 0));
}
