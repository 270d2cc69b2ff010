// Which addresses the detector leaves out as already masked by the page, through
// detectSensitiveText: lines as the recogniser gives them, with a box per character.
#include "vision/SensitiveTextDetector.h"

#include <gtest/gtest.h>

namespace {

constexpr double kBase = 0.5, kX = 0.02;

// A line whose characters stand in cells of 0.01 from x 0.1 on a baseline at y 0.5, boxed as the
// recogniser boxes their ink: x-height letters 0.02 tall, capitals, digits and ascenders 0.028,
// descenders 0.006 below the baseline. `shape` overrides a character's box: F floats (a star or a
// bullet read as a letter: from the x-height to well above the baseline), W spans the whole line
// (as the engine boxes some glyphs), T is a tick's small box high up (given to the letter beside
// it).
RecognizedLine shaped(const QString& text, const QString& shape = {})
{
    RecognizedLine line { text, {}, {} };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i), s = i < shape.size() ? shape.at(i) : QChar(u'.');
        double top = kBase - kX, bottom = kBase;
        if (c.isSpace()) {
            line.charBoxes.append(QRectF());
            continue;
        }
        if (s == u'F' || QStringView(u"*\u2022\u2219").contains(c))
            bottom = kBase - 0.4 * kX;
        else if (s == u'W')
            top = kBase - 1.4 * kX, bottom = kBase + 0.3 * kX;
        else if (s == u'T' || QStringView(u"`'\"").contains(c))
            top = kBase - 1.4 * kX, bottom = kBase - 1.2 * kX;
        else if (c == u'@' || QStringView(u"gjpqy()[]<>").contains(c))
            top = kBase - 1.4 * kX, bottom = kBase + 0.3 * kX;
        else if (c.isUpper() || c.isDigit() || QStringView(u"bdfhklt").contains(c))
            top = kBase - 1.4 * kX;
        else if (QStringView(u".,_").contains(c))
            top = kBase - 0.15 * kX;
        line.charBoxes.append(QRectF(0.1 + 0.01 * i, top, 0.01, bottom - top));
        line.box = line.box.united(line.charBoxes.last());
    }
    return line;
}

// The one address found in the line, as the part of the text its box covers.
QString coveredAddress(const RecognizedLine& line)
{
    const DetectionResult result = detectSensitiveText({ line });
    if (result.size() != 1 || !result.count(RedactionKind::email) || result.at(RedactionKind::email).size() != 1)
        return QStringLiteral("<%1 kinds>").arg(result.size());
    const QRectF box = result.at(RedactionKind::email).first();
    QString covered;
    for (qsizetype i = 0; i < line.text.size(); ++i)
        if (!line.charBoxes.at(i).isEmpty() && box.contains(line.charBoxes.at(i)))
            covered += line.text.at(i);
    return covered;
}

} // namespace

// Emphasis, ticks, quotes, brackets, a footnote star and trailing punctuation are marks around an
// address, and a run of x is letters: each address is found, its box over all of it.
TEST(MaskedAddresses, DressedAddressesAreFoundAndCovered)
{
    const QList<std::pair<QString, QString>> dressed {
        { "**dana.smith@corp.io**", "dana.smith@corp.io" },
        { "*li.wei@harbor.dev*", "li.wei@harbor.dev" },
        { "see mark@example.com* below", "mark@example.com" },
        { "***zoe@art.co***", "zoe@art.co" },
        { "> **Reply from jo@acme.io**", "jo@acme.io" },
        { "info@bxx.org", "info@bxx.org" },
        { "team@zxx.net", "team@zxx.net" },
        { "reply-to laxx@mxxx.de", "laxx@mxxx.de" },
        { "`ops@relay.io`", "ops@relay.io" },
        { u"\u201Cana@post.de\u201D"_qs, "ana@post.de" },
        { "<a.b@corp.io>", "a.b@corp.io" },
        { "(sam@north.co)", "sam@north.co" },
        { "[max@lux.fr],", "max@lux.fr" },
        { "mailto:kim@studio.dev", "kim@studio.dev" },
        { "write to rob@mesh.io.", "rob@mesh.io" },
        { "_eva@blue.fi_", "eva@blue.fi" },
        { "jane+news@acme.io", "jane+news@acme.io" },
        // One star is no run: a mask of one letter hides nothing.
        { "user=f*xxx@exxx.au", "xxx@exxx.au" },
        { "t--x@host.net", "t--x@host.net" },
    };
    for (const auto& [text, address] : dressed) {
        const QString covered = coveredAddress(shaped(text));
        EXPECT_TRUE(covered.contains(address)) << text.toStdString() << " covers " << covered.toStdString();
    }
}

