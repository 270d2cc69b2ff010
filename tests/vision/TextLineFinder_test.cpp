#include "vision/LineImage.h"
#include "vision/TextLineFinder.h"
#include "vision/TextRecognizer.h"

#include "core/ParallelFor.h"
#include "screens/RealShots.h"
#include "screens/ScreenshotGenerator.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRandomGenerator>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {

QFont font(int pixels, const QString& family = QStringLiteral("DejaVu Sans"))
{
    QFont f(family);
    f.setPixelSize(pixels);
    return f;
}

// Draws `text` with its baseline at `origin`; returns the box of its advance.
QRect draw(QImage& image, QPoint origin, const QString& text, const QColor& colour, const QFont& f)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(origin, text);
    const QFontMetrics fm(f);
    return QRect(origin.x(), origin.y() - fm.ascent(), fm.horizontalAdvance(text), fm.height());
}

QImage page(QSize size, const QColor& background)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

bool covers(const QRect& line, const QRect& text)
{
    const QRect both = line.intersected(text);
    return both.width() >= 0.9 * text.width() && both.height() >= 0.5 * line.height();
}

} // namespace

// Whatever the colours, each run of text is one line over its own pixels.
TEST(TextLineFinder, FindsTextOfAnyPolarityAndColour)
{
    struct Case {
        const char* name;
        QColor background, panel, ink;
    };
    const Case cases[] = {
        { "dark on light", Qt::white, Qt::white, QColor(0x1d1d1f) },
        { "light on dark", QColor(0x1e1e1e), QColor(0x1e1e1e), QColor(0xececec) },
        { "white on a blue bubble", Qt::white, QColor(0x007aff), Qt::white },
        { "placeholder grey", Qt::white, Qt::white, QColor(0x9a9aa0) },
        { "dark on a yellow note", QColor(0xf2f2f7), QColor(0xffe680), QColor(0x3a2f00) },
    };
    for (const Case& c : cases) {
        QImage image = page({ 600, 120 }, c.background);
        QPainter(&image).fillRect(QRect(20, 20, 400, 40), c.panel);
        const QRect text = draw(image, { 34, 46 }, QStringLiteral("Reach jane.doe@example.com"), c.ink, font(14));
        const QList<TextLineBox> lines = findTextLines(image);
        ASSERT_EQ(lines.size(), 1) << c.name;
        EXPECT_TRUE(covers(lines[0].box, text)) << c.name;
        EXPECT_GT(lines[0].box.left(), 24) << c.name << ": the panel's edge is no text";
    }
}

TEST(TextLineFinder, SplitsARowAtWideGapsOnly)
{
    QImage image = page({ 700, 80 }, Qt::white);
    const QRect label = draw(image, { 20, 30 }, QStringLiteral("Phone"), Qt::black, font(13));
    const QRect field = draw(image, { 220, 30 }, QStringLiteral("(415) 555-0132"), Qt::black, font(13));
    const QRect sentence = draw(image, { 20, 62 }, QStringLiteral("Call me at (415) 555-0132 today"), Qt::black, font(13));
    const QList<TextLineBox> lines = findTextLines(image);
    ASSERT_EQ(lines.size(), 3);
    // Reading order: the row's two parts left to right, then the sentence.
    EXPECT_TRUE(covers(lines[0].box, label));
    EXPECT_TRUE(covers(lines[1].box, field));
    EXPECT_TRUE(covers(lines[2].box, sentence));
}

