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

// So it does from a key's prefix ("pscale tkn7GQQ0erd..."): where the token across the rule is a
// key's length, the underscore goes back; between two words it stays a blank.
TEST(SymbolLines, AnUnderscoreTheEngineDroppedFromAKeyIsPutBack)
{
    for (const QString& body : { QStringLiteral("tkn7GQQ0erdEfz5ySaGte6mwII"), QStringLiteral("key") }) {
        const QString text = QStringLiteral("pscale ") + body;
        Bars bars({});
        const int width = int(text.size()) * 6 + 20;
        bars.box = TextLineBox { QRect(100, 52, width - 10, 10), 10 };
        bars.line.image = QImage(width * 2, 36, QImage::Format_Grayscale8);
        bars.line.image.fill(255);
        QPainter p(&bars.line.image);
        std::vector<Symbol> symbols;
        double x = 100;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == u' ') {
                p.fillRect(QRectF((x - 90) * 2 + 1, 24, 2 * 6 - 2, 2), QColor(180, 180, 180));
                x += 6;
                continue;
            }
            p.fillRect(QRectF((x - 90) * 2, 8, 8, 14), Qt::black);
            symbols.push_back({ QString(text.at(i)), QRectF(x, 52, 4, 7), i == 0 || text.at(i - 1) == u' ' });
            x += 6;
        }
        p.end();
        bars.read(symbols, body.size() > 3 ? QStringLiteral("pscale_") + body : text);
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

namespace {

// A line in cells six page pixels wide from page x 100: each glyph's ink is a bar in the middle of
// its cell, three pixels wide or, for a narrow glyph, one. A blank is a cell without a symbol.
struct Cells {
    static constexpr double kPitch = 6;
    static double middle(int cell) { return 100 + kPitch * cell + kPitch / 2; }
    static std::pair<double, double> ink(int cell, bool narrow) { return { middle(cell) - (narrow ? 0.5 : 1.5), middle(cell) + (narrow ? 0.5 : 1.5) }; }

    // `text` one character a cell, blanks where it has them; `words` marks where the engine
    // began a word, `dropped` a glyph whose ink is there but which the engine left out.
    Cells(const QString& text, const QString& words, const QString& dropped = {})
        : bars(inkOf(text, dropped))
    {
        for (qsizetype k = 0; k < text.size(); ++k) {
            if (text.at(k) == u' ')
                continue;
            const auto [from, to] = ink(int(k), narrow(text.at(k)));
            symbols.push_back(bars.symbol(text.at(k), from, to, k < words.size() && words.at(k) == u'^'));
        }
    }

    static bool narrow(QChar c) { return QStringView(u"il1.").contains(c); }
    static QList<std::pair<double, double>> inkOf(const QString& text, const QString& dropped)
    {
        QList<std::pair<double, double>> out;
        for (qsizetype k = 0; k < std::max(text.size(), dropped.size()); ++k) {
            const QChar c = k < text.size() && text.at(k) != u' ' ? text.at(k) : k < dropped.size() ? dropped.at(k) : QChar(u' ');
            if (c != u' ')
                out.append(ink(int(k), narrow(c)));
        }
        return out;
    }

    QString read() const
    {
        const QList<RecognizedLine> lines = assembleLines(symbols, bars.line, bars.box, bars.page);
        QStringList out;
        for (const RecognizedLine& l : lines)
            out << l.text;
        return out.join(u'|');
    }

    Bars bars;
    std::vector<Symbol> symbols;
};

} // namespace

// In a line of fixed pitch a blank is a whole empty cell: the wide margins of a narrow glyph are no
// blank, even where the engine began a word there, and a cell that holds ink is no blank either
// (the engine left its glyph out). A line of digits alone may be a proportional face's tabular
// digits, whose blanks are narrower than a cell: there a word the engine began keeps its blank.
TEST(SymbolLines, InAFixedPitchABlankIsAWholeEmptyCell)
{
    EXPECT_EQ(Cells("charge failed now", "^      ^  ^   ^").read(), "charge failed now");
    EXPECT_EQ(Cells("lucia wonka", "^  ^  ^").read(), "lucia wonka");
    EXPECT_EQ(Cells("wonka co uk", "^     ^  ^").read(), "wonka co uk");
    // The engine left glyphs out; their ink stays in the cells. A dot on the baseline is put back;
    // another glyph's ink is no blank.
    Cells dots(QStringLiteral("lucia co uk"), QStringLiteral("^     ^  ^"));
    for (int c : { 5, 8 })
        QPainter(&dots.bars.line.image).fillRect(QRectF((Cells::middle(c) - 0.75 - 90) * 2, 25, 3, 3), Qt::black);
    EXPECT_EQ(dots.read(), "lucia.co.uk");
    EXPECT_EQ(Cells("lucia co uk", "^     ^  ^", "     l  l").read(), "luciacouk");
    // Ink of the rows above and below, which the line's image takes in, leaves a cell blank.
    Cells tight(QStringLiteral("lucia co uk"), QStringLiteral("^     ^  ^"));
    QPainter(&tight.bars.line.image).fillRect(QRectF((Cells::middle(5) - 2 - 90) * 2, 0, 8, 6), Qt::black);
    QPainter(&tight.bars.line.image).fillRect(QRectF((Cells::middle(8) - 0.5 - 90) * 2, 30, 2, 6), Qt::black);
    EXPECT_EQ(tight.read(), "lucia co uk");

    // Tabular digits: the blank is as narrow as half a digit, so the digits after it stand half a
    // cell off the grid; the engine's word start is the only sign of it.
    std::vector<Symbol> digits;
    const Bars bars({ { 100, 104 }, { 106, 110 }, { 112, 116 }, { 118, 122 }, { 127, 131 }, { 133, 137 }, { 139, 143 }, { 145, 149 } });
    for (qsizetype k = 0; k < bars.ink.size(); ++k)
        digits.push_back(bars.symbol(QStringLiteral("4111 1111").remove(u' ').at(k), bars.ink[k].first, bars.ink[k].second, k == 0 || k == 4));
    const QList<RecognizedLine> lines = assembleLines(digits, bars.line, bars.box, bars.page);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].text, "4111 1111");

    // In a wide face the engine may box an "n" over the "ji" after it and put both as slivers at
    // the dot, beginning a word there: the two take the cells between "n" and the dot, the dots
    // prove the pitch, and no blank goes in (kitty: "ken ji.morett i@mass ive. io").
    for (const char* text : { "kenji.ac.uk", "kenji.a.me" }) {
        Cells wide(QString::fromLatin1(text), QStringLiteral("^"));
        const size_t n = size_t(QString::fromLatin1(text).indexOf(u'n'));
        wide.symbols[n].box.setRight(Cells::middle(int(n) + 2) + 0.5);
        for (size_t k : { n + 1, n + 2 })
            wide.symbols[k].box = QRectF(Cells::middle(int(n) + 3) - 0.5, 52, 0.1, 10);
        wide.symbols[n + 1].startsWord = true;
        EXPECT_EQ(wide.read(), QString::fromLatin1(text)) << text;
    }
}

