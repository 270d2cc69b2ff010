#include "ui/GlassPanel.h"
#include "ui/PressableButtonStyle.h"
#include "ui/Theme.h"

#include "fakes/FakeColorSchemeProvider.h"
#include "support/Wait.h"

#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(Theme, GradientsRunCornerToCornerOverAnyShape)
{
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.fillRect(image.rect(), Theme::brandGradient());
    p.end();
    // The first and last of the five colours sit at the top-leading and bottom-trailing corners.
    const QColor first = image.pixelColor(0, 0), last = image.pixelColor(199, 99);
    EXPECT_NEAR(first.red(), 240, 3);
    EXPECT_NEAR(first.blue(), 176, 3);
    EXPECT_NEAR(last.red(), 16, 3);
    EXPECT_NEAR(last.green(), 128, 3);
}

TEST(Theme, ForcedSchemeReachesTheSubtreeElseTheDesktopDecides)
{
    FakeColorSchemeProvider desktop(ColorScheme::light);
    ColorSchemeProvider::setShared(&desktop);
    QWidget root;
    auto* middle = new QWidget(&root);
    auto* leaf = new QWidget(middle);
    EXPECT_EQ(Theme::colorScheme(leaf), ColorScheme::light);
    desktop.set(ColorScheme::dark);
    EXPECT_EQ(Theme::colorScheme(leaf), ColorScheme::dark);
    Theme::setColorScheme(middle, ColorScheme::light);
    EXPECT_EQ(Theme::colorScheme(leaf), ColorScheme::light);
    EXPECT_EQ(Theme::colorScheme(&root), ColorScheme::dark);
    Theme::setColorScheme(middle, std::nullopt);
    EXPECT_EQ(Theme::colorScheme(leaf), ColorScheme::dark);
    ColorSchemeProvider::setShared(nullptr);
}

// The panel's shadows fall outside its rectangle and darken with the scheme; inside, the
// material differs per scheme.
TEST(GlassPanel, ShadowsOutsideAndSchemeColours)
{
    QWidget backdrop;
    backdrop.resize(300, 240);
    backdrop.setAutoFillBackground(true);
    QPalette palette = backdrop.palette();
    palette.setColor(QPalette::Window, Qt::white);
    backdrop.setPalette(palette);
    auto* panel = new GlassPanel(16, &backdrop);
    panel->setGeometry(60, 40, 180, 80);
    backdrop.show();

    QColor below[2], inside[2];
    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        Theme::setColorScheme(&backdrop, scheme);
        const QImage image = backdrop.grab().toImage();
        below[int(scheme)] = image.pixelColor(150, 40 + 80 + 16); // under the panel, in its shadow
        inside[int(scheme)] = image.pixelColor(150, 80);
        EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white)); // far away: untouched
    }
    EXPECT_LT(below[0].lightness(), 250);
    EXPECT_LT(below[1].lightness(), below[0].lightness());
    EXPECT_GT(inside[0].lightness(), 200);
    EXPECT_LT(inside[1].lightness(), 100);
}

TEST(PressableButtonStyle, ShrinksAndDimsWhilePressedAndRestsUntouched)
{
    QWidget backdrop;
    backdrop.resize(120, 120);
    auto* button = new QPushButton(&backdrop);
    button->setGeometry(20, 20, 80, 80);
    button->setStyleSheet(QStringLiteral("background: rgb(0,0,255); border: none;"));
    backdrop.show();
    const QImage plain = backdrop.grab().toImage();

    PressableButtonStyle* style = PressableButtonStyle::apply(button);
    EXPECT_EQ(backdrop.grab().toImage(), plain); // at rest: exactly as the button paints itself

    Q_EMIT button->pressed();
    ASSERT_TRUE(waitUntil([&] { return !style->isAnimating(); }, 2000));
    EXPECT_NEAR(style->scale(), 0.92, 1e-6);
    EXPECT_NEAR(style->opacity(), 0.85, 1e-6);
    const QImage pressed = backdrop.grab().toImage();
    // The edge of the button is now background (shrunk about the centre); the centre is dimmed.
    EXPECT_NE(pressed.pixelColor(22, 60), plain.pixelColor(22, 60));
    EXPECT_LT(pressed.pixelColor(60, 60).blue(), 255);
    EXPECT_GT(pressed.pixelColor(60, 60).blue(), 180);

    Q_EMIT button->released();
    ASSERT_TRUE(waitUntil([&] { return !style->isAnimating(); }, 2000));
    EXPECT_EQ(style->pressAmount(), 0.0);
    EXPECT_EQ(backdrop.grab().toImage(), plain);
}
