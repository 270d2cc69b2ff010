#include "ui/Symbols.h"

#include "model/AnnotationTool.h"
#include "support/LogCapture.h"

#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <gtest/gtest.h>

namespace {
// Every symbol the views name.
const char* const kViewSymbols[] = { "arrow.down.left", "arrow.down.right",
    "arrow.left.and.right.righttriangle.left.righttriangle.right", "arrow.right",
    "arrow.up.and.down.righttriangle.up.righttriangle.down", "arrow.up.left", "arrow.up.right", "arrow.uturn.backward",
    "arrow.uturn.forward", "camera.viewfinder", "checkmark", "checkmark.circle.fill", "checkmark.seal.fill",
    "chevron.left", "chevron.right", "chevron.up.chevron.down", "circle", "crop", "cursorarrow", "doc.on.clipboard",
    "drop.fill", "exclamationmark.triangle.fill", "eye.slash", "eyedropper", "folder", "folder.badge.questionmark", "gearshape", "gearshape.fill",
    "keyboard", "line.diagonal", "lock.fill", "lock.shield", "macwindow", "minus", "pencil.tip", "person.crop.circle",
    "person.crop.rectangle", "photo", "photo.badge.plus", "photo.on.rectangle.angled", "plus", "rectangle",
    "rectangle.fill", "rectangle.inset.filled", "rectangle.stack", "slider.horizontal.3", "sparkles", "square",
    "square.and.arrow.up", "square.fill", "squareshape.split.3x3", "star", "star.fill", "text.aligncenter",
    "text.alignleft", "text.alignright", "textformat", "tray.and.arrow.down.fill", "trash", "viewfinder",
    "wand.and.sparkles", "wand.and.stars", "xmark" };
}

TEST(Symbols, EveryNameTheViewsUseHasAGlyphInTheFont)
{
    const QRawFont raw = QRawFont::fromFont(Symbols::font(24));
    ASSERT_TRUE(raw.isValid());
    ASSERT_EQ(raw.familyName(), "Material Icons");
    QStringList names;
    for (const char* name : kViewSymbols)
        names << QString::fromLatin1(name);
    for (AnnotationTool tool : allCases<AnnotationTool>)
        names << symbolName(tool);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const auto glyph = Symbols::glyph(name);
        ASSERT_TRUE(glyph.has_value());
        EXPECT_TRUE(raw.supportsCharacter(uint(glyph->codepoint)));
    }
    // The table holds nothing beyond what the views use.
    names.removeDuplicates();
    EXPECT_EQ(Symbols::names().size(), names.size());
}

TEST(Symbols, DrawnTintedAndCentred)
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        Symbols::paint(p, u"square.fill", QPointF(32, 32), 30, QColor(255, 0, 0));
    }
    // A filled square glyph: solid tint in the middle, nothing in the corners, ink balanced
    // around the centre.
    EXPECT_EQ(image.pixelColor(32, 32), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0);
    int left = 64, right = -1, top = 64, bottom = -1;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (image.pixelColor(x, y).alpha() > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_NEAR((left + right) / 2.0, 31.5, 1.0);
    EXPECT_NEAR((top + bottom) / 2.0, 31.5, 1.0);
    EXPECT_GT(right - left, 20);
}

TEST(Symbols, TurnedGlyphsAndWeight)
{
    const auto ink = [](const char* name, QFont::Weight weight) {
        QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        Symbols::paint(p, QString::fromLatin1(name), QPointF(24, 24), 24, Qt::black, weight);
        p.end();
        return image;
    };
    // The vertical flip is the horizontal one turned a quarter.
    QImage h = ink("arrow.left.and.right.righttriangle.left.righttriangle.right", QFont::Normal);
    QImage v = ink("arrow.up.and.down.righttriangle.up.righttriangle.down", QFont::Normal);
    EXPECT_NE(h, v);
    EXPECT_EQ(h.transformed(QTransform().rotate(90)).size(), v.size());

    const auto coverage = [](const QImage& image) {
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += image.pixelColor(x, y).alpha();
        return sum;
    };
    EXPECT_GT(coverage(ink("plus", QFont::Bold)), coverage(ink("plus", QFont::Normal)));
}

TEST(Symbols, UnknownNamesDrawNothingAndAreLoggedOnce)
{
    LogCapture log;
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    for (int i = 0; i < 3; ++i)
        Symbols::paint(p, u"no.such.symbol", QPointF(16, 16), 20, Qt::black);
    p.end();
    EXPECT_EQ(log.count(QStringLiteral("no.such.symbol")), 1);
    EXPECT_EQ(image, [] {
        QImage empty(32, 32, QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        return empty;
    }());
    EXPECT_FALSE(Symbols::glyph(u"").has_value());
}