// Two overlapping symbols in one cell are one glyph read twice: one of them stays, an ASCII one
// before a mark or an accented letter, else the one the engine is surer of. A symbol whose box
// spans two cells is no second reading of its neighbour.
TEST(SymbolLines, AGlyphReadTwiceInOneCellIsReadOnce)
{
    const auto twice = [](const QString& text, qsizetype at, const Symbol& extra, float keptConfidence) {
        Cells cells(text, QStringLiteral("^"));
        cells.symbols[size_t(at)].confidence = keptConfidence;
        cells.symbols.insert(cells.symbols.begin() + at + 1, extra);
        return cells.read();
    };
    const auto symbol = [](const QString& text, double from, double to, float confidence) {
        Symbol s { text, QRectF(from, 52, to - from, 10), false };
        s.confidence = confidence;
        return s;
    };
    // "4" at 94 % and a "9" over its right half at 92 %; then the other way round.
    const double four = Cells::middle(4);
    EXPECT_EQ(twice("card4x41148", 4, symbol("9", four - 0.5, four + 2.5, 92), 94), "card4x41148");
    EXPECT_EQ(twice("card4x41148", 4, symbol("9", four - 0.5, four + 2.5, 97), 94), "card9x41148");
    // An accented letter beside a digit, however sure the engine is of it; but a currency sign
    // is no letter.
    const double six = Cells::middle(5);
    EXPECT_EQ(twice("obell6piedp", 5, symbol(QStringLiteral(u"\u00e9"), six - 2, six, 96), 89), "obell6piedp");
    EXPECT_EQ(twice("totalE355xy", 5, symbol(QStringLiteral(u"\u00a3"), six - 0.5, six + 2, 96), 91), QStringLiteral(u"total\u00a3355xy"));
    // A dot whose box the next glyph's box grazes is a glyph of its own; so are two glyphs the
    // engine is sure of whose boxes it pushed together.
    Cells dot(QStringLiteral("acme.iox"), QStringLiteral("^"));
    dot.symbols[5] = symbol("i", Cells::middle(4) + 0.3, Cells::middle(5) - 0.5, 90);
    EXPECT_EQ(dot.read(), "acme.iox");
    Cells sure(QStringLiteral("acme.iox"), QStringLiteral("^"));
    sure.symbols[5] = symbol("i", Cells::middle(5) - 0.4, Cells::middle(5) + 6.6, 99);
    EXPECT_EQ(sure.read(), "acme.iox");
    // A sliver at the edge of a glyph is the engine's box of the next one, not a second reading.
    Cells sliver(QStringLiteral("gatewayktjt"), QStringLiteral("^"));
    sliver.symbols[7].confidence = 93;
    sliver.symbols[8] = symbol("t", Cells::middle(7), Cells::middle(7) + 0.2, 99);
    EXPECT_EQ(sliver.read(), "gatewayktjt");

    // An "m" boxed over the cell before it as well: both stay.
    Cells wide(QStringLiteral("larsenxassive"), QStringLiteral("^"));
    wide.symbols[6] = symbol(QStringLiteral("@"), Cells::middle(6) - 2, Cells::middle(6) + 2, 95);
    wide.symbols.insert(wide.symbols.begin() + 7, symbol(QStringLiteral("m"), Cells::middle(6) - 2.5, Cells::middle(7) + 1, 96));
    wide.symbols.erase(wide.symbols.begin() + 8); // the "a" of cell 7 is the "m"
    EXPECT_TRUE(wide.read().contains(QStringLiteral("@m"))) << wide.read().toStdString();
}
