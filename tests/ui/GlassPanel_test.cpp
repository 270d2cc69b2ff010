#include "render/ContinuousCorners.h"
#include "ui/GlassPanel.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>

namespace {
QImage painted(qreal dpr, const std::function<void(QPainter&)>& paint)
{
    QImage image(QSize(420, 300) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paint(p);
    return image;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            // Premultiplied values, as composited: unpremultiplying magnifies rounding at faint edges.
            const QRgb p = reinterpret_cast<const QRgb*>(a.constScanLine(y))[x];
            const QRgb q = reinterpret_cast<const QRgb*>(b.constScanLine(y))[x];
            worst = std::max({ worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q)) });
        }
    return worst;
}
}

// The kept glass must look exactly like the glass painted afresh, wherever and at whatever pixel
// ratio it is drawn (within antialiasing rounding at its edge), and follow a change of size or scheme.
TEST(GlassPanel, KeptGlassMatchesGlassPaintedAfresh)
{
    for (const qreal dpr : { 1.0, 2.0, 1.5 })
        for (const ColorScheme scheme : { ColorScheme::light, ColorScheme::dark })
            for (const QRectF panel : { QRectF(60, 50, 300, 200), QRectF(60.5, 50.25, 280, 190), QRectF(70, 60, 250, 120) }) {
                const auto fresh = [&](QPainter& p) {
                    GlassPanel::paintShadows(p, continuousRoundedRect(panel, 16), scheme);
                    GlassPanel::paintMaterial(p, panel, 16, scheme);
                };
                const QImage expected = painted(dpr, fresh);
                // Twice: made, then drawn from what was kept.
                for (int round = 0; round < 2; ++round) {
                    const QImage kept = painted(dpr, [&](QPainter& p) { GlassPanel::paintGlass(p, panel, 16, scheme); });
                    EXPECT_LE(largestDifference(kept, expected), 4) << dpr << " " << int(scheme) << " " << panel.x();
                }
            }
    // Without shadows: the material alone.
    const QRectF panel(40, 40, 200, 150);
    const QImage material = painted(1, [&](QPainter& p) { GlassPanel::paintMaterial(p, panel, 22, ColorScheme::dark); });
    const QImage kept = painted(1, [&](QPainter& p) { GlassPanel::paintGlass(p, panel, 22, ColorScheme::dark, false); });
    EXPECT_LE(largestDifference(kept, material), 4);
}

namespace {
// A label that counts its paints.
class CountingLabel : public QLabel {
public:
    using QLabel::QLabel;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        QLabel::paintEvent(event);
    }
};
}

// A floating panel over a backdrop that changes every frame, as the editor's panels float over
// the canvas: the backdrop's frames do not paint the panel's controls again, a change of a
// control does, and what shows is always current.
TEST(GlassPanel, ContentIsKeptUntilAControlChanges)
{
    QWidget window;
    window.resize(400, 300);
    auto* backdrop = new QWidget(&window);
    backdrop->setGeometry(window.rect());
    backdrop->setAutoFillBackground(true);
    for (const bool panelClass : { true, false }) {
        QWidget* panel = panelClass ? new GlassPanel(16, &window) : new QWidget(&window);
        if (!panelClass)
            GlassPanel::cacheContent(panel);
        panel->setGeometry(100, 80, 200, 120);
        auto* label = new CountingLabel(QStringLiteral("first"), panel);
        label->setGeometry(20, 20, 160, 40);
        QPalette ink = label->palette();
        ink.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(ink);
        panel->show();
        window.show();
        window.grab();
        const int painted = label->paints;
        for (int frame = 0; frame < 5; ++frame) {
            QPalette palette = backdrop->palette();
            palette.setColor(QPalette::Window, QColor::fromHsv(frame * 60, 200, 200));
            backdrop->setPalette(palette);
            const QImage shown = window.grab().toImage();
            // The backdrop's new colour shows beside the panel on every frame.
            EXPECT_EQ(shown.pixelColor(10, 10).rgb(), QColor::fromHsv(frame * 60, 200, 200).rgb());
        }
        EXPECT_EQ(label->paints, painted);

        // The label's area, in the grab's device pixels.
        const auto labelArea = [&] {
            const QImage shown = window.grab().toImage();
            const qreal dpr = shown.devicePixelRatio();
            return shown.copy(QRectF(120 * dpr, 100 * dpr, 160 * dpr, 40 * dpr).toRect());
        };
        const QImage before = labelArea();
        label->setText(QStringLiteral("second, longer"));
        const QImage after = labelArea();
        EXPECT_GT(label->paints, painted);
        EXPECT_NE(before, after);
        delete panel;
    }
}
