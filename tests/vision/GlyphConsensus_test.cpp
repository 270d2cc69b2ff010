// A terminal draws every copy of a glyph with the same pixels: the readings of all copies outvote a
// copy the engine misread, but never undo a digit, an @ or a dot, and leave lines off a whole-pixel
// grid alone.
#include "vision/GlyphConsensus.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr int kRow = 12;

// A glyph of its own for every character: a 4x7 pattern drawn from the character's code, so two
// characters never share one.
void drawGlyph(QImage& image, QChar c, double left, int top)
{
    if (c.isSpace())
        return;
    const uint code = c.unicode() * 2654435761u;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 4; ++x)
            if ((code >> ((y * 4 + x) % 31)) & 1 || (x == 0 && y == 6))
                image.setPixel(int(left) + 1 + x, top + 2 + y, qRgb(220, 220, 220));
}

// Draws `drawn` on row `row` at `pitch` pixels a cell, and gives it back as the engine's reading
// `read` (same length), each character boxed in its cell.
RecognizedLine drawLine(QImage& image, const QString& drawn, const QString& read, int row, double pitch)
{
    RecognizedLine line;
    line.text = read;
    const int top = row * kRow;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        drawGlyph(image, drawn.at(i), 2 + i * pitch, top);
        line.charBoxes.append(QRectF((2 + i * pitch + 1) / image.width(), (top + 2.0) / image.height(), 4.0 / image.width(),
            7.0 / image.height()));
    }
    line.box = QRectF(2.0 / image.width(), (top + 1.0) / image.height(), drawn.size() * pitch / image.width(), 9.0 / image.height());
    return line;
}

QImage terminal()
{
    QImage image(400, 10 * kRow, QImage::Format_RGB32);
    image.fill(qRgb(20, 20, 30));
    return image;
}

} // namespace

TEST(GlyphConsensus, ACopyMisreadIsGivenTheReadingOfTheOthers)
{
    QImage image = terminal();
    QList<RecognizedLine> lines;
    for (int row = 0; row < 3; ++row)
        lines.append(drawLine(image, "user@host:~$ ls", "user@host:~$ ls", row, 6));
    // The @ read as a t, the O of the prompt's host read as a zero: the zero stays, as digits do.
    lines.append(drawLine(image, "MAIL=jo@hOst.io", "MAIL=jothOst.io", 3, 6));
    lines.append(drawLine(image, "ssh user@hOst 0", "ssh user@hOst 0", 4, 6));
    lines.append(drawLine(image, "ssh user@hOst 0", "ssh user@h0st 0", 5, 6));
    lines.append(drawLine(image, "ssh user@hOst 0", "ssh user@hOst 0", 6, 6));
    agreeOnGlyphs(image, lines);
    EXPECT_EQ(lines.at(3).text, "MAIL=jo@hOst.io");
    EXPECT_EQ(lines.at(5).text, "ssh user@h0st 0");
    EXPECT_EQ(lines.at(0).text, "user@host:~$ ls");
}

TEST(GlyphConsensus, AFewCopiesOrALineOffTheGridChangeNothing)
{
    // An @ read right once among copies read as an a keeps its reading; a "k" read as an "x" twice
    // against three times right is no lone misreading.
    QImage image = terminal();
    QList<RecognizedLine> lines;
    lines.append(drawLine(image, "name@host kkkkk", "nameahost kkkxx", 0, 6));
    for (int row = 1; row < 4; ++row)
        lines.append(drawLine(image, "name@host", "nameahost", row, 6));
    lines.append(drawLine(image, "name@host more", "name@host more", 4, 6));
    agreeOnGlyphs(image, lines);
    EXPECT_EQ(lines.at(4).text, "name@host more");
    EXPECT_EQ(lines.at(0).text, "nameahost kkkxx");

    // Glyphs 6.5 pixels apart are a proportional face's: no grid, no votes.
    QImage page = terminal();
    QList<RecognizedLine> proportional;
    for (int row = 0; row < 4; ++row)
        proportional.append(drawLine(page, "user@host:~$ ls", "user@host:~$ ls", row, 6.5));
    proportional.append(drawLine(page, "MAIL=jo@hOst.io", "MAIL=jothOst.io", 4, 6.5));
    agreeOnGlyphs(page, proportional);
    EXPECT_EQ(proportional.at(4).text, "MAIL=jothOst.io");
}

