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

    // Beside an @, and an amount's currency sign a blank before the number.
    EXPECT_TRUE(at("|elena.brandt@ mailbox.net"));
    EXPECT_TRUE(at("|jbrandt43 @northwind.co.uk"));
    EXPECT_TRUE(at("Sent you $ |3,1 06.30 for dinner"));
    EXPECT_FALSE(at("|meet @ noon"));
    // A phone number split in its first group; but not one that is a phone number already.
    EXPECT_TRUE(at("|81 0.470.7359"));
    EXPECT_FALSE(at("|1 555 123 4567"));
}

// The engine drops a thin underscore and leaves a blank ("marcus laurent@umbrella.dev"): where a
// faint low rule fills the blank and putting the underscore back makes the address whole, it goes
// back, and the bar then covers the whole address. A blank under an underline, which runs on
// under the letters, or over nothing stays a blank.
TEST(SymbolLines, AnUnderscoreTheEngineDroppedFromAnAddressIsPutBack)
{
    // Glyphs are bars from page y 52 to 59 (the x-height); the rule lies below them.
    const QStringList glyphs { "a", "b", "c", "d", "@", "e", "f", ".", "i", "o" };
    QList<std::pair<double, double>> ink;
    for (int i = 0, x = 100; i < glyphs.size(); ++i) {
        const int w = i % 3 == 0 ? 5 : 4;
        ink.append({ x, x + w });
        x += w + 2 + (i == 1 ? 6 : 0);
    }
    enum class Rule { underscore, underline, none };
    for (const Rule rule : { Rule::underscore, Rule::underline, Rule::none }) {
        Bars bars({});
        bars.line.image.fill(255);
        QPainter p(&bars.line.image);
        for (const auto& [from, to] : ink)
            p.fillRect(QRectF((from - 90) * 2, 8, (to - from) * 2, 14), Qt::black);
        const double gapFrom = ink[1].second, gapTo = ink[2].first;
        if (rule == Rule::underscore)
            p.fillRect(QRectF((gapFrom - 90) * 2 + 1, 24, (gapTo - gapFrom) * 2 - 2, 2), QColor(180, 180, 180));
        else if (rule == Rule::underline)
            p.fillRect(QRectF((ink.first().first - 90) * 2, 24, (ink.last().second - ink.first().first) * 2, 2), QColor(180, 180, 180));
        p.end();
        std::vector<Symbol> symbols;
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            symbols.push_back({ glyphs[i], QRectF(ink[i].first, 52, ink[i].second - ink[i].first, 7), i == 0 || i == 2 });
        const RecognizedLine read = bars.read(symbols, rule == Rule::underscore ? "ab_cd@ef.io" : "ab cd@ef.io");
        if (rule == Rule::underscore && !read.text.isEmpty()) {
            EXPECT_FALSE(bars.pixels(read, 2).isEmpty()) << "the underscore has a box";
        }
    }
}

// Between two thin glyphs a blank needs a wide gap, and a word glued to a dotted address hides the
// address from the detector ("Wifi192.168.1.20"): a gap nearly wide enough for a blank parts them,
// but not a word from other digits.
TEST(SymbolLines, AnAddressGluedToTheWordBeforeItIsPartedFromIt)
{
    const QList<std::pair<double, double>> ink { { 100, 104 }, { 106, 108 }, { 111.5, 113 }, { 115, 116 }, { 118, 122 },
        { 124, 125 }, { 127, 131 }, { 133, 134 }, { 136, 140 } };
    const Bars bars(ink);
    const QStringList glyphs { "W", "i", "1", ".", "2", ".", "3", ".", "4" };
    const auto symbols = [&](const QStringList& texts) {
        std::vector<Symbol> out;
        for (qsizetype i = 0; i < texts.size(); ++i)
            out.push_back(bars.symbol(texts[i], ink[i].first, ink[i].second, i == 0));
        return out;
    };
    bars.read(symbols(glyphs), "Wi 1.2.3.4");
    QStringList version = glyphs;
    version[4] = "x";
    bars.read(symbols(version), "Wi1.x.3.4");
}