TEST(TextLineFinder, KeepsTightlySetRowsApartAndIgnoresFrames)
{
    QImage image = page({ 640, 260 }, QColor(0x101216));
    const QFont mono = font(12, QStringLiteral("DejaVu Sans Mono"));
    for (int row = 0; row < 10; ++row)
        draw(image, { 10, 20 + row * 15 }, QStringLiteral("gjpqy|lkhdb 10.0.0.%1 Ijgy_{}").arg(row), QColor(0xd0d4da), mono);
    // A bordered field, a rule and a separator around text must not join it.
    QPainter p(&image);
    p.setPen(QColor(0x6e7681));
    p.drawRoundedRect(QRectF(10.5, 180.5, 400, 28), 6, 6);
    p.drawLine(0, 230, 640, 230);
    p.drawLine(500, 170, 500, 250);
    p.end();
    const QRect inField = draw(image, { 20, 199 }, QStringLiteral("hannah@example.com"), QColor(0xd0d4da), font(13));
    const QList<TextLineBox> lines = findTextLines(image);
    ASSERT_EQ(lines.size(), 11);
    for (int row = 0; row < 10; ++row)
        EXPECT_LT(lines[row].box.height(), 22) << row; // less than one and a half rows
    EXPECT_TRUE(covers(lines[10].box, inField));
    EXPECT_GE(lines[10].box.left(), 16);
    EXPECT_LE(lines[10].box.height(), 18);
}

// A table's grid between close cells splits the row, and no part of a line holds the rule (the
// engine would read it as a '|' glued to the item); a long vertical stroke of a glyph does not.
TEST(TextLineFinder, TheRulesOfATableSplitItsRows)
{
    for (const QColor& background : { QColor(Qt::white), QColor(0x1e1e1e) }) {
        const QColor ink = background.lightness() > 128 ? QColor(0x1f2328) : QColor(0xd4d4d4);
        QImage image = page({ 520, 120 }, background);
        QList<QRect> cells;
        cells << draw(image, { 12, 40 }, QStringLiteral("+61 478 874 6728"), ink, font(13))
              << draw(image, { 152, 40 }, QStringLiteral("6569066181363262"), ink, font(13))
              << draw(image, { 292, 40 }, QStringLiteral("$83.05"), ink, font(13))
              << draw(image, { 12, 70 }, QStringLiteral("(720) 674-0534"), ink, font(13))
              << draw(image, { 152, 70 }, QStringLiteral("415.555.0132"), ink, font(13));
        QPainter p(&image);
        p.setPen(QColor(0x6e7781));
        for (int x : { 4, 144, 284, 350 })
            p.drawLine(x, 8, x, 110);
        for (int y : { 8, 51, 81, 110 })
            p.drawLine(4, y, 350, y);
        p.end();
        // A pipe in a shell line and the stems of the rows above and below it stay one line.
        const QRect shell = draw(image, { 380, 40 }, QStringLiteral("cat a|grep -l b"), ink, font(13, QStringLiteral("DejaVu Sans Mono")));
        const QList<TextLineBox> lines = findTextLines(image);
        for (const QRect& cell : cells) {
            const auto over = std::find_if(lines.begin(), lines.end(), [&](const TextLineBox& l) { return covers(l.box, cell); });
            ASSERT_NE(over, lines.end()) << cell.x() << ',' << cell.y();
            for (int x : { 4, 144, 284, 350 })
                EXPECT_FALSE(over->box.adjusted(-1, 0, 1, 0).contains(QPoint(x, over->box.center().y()))) << x;
        }
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const TextLineBox& l) { return covers(l.box, shell); }), 1);
    }
}