TEST(GlyphConsensus, ALineReadTwiceVotesOnce)
{
    // Two readings of one line that both misread a glyph are one copy's misreading, not two: five
    // copies read right outvote one, not two.
    QImage image = terminal();
    QList<RecognizedLine> lines;
    for (int row = 0; row < 5; ++row)
        lines.append(drawLine(image, "key=abcdefgh", "key=abcdefgh", row, 6));
    lines.append(drawLine(image, "key=abcdefgh", "kez=abcdefgh", 5, 6));
    lines.append(lines.last());
    agreeOnGlyphs(image, lines);
    EXPECT_EQ(lines.at(5).text, "key=abcdefgh");
    EXPECT_EQ(lines.at(6).text, "key=abcdefgh");
}

namespace {

// `line` with a blank read before its character `at`, where the glyphs stand in neighbouring cells.
RecognizedLine withBlankBefore(RecognizedLine line, qsizetype at)
{
    line.text.insert(at, u' ');
    line.charBoxes.insert(at, QRectF());
    return line;
}

} // namespace

TEST(GlyphConsensus, ABlankWithNoEmptyCellForItGoesOnATerminalsGrid)
{
    // The engine read a narrow glyph's margins as a gap inside a key; the key is whole again. A
    // blank over an empty cell stays, and so does one on a line whose grid no other line shares (a
    // proportional line that came near a grid by chance).
    QImage image = terminal();
    QList<RecognizedLine> lines;
    for (int row = 0; row < 5; ++row)
        lines.append(drawLine(image, "user@host:~$ ls -l", "user@host:~$ ls -l", row, 6));
    lines.append(withBlankBefore(drawLine(image, "key=sk-abcdefghijklmnop1q", "key=sk-abcdefghijklmnop1q", 5, 6), 23));
    lines.append(drawLine(image, "ssh user@host 22", "ssh user@host 22", 6, 6));
    agreeOnGlyphs(image, lines);
    EXPECT_EQ(lines.at(5).text, "key=sk-abcdefghijklmnop1q");
    EXPECT_EQ(lines.at(5).charBoxes.size(), lines.at(5).text.size());
    EXPECT_EQ(lines.at(6).text, "ssh user@host 22");

    QImage page = terminal();
    QList<RecognizedLine> alone { withBlankBefore(drawLine(page, "key=sk-abcdefghijklmnop1q", "key=sk-abcdefghijklmnop1q", 0, 6), 23) };
    agreeOnGlyphs(page, alone);
    EXPECT_EQ(alone.at(0).text, "key=sk-abcdefghijklmnop 1q");
}

TEST(GlyphConsensus, OneGlyphReadAsTwoIsReadAsItsCopiesWere)
{
    // An l read as "|1": both boxes lie in its cell; the l's other copies read it right.
    QImage image = terminal();
    QList<RecognizedLine> lines;
    for (int row = 0; row < 5; ++row)
        lines.append(drawLine(image, "glc_lllkey=abc", "glc_lllkey=abc", row, 6));
    RecognizedLine twin = drawLine(image, "token=glc_rlkey", "token=glc_rlkey", 5, 6);
    const QRectF l = twin.charBoxes.at(11);
    twin.text.replace(11, 1, "|1");
    twin.charBoxes.replace(11, QRectF(l.left(), l.top(), l.width() / 2, l.height()));
    twin.charBoxes.insert(12, QRectF(l.center().x(), l.top(), l.width() / 2, l.height()));
    lines.append(twin);
    agreeOnGlyphs(image, lines);
    EXPECT_EQ(lines.at(5).text, "token=glc_rlkey");
    ASSERT_EQ(lines.at(5).charBoxes.size(), lines.at(5).text.size());
    EXPECT_EQ(lines.at(5).charBoxes.at(11), l);
}

TEST(GlyphConsensus, AGlyphTheEngineLeftOutIsPutInItsCell)
{
    // "mail" read "ma l": the blank stands over a cell with the i's ink, which other copies read.
    // A blank over an empty cell stays.
    QImage image = terminal();
    QList<RecognizedLine> lines;
    for (int row = 0; row < 5; ++row)
        lines.append(drawLine(image, "user@mail:~$ ls -i", "user@mail:~$ ls -i", row, 6));
    lines.append(drawLine(image, "noor@mail.kahuna.co", "noor@ma l.kahuna.co", 5, 6));
    lines.last().charBoxes[7] = QRectF();
    agreeOnGlyphs(image, lines);
    EXPECT_EQ(lines.at(5).text, "noor@mail.kahuna.co");
    EXPECT_EQ(lines.at(0).text, "user@mail:~$ ls -i");
}
