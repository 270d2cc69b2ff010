// The application's own mark comes from the embedded SVG at every size the desktop asks for.
#include "app/ApplicationIcon.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(ApplicationIcon, DrawsTheMarkAtEverySizeWithTransparentCorners)
{
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (int side : { 16, 22, 32, 48, 256 })
        EXPECT_EQ(icon.pixmap(side, side).size(), QSize(side, side)) << side;

    const QImage image = icon.pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0); // rounded off
    const QColor lens = image.pixelColor(32, 27); // the white ring around the lens
    EXPECT_GT(lens.lightness(), 230);
    const QColor ground = image.pixelColor(32, 8); // the warm gradient between the brackets
    EXPECT_EQ(ground.alpha(), 255);
    EXPECT_GT(ground.red(), ground.green());
    EXPECT_GT(ground.green(), ground.blue());
}