// Descenders that rest on a table's grid line (small cells, a tight padding) join it in the ink; the
// glyphs stay in their line all the same, so the address in the cell is read whole. Rows may be
// highlighted with a fill.
TEST(TextLineFinder, GlyphsRestingOnATablesRuleStayInTheirLine)
{
    for (const bool lit : { false, true }) {
        QImage image = page({ 420, 80 }, Qt::white);
        const QFont mono = font(11, QStringLiteral("DejaVu Sans Mono"));
        const QFontMetrics fm(mono);
        const int baseline = 40, rule = baseline + 2;
        QPainter p(&image);
        if (lit)
            p.fillRect(QRect(4, 8, 396, rule - 8 - 20), QColor(0xec4899));
        p.setPen(QColor(0x6e7781));
        for (int y : { 8, rule, 70 })
            p.drawLine(4, y, 400, y);
        for (int x : { 4, 200, 400 })
            p.drawLine(x, 8, x, 70);
        p.end();
        const QRect email = draw(image, { 12, baseline }, QStringLiteral("priya+notify@example.com"), QColor(0x1f2328), mono);
        draw(image, { 208, baseline }, QStringLiteral("358.621.7523"), QColor(0x1f2328), font(11));
        const QRect glyphs = email.adjusted(0, fm.ascent() - fm.capHeight(), 0, -fm.descent());
        const QList<TextLineBox> lines = findTextLines(image);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const TextLineBox& l) { return covers(l.box, glyphs); }), 1) << lit;
    }
}

// In tiny text the short letters (a, c, e, n, u) are too low to start a line; a run of them
// between two taller ones ("clien|t", "amoun|t") must not split the line there.
TEST(TextLineFinder, TinyTextIsOneLineThroughRunsOfShortLetters)
{
    const std::pair<const char*, int> fonts[] = { { "DejaVu Sans Mono", 7 }, { "Liberation Mono", 8 }, { "Hack", 7 } };
    for (const auto& [family, pixels] : fonts) {
        QImage image = page({ 520, 60 }, QColor(0x1e1f29));
        const QRect text = draw(image, { 8, 30 },
            QStringLiteral("auth ok key=sk-zbcP3VzyMapc3 {\"amount\":\"$ 3,862.91\"} client=10.105.51.25"), QColor(0xb8bcc8),
            font(pixels, QString::fromLatin1(family)));
        const QList<TextLineBox> lines = findTextLines(image);
        ASSERT_EQ(lines.size(), 1) << family;
        EXPECT_TRUE(covers(lines[0].box, text)) << family;
        EXPECT_LE(lines[0].box.left(), text.left() + 1) << family;
    }
}

TEST(TextLineFinder, FindsLargeBoldText)
{
    QImage image = page({ 900, 200 }, Qt::white);
    QFont big = font(64);
    big.setBold(true);
    const QRect text = draw(image, { 40, 120 }, QStringLiteral("$6,692.73"), QColor(0x1d1d1f), big);
    const QList<TextLineBox> lines = findTextLines(image);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(covers(lines[0].box, text));
}

TEST(TextLineFinder, LineImageIsDarkOnWhiteAndMapsBackToThePage)
{
    QImage image = page({ 400, 60 }, Qt::white);
    QPainter(&image).fillRect(QRect(10, 10, 300, 40), QColor(0x007aff));
    draw(image, { 20, 36 }, QStringLiteral("10.0.0.1"), Qt::white, font(13));
    const QList<TextLineBox> lines = findTextLines(image);
    ASSERT_EQ(lines.size(), 1);
    const LineImage line = lineImageForRecognition(image, lines[0], 40, 10);
    ASSERT_EQ(line.image.format(), QImage::Format_Grayscale8);
    EXPECT_NEAR(lines[0].height * line.scale, 40, 4);
    int darkest = 255;
    for (int y = 0; y < line.image.height(); ++y)
        for (int x = 0; x < line.image.width(); ++x)
            darkest = std::min<int>(darkest, line.image.constScanLine(y)[x]);
    EXPECT_LT(darkest, 40); // white text became black
    EXPECT_EQ(line.image.constScanLine(0)[0], 255); // the blue became white
    // The padding's corner maps to just outside the line's top left.
    const QPointF corner = line.origin + QPointF(10, 10) / line.scale;
    EXPECT_NEAR(corner.x(), lines[0].box.left() - 1, 1.0);
    EXPECT_NEAR(corner.y(), lines[0].box.top() - 1, 1.0);
}

