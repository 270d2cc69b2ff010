#include "vision/SymbolLines.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A line of black bars on white, read at twice the page's size: each bar is one glyph's ink,
// from page x `from` to `to`, page y 52 to 62.
struct Bars {
    QList<std::pair<double, double>> ink;
    LineImage line;
    TextLineBox box { QRect(100, 52, 60, 10), 10 };
    QSizeF page { 400, 100 };

    explicit Bars(QList<std::pair<double, double>> glyphs)
        : ink(std::move(glyphs))
    {
        line.scale = 2;
        line.origin = QPointF(90, 48);
        line.image = QImage(160, 36, QImage::Format_Grayscale8);
        line.image.fill(255);
        QPainter p(&line.image);
        for (const auto& [from, to] : ink)
            p.fillRect(QRectF((from - 90) * 2, 8, (to - from) * 2, 20), Qt::black);
    }

    Symbol symbol(const QString& text, double from, double to, bool startsWord = false) const
    {
        return { text, QRectF(from, 52, to - from, 10), startsWord };
    }

    // The one line the symbols make, or an empty one (with a failure) when they make another.
    RecognizedLine read(const std::vector<Symbol>& symbols, const QString& text) const
    {
        const QList<RecognizedLine> lines = assembleLines(symbols, line, box, page);
        EXPECT_EQ(lines.size(), 1);
        if (lines.size() != 1 || lines[0].text != text) {
            ADD_FAILURE() << "read " << (lines.isEmpty() ? QString() : lines[0].text).toStdString();
            return {};
        }
        return lines[0];
    }

    // A character's box in page pixels.
    QRectF pixels(const RecognizedLine& l, qsizetype i) const
    {
        const QRectF& r = l.charBoxes.at(i);
        return { r.x() * page.width(), r.y() * page.height(), r.width() * page.width(), r.height() * page.height() };
    }
};

} // namespace

// The engine's boxes of a token's first and last glyphs often stop short of the ink, and what
// they leave out stays readable beside a redaction: each character's box reaches the ink of its
// glyph, but not across the blank into the next token.
TEST(SymbolLines, CharacterBoxesReachTheInkOfTheirGlyphsButNotTheNextToken)
{
    const Bars bars({ { 100, 106 }, { 108, 114 }, { 116, 122 }, { 134, 140 }, { 142, 148 }, { 150, 156 } });
    const std::vector<Symbol> symbols { bars.symbol("k", 101, 106, true), bars.symbol("e", 108, 114),
        bars.symbol("y", 116, 119), bars.symbol("x", 138, 140, true), bars.symbol("y", 142, 148),
        bars.symbol("z", 150, 153) };
    const RecognizedLine read = bars.read(symbols, "key xyz");
    ASSERT_FALSE(read.text.isEmpty());
    const QList<std::pair<qsizetype, qsizetype>> glyphOfChar { { 0, 0 }, { 2, 2 }, { 4, 3 }, { 6, 5 } };
    for (const auto& [c, g] : glyphOfChar) {
        const QRectF box = bars.pixels(read, c);
        EXPECT_LE(box.left(), bars.ink[g].first + 0.01) << c;
        EXPECT_GE(box.right(), bars.ink[g].second - 0.01) << c;
    }
    // Not into the neighbouring token's ink.
    EXPECT_GE(bars.pixels(read, 4).left(), 122.5);
    EXPECT_LE(bars.pixels(read, 2).right(), 133.5);
}

// A symbol the engine gave no width (a thin '1' before a wide digit) gets its glyph's ink, so
// the box of a match that starts with it reaches the first character.
TEST(SymbolLines, ASymbolWithoutABoxOfItsOwnTakesTheInkBetweenItsNeighbours)
{
    const Bars bars({ { 100, 106 }, { 108, 114 }, { 124, 126 }, { 129, 135 }, { 137, 143 }, { 145, 151 } });
    const std::vector<Symbol> symbols { bars.symbol("i", 100, 106, true), bars.symbol("p", 108, 114),
        bars.symbol("1", 129, 129, true), bars.symbol("9", 129, 135), bars.symbol("2", 137, 143),
        bars.symbol("3", 145, 151) };
    const RecognizedLine read = bars.read(symbols, "ip 1923");
    ASSERT_FALSE(read.text.isEmpty());
    const QRectF one = bars.pixels(read, 3);
    EXPECT_FALSE(one.isEmpty());
    EXPECT_LE(one.left(), 124.01);
    EXPECT_GE(one.left(), 114.5);
    EXPECT_GE(one.height(), 9.99);
}

// A wide glyph the engine gave a sliver at its neighbour's edge ("£510" with the "0" boxed at the
// "1") still gets its whole ink, up to the next token.
TEST(SymbolLines, ASliverBoxOfAWideGlyphReachesItsInk)
{
    const Bars bars({ { 100, 106 }, { 108, 110 }, { 113, 119 }, { 130, 136 }, { 138, 144 }, { 146, 152 } });
    const std::vector<Symbol> symbols { bars.symbol("5", 100, 106, true), bars.symbol("1", 108, 110),
        bars.symbol("0", 110, 110.25), bars.symbol("f", 130, 136, true), bars.symbol("o", 138, 144),
        bars.symbol("r", 146, 152) };
    const RecognizedLine read = bars.read(symbols, "510 for");
    ASSERT_FALSE(read.text.isEmpty());
    const QRectF zero = bars.pixels(read, 2);
    EXPECT_GE(zero.right(), 119 - 0.01);
    EXPECT_LE(zero.right(), 129.5);
}

// A thin glyph's wide side bearing reads as a blank in monospaced text; dropping such a blank is
// right only where it makes an address or number whole across it, never where it merges two.
TEST(SymbolLines, ABlankBesideAThinGlyphGoesOnlyWhereItSplitsAnAddressOrNumber)
{
    // '|' marks where to look for the blank; it is not part of the read text.
    const auto at = [](QString text) {
        const qsizetype mark = text.indexOf(u'|');
        text.remove(mark, 1);
        return blankSplitsAddressOrNumber(text, text.indexOf(u' ', mark));
    };
    EXPECT_TRUE(at("host |10.206.1 17.122 up"));
    EXPECT_TRUE(at("support: |tobias_bel l@globex.com"));
    EXPECT_TRUE(at("|ctanakal 1@globex.com"));
    EXPECT_TRUE(at("|429-400-71 84"));
    EXPECT_TRUE(at("|\u00A381 9 receipt.pdf"));
    EXPECT_FALSE(at("|10.0.0.1 1.2.3.4"));
    EXPECT_FALSE(at("Room |1 17.122"));
    EXPECT_FALSE(at("|1 800 555 0199"));
    EXPECT_FALSE(at("from |10.2.3.4 to 5.6.7.8"));
    EXPECT_FALSE(at("|tobias bell@globex.com"));
    EXPECT_FALSE(at("paid |$1 1.5.2 build"));
    EXPECT_FALSE(at("ends with a blank |"));
}