// A run of two or more mask characters in place of letters of the name or of the host's first
// label: stars and bullets as drawn, and as the engine reads large discs (@) and middle dots
// (hyphens, colons, plus signs).
TEST(MaskedAddresses, MasksInPlaceOfLettersAreNoFindings)
{
    const QStringList masked {
        "j**n@corp.io",
        "ab**c@example.com",
        u"d\u2022\u2022\u2022e@mailbox.org"_qs,
        u"k\u2219\u2219x@web.de"_qs,
        u"r\u25CF\u25CFa@proton.me"_qs,
        u"m\u00B7\u00B7\u00B7n@host.net"_qs,
        "re@@e@proton.me",
        "t----@host.net",
        "s-:+-@mail.com",
        "+-+@mail.com",
        "user=o**x@u***.dev and more",
    };
    for (const QString& text : masked)
        EXPECT_TRUE(detectSensitiveText({ shaped(text) }).empty()) << text.toStdString();
}

// The engine reads stars and bullets as letters ("k••••••" as "keeeeee", "j***" as "j*xx"): their
// glyphs float above the baseline, where no letter stands.
TEST(MaskedAddresses, MaskGlyphsReadAsLettersFloatAboveTheBaseline)
{
    EXPECT_TRUE(detectSensitiveText({ shaped("k   keeeeee@web.de", "     FFFFFF") }).empty());
    EXPECT_TRUE(detectSensitiveText({ shaped("user=f*xxx@exxx.au", "       FFF   FFF") }).empty());
    EXPECT_TRUE(detectSensitiveText({ shaped("to fxxx@exxx.au", "    FFF   FFF") }).empty());
    // The same letters standing on the baseline are a real address's.
    EXPECT_EQ(coveredAddress(shaped("k   keeeeee@web.de")), "keeeeee@web.de");
    EXPECT_EQ(coveredAddress(shaped("user=f*xxx@exxx.au")), "f*xxx@exxx.au");
    // One floating letter is no run.
    EXPECT_EQ(coveredAddress(shaped("to fxab@exxx.au", "    F")), "fxab@exxx.au");
}

// Boxes that merely look odd leave a real address real: glyphs the engine gave the whole line's
// box are no baseline to measure against, and a tick's box given to the letter beside it is too
// small for a mask.
TEST(MaskedAddresses, OddBoxesOfRealLettersAreNoMask)
{
    // Everything but the name and the host has the whole line's box: the name's letters seem to
    // float against it.
    const QString volkov = "*VOLKOV.LUCIA@EXAMPLE.COM.AU';";
    EXPECT_EQ(coveredAddress(shaped(volkov, "WWWWWW.......WWWWWWWW.WWWWWWWWW")), "*VOLKOV.LUCIA@EXAMPLE.COM.AU'");
    // The name's letters all float against a baseline that the rest of the line gives: without a
    // letter on the baseline or a mask glyph among them, the line is measured wrong.
    EXPECT_EQ(coveredAddress(shaped("lucia@corp.io and more", "FFFFF")), "lucia@corp.io");
    EXPECT_EQ(coveredAddress(shaped("write `ops@relay.io` now", "       TT")), "`ops@relay.io`");
}