// Badges and tags are too small to be backgrounds: the text on each is a line of its own, as high
// as the text, and its line image shows it dark on white whatever the fill and the page around
// it, even when the text has the page's colour.
TEST(TextLineFinder, TextOnSmallBadgesIsALineOfItsOwnDarkOnWhite)
{
    struct Badge {
        QColor fill, ink;
        QString text;
    };
    const std::pair<QColor, QList<Badge>> pages[] = {
        { Qt::white, { { QColor(0x2dd4bf), QColor(0x0b2f2a), "10.4.213.108" }, { QColor(0x2563eb), Qt::white, "$7.29" },
                         { QColor(0xfacc15), QColor(0x1f2328), "(842) 272-6764" } } },
        { QColor(0x1e1e1e), { { QColor(0x22c55e), QColor(0x1e1e1e), "jane@acme.io" }, { QColor(0xf97316), QColor(0x2b1203), "\u00a3863" },
                                { QColor(0x7c3aed), Qt::white, "192.168.4.59" } } },
    };
    for (const auto& [background, badges] : pages) {
        QImage image = page({ 520, 80 }, background);
        QFont f = font(11);
        f.setBold(true);
        QList<QRect> fills;
        int x = 20;
        for (const Badge& b : badges) {
            const QRect fill(x, 30, QFontMetrics(f).horizontalAdvance(b.text) + 16, 16);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(b.fill);
            p.drawRoundedRect(fill, 8, 8);
            p.end();
            draw(image, { x + 8, 42 }, b.text, b.ink, f);
            fills.append(fill);
            x = fill.right() + 7;
        }
        const QList<TextLineBox> lines = findTextLines(image);
        ASSERT_EQ(lines.size(), badges.size()) << background.name().toStdString();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const std::string name = badges[i].text.toStdString();
            EXPECT_TRUE(fills[i].contains(lines[i].box)) << name;
            EXPECT_LT(lines[i].box.height(), 14) << name << ": the badge is no glyph";
            const LineImage line = lineImageForRecognition(image, lines[i], 40, 10);
            int darkest = 255;
            qint64 sum = 0;
            for (int y = 0; y < line.image.height(); ++y)
                for (int x = 0; x < line.image.width(); ++x) {
                    darkest = std::min<int>(darkest, line.image.constScanLine(y)[x]);
                    sum += line.image.constScanLine(y)[x];
                }
            EXPECT_LT(darkest, 60) << name;
            EXPECT_GT(sum / (line.image.width() * line.image.height()), 180) << name << ": the fill became white";
        }
    }
}

// A mail's sidebar count ("Inbox 45") on a pill, left whole as one blob, stands level with the gap
// between the header's address and the subject under it: neither row may be joined to it and so
// to the other, or the address is read as a jumble of both.
TEST(TextLineFinder, ACountBadgeBesideTwoRowsJoinsNeither)
{
    int checked = 0;
    for (const ShotRecipe& recipe : developmentShotRecipes()) {
        if (recipe.seed != 900002 && recipe.seed != 900005)
            continue;
        const GeneratedShot shot = generateShot(recipe);
        const PlantedItem& address = shot.planted.constFirst();
        ASSERT_EQ(address.kind, RedactionKind::email) << shot.name.toStdString();
        const QList<TextLineBox> lines = findTextLines(shot.image.convertToFormat(QImage::Format_RGB32));
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const TextLineBox& l) { return covers(l.box, address.box); });
        ASSERT_NE(line, lines.end()) << shot.name.toStdString();
        EXPECT_LT(line->box.height(), address.box.height() * 3 / 2) << shot.name.toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

// The finder splits its work into bands and runs its two scales side by side: the lines must not
// depend on how many threads there are or which finishes first, nor on the alpha bytes of pixels
// that are opaque by their format.
TEST(TextLineFinder, SameLinesWhateverTheThreadsAndAlphaBytes)
{
    const QImage shot = generateShot(denseShotRecipe()).image;
    QImage image = page(shot.size() + QSize(0, 200), Qt::white);
    QPainter(&image).drawImage(0, 0, shot);
    // Large bold text below it, which only the coarse scale finds whole.
    draw(image, { 120, shot.height() + 150 }, QStringLiteral("Quarterly Report"), QColor(0x1d1d1f), [] {
        QFont f = font(90);
        f.setBold(true);
        return f;
    }());
    const auto sameLines = [](const QList<TextLineBox>& a, const QList<TextLineBox>& b) {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a[i].box != b[i].box || a[i].height != b[i].height)
                return false;
        return true;
    };
    const QList<TextLineBox> serial = findTextLines(image);
    ASSERT_GT(serial.size(), 40);
    ASSERT_TRUE(std::any_of(serial.begin(), serial.end(), [](const TextLineBox& l) { return l.height >= 50; }))
        << "the heading was not found whole";
    // One thread is what a one-CPU machine has: the scales then share it and nothing may wait
    // for work queued behind itself.
    for (int threads : { 1, 2, 3, 8 }) {
        QThreadPool pool;
        pool.setMaxThreadCount(threads);
        const auto onPool = [&](int n, const std::function<void(int)>& body) { parallelFor(n, body, &pool); };
        for (int run = 0; run < 2; ++run)
            EXPECT_TRUE(sameLines(findTextLines(image, onPool), serial)) << threads << " threads, run " << run;
    }
    QImage noisyAlpha = image;
    QRandomGenerator random(7);
    for (int y = 0; y < noisyAlpha.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(noisyAlpha.scanLine(y));
        for (int x = 0; x < noisyAlpha.width(); ++x)
            row[x] = (row[x] & 0x00ffffff) | (random.bounded(256u) << 24);
    }
    EXPECT_TRUE(sameLines(findTextLines(noisyAlpha), serial));
}

// In a terminal's tight rows the descender of a 'g' touches the 'l' under it; the two glyphs are
// one mark two rows tall, which gathered both rows into one line, read as one row, the other lost.
TEST(TextLineFinder, ADescenderTouchingTheRowBelowKeepsTheRowsApart)
{
    const QFont mono = font(15, QStringLiteral("DejaVu Sans Mono"));
    const QFontMetrics fm(mono);
    const QStringList rows { QStringLiteral("$ kubectl logs deploy/gateway --tail 3"),
        QStringLiteral("INFO login ok user=jane@oscorp.dev ip=141.37.181.35"),
        QStringLiteral("INFO callback to +61 672 011 9009 queued"), QStringLiteral("INFO token issued for deploy") };
    QImage image = page({ 560, 120 }, QColor(0x1e1e1e));
    // The rows closer than the face's ascent and descent: 'g' of "login" over 'l' of
    // "callback" (the same column) join.
    const int pitch = fm.ascent() + fm.descent() - 3;
    for (qsizetype i = 0; i < rows.size(); ++i)
        draw(image, QPoint(4, 8 + fm.ascent() + pitch * int(i)), rows[i], QColor(0xd0d0d0), mono);

    for (const TextLineBox& line : findTextLines(image))
        EXPECT_LT(line.box.height(), 1.5 * pitch) << line.box.y() << " " << line.box.height();
    TextRecognizer& recognizer = TextRecognizer::shared();
    recognizer.warmUp();
    const TextRecognition r = recognizer.recognize(image);
    QString all;
    for (const RecognizedLine& line : r.lines)
        all += line.text + QLatin1Char('\n');
    EXPECT_TRUE(all.contains(QStringLiteral("jane@oscorp.dev"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("INFO callback to"))) << all.toStdString();
}

// A terminal's line is one line through a blank beside narrow glyphs ("massive. io"), which in a
// fixed pitch is wider than a proportional face's blank; two blanks or more part its columns.
TEST(TextLineFinder, AFixedPitchLineIsPartedOnlyBetweenColumns)
{
    const std::pair<const char*, int> faces[] = { { "DejaVu Sans Mono", 13 }, { "Liberation Mono", 15 }, { "DejaVu Sans Mono", 26 },
        { "Liberation Mono", 30 } };
    for (const auto& [family, pixels] : faces) {
        const QFont mono = font(pixels, QString::fromLatin1(family));
        const int row = QFontMetrics(mono).height() + 4;
        QImage image = page({ 60 * pixels, 4 * row }, QColor(0x1e1f29));
        const QColor ink(0xd8dae0);
        const QRect whole = draw(image, { 6, row }, QStringLiteral("victor@massive. io"), ink, mono);
        const QRect name = draw(image, { 6, 3 * row }, QStringLiteral("api-7f9c"), ink, mono);
        const QRect status = draw(image, { 6 + QFontMetrics(mono).horizontalAdvance(QStringLiteral("api-7f9c   ")), 3 * row },
            QStringLiteral("Running"), ink, mono);
        const QList<TextLineBox> lines = findTextLines(image);
        const auto count = [&](const QRect& r) {
            return std::count_if(lines.begin(), lines.end(), [&](const TextLineBox& l) { return covers(l.box, r); });
        };
        EXPECT_EQ(count(whole), 1) << family << ' ' << pixels;
        EXPECT_EQ(count(name), 1) << family << ' ' << pixels;
        EXPECT_EQ(count(status), 1) << family << ' ' << pixels;
        EXPECT_EQ(lines.size(), 3) << family << ' ' << pixels;
    }
}

// xterm in the 6x9 bitmap face draws short letters four pixels tall: a row of them with a single
// taller glyph ("noor@acme.io" beside a phone and a card number) is a line too.
TEST(TextLineFinder, ARowOfFourPixelLettersInATinyBitmapFaceIsALine)
{
    const RealShot real = loadRealShot(realShotsFolder() + QStringLiteral("/tuning/g-xterm-dark-1x-11.layout.json"));
    ASSERT_FALSE(real.shot.image.isNull());
    const QImage image = real.shot.image.convertToFormat(QImage::Format_RGB32);
    const QRect address(2, 182, 72, 9); // the run's cells
    const QList<TextLineBox> lines = findTextLines(image);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const TextLineBox& l) {
        return l.box.intersects(address) && l.box.left() <= address.left() + 2 && l.box.right() >= address.right() - 2;
    }));
}

// In a wide face an i's stem, a thin mark placed after the letters, may start the line of the
// word after it while its dot and the full stop behind it join the word before: the two parts
// then overlap and an address ("isla@hooli. | 1.com", kitty in IBM's 3270) is read in halves,
// neither of them an address. Each address must lie in one line.
TEST(TextLineFinder, AFullStopAfterAThinGlyphKeepsTheAddressInOneLine)
{
    const std::pair<const char*, const char*> cases[] = { { "p-kitty-light-2x-6", "isla@hooli.com" },
        { "p-kitty-light-2x-4", "amara.brandt@hooli.com" } };
    for (const auto& [name, text] : cases) {
        const RealShot real = loadRealShot(realShotsFolder() + QStringLiteral("/tuning/%1.layout.json").arg(QLatin1String(name)));
        ASSERT_FALSE(real.shot.image.isNull()) << name;
        const auto item = std::find_if(real.shot.planted.begin(), real.shot.planted.end(),
            [&](const PlantedItem& p) { return p.text == QLatin1String(text); });
        ASSERT_NE(item, real.shot.planted.end()) << name;
        const QList<TextLineBox> lines = findTextLines(real.shot.image.convertToFormat(QImage::Format_RGB32));
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const TextLineBox& l) {
            return l.box.left() <= item->box.left() + 2 && l.box.right() >= item->box.right() - 2 && l.box.intersects(item->box);
        })) << name << ' ' << text;
    }
}
