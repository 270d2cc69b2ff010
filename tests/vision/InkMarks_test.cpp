#include "vision/InkMarks.h"

#include "vision/LineInk.h"

#include <QFontMetricsF>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using Pieces = QList<std::pair<QString, QString>>;

// A line drawn glyph by glyph and read as the engine might have: each piece is what was drawn
// and what was read of it (a bullet as letters, a dot as a comma or as nothing). Each character
// read takes the tight box of its drawn glyph, shared where one glyph was read as several.
struct DrawnLine {
    LineImage image;
    RecognizedLine line;
    QSizeF page;

    DrawnLine(const QString& family, const Pieces& pieces)
    {
        QFont font(family);
        font.setPixelSize(32);
        const QFontMetricsF metrics(font);
        double width = 20;
        for (const auto& piece : pieces)
            width += metrics.horizontalAdvance(piece.first);
        page = QSizeF(std::ceil(width) + 20, 64);
        image.image = QImage(page.toSize(), QImage::Format_Grayscale8);
        image.image.fill(255);
        QPainter p(&image.image);
        p.setFont(font);
        p.setPen(Qt::black);
        const double baseline = 44;
        double x = 20;
        for (const auto& [drawn, read] : pieces) {
            p.drawText(QPointF(x, baseline), drawn);
            const QRectF ink = metrics.tightBoundingRect(drawn).translated(x, baseline);
            for (qsizetype k = 0; k < read.size(); ++k) {
                line.text += read.at(k);
                if (read.at(k) == u' ' || drawn.trimmed().isEmpty()) {
                    line.charBoxes.append(QRectF());
                    continue;
                }
                const double w = ink.width() / read.size();
                const QRectF box(ink.left() + k * w, ink.top(), w, ink.height());
                line.charBoxes.append(QRectF(box.x() / page.width(), box.y() / page.height(), box.width() / page.width(),
                    box.height() / page.height()));
            }
            x += metrics.horizontalAdvance(drawn);
        }
    }

    QString after(void (*mend)(RecognizedLine&, const LineImage&, const std::vector<uint8_t>&, QSizeF))
    {
        mend(line, image, LineInk::darkestInColumns(image.image), page);
        EXPECT_EQ(line.charBoxes.size(), line.text.size());
        return line.text;
    }
};

// Each glyph of `text` drawn and read as itself.
Pieces asRead(const QString& text)
{
    Pieces pieces;
    for (QChar c : text)
        pieces.append({ QString(c), QString(c) });
    return pieces;
}

Pieces joined(Pieces a, const Pieces& b)
{
    a.append(b);
    return a;
}

} // namespace

// A square, a disc or a triangle before a number is a bullet, whatever letters it was read as; a
// letter drawn there, or a ring, stays what it is, and so does a mark before a short number.
TEST(InkMarks, ASolidShapeReadAsLettersBeforeANumberIsABullet)
{
    const QString number = QStringLiteral(" 807.765.5562");
    const Pieces shapes { { QStringLiteral(u"\u25A0"), "m" }, { QStringLiteral(u"\u25B8"), "pm" }, { QStringLiteral(u"\u25CF"), "e" } };
    for (const auto& shape : shapes) {
        DrawnLine drawn("DejaVu Sans", joined({ shape }, asRead(number)));
        EXPECT_EQ(drawn.after(restoreBullets), QStringLiteral(u"\u2022") + number) << shape.second.toStdString();
    }
    DrawnLine letter("DejaVu Sans", asRead("m" + number));
    EXPECT_EQ(letter.after(restoreBullets), "m" + number);
    DrawnLine ring("DejaVu Sans", joined({ { QStringLiteral(u"\u25CB"), "o" } }, asRead(number)));
    EXPECT_EQ(ring.after(restoreBullets), "o" + number);
    DrawnLine shortNumber("DejaVu Sans", joined({ { QStringLiteral(u"\u25A0"), "m" } }, asRead(" 12 items")));
    EXPECT_EQ(shortNumber.after(restoreBullets), "m 12 items");
}

// A dot read as a comma or a blank between digits is a dot again, where they make an address; a comma whose tail hangs below the
// digits stays a comma, in thousands and in a list alike.
TEST(InkMarks, ADotReadAsACommaBetweenDigitsIsADot)
{
    Pieces address;
    for (QChar c : QStringLiteral("98.203.203.175"))
        address.append({ QString(c), c == u'.' ? QStringLiteral(",") : QString(c) });
    DrawnLine dots("DejaVu Sans Mono", joined(asRead("from "), address));
    EXPECT_EQ(dots.after(restoreDots), "from 98.203.203.175");
    // One of them taken for a blank.
    address[2].second = " ";
    DrawnLine blank("DejaVu Sans Mono", joined(asRead("from "), address));
    EXPECT_EQ(blank.after(restoreDots), "from 98.203.203.175");
    // A blank between digits with no dot in it stays, and so do marks that make no address.
    DrawnLine date("DejaVu Sans Mono", asRead("at 2026-12-08 09:53"));
    EXPECT_EQ(date.after(restoreDots), "at 2026-12-08 09:53");
    DrawnLine thousands("DejaVu Sans", asRead("total 1,234,567.89"));
    EXPECT_EQ(thousands.after(restoreDots), "total 1,234,567.89");
    DrawnLine list("Liberation Sans", asRead("ids 12, 45, 200, 7"));
    EXPECT_EQ(list.after(restoreDots), "ids 12, 45, 200, 7");
}

// A dot the engine left out of dotted numbers or an address's host is put back where the ink
// shows one, and only there: numbers drawn without it, a whole dotted phone number and a prompt's
// host stay as read.
TEST(InkMarks, ADotLeftOutOfAnAddressIsPutBackWhereTheInkShowsIt)
{
    const auto dropped = [](const QString& drawn, qsizetype at) {
        Pieces pieces = asRead(drawn);
        pieces[at].second.clear();
        return pieces;
    };
    DrawnLine address("Liberation Sans", dropped("ip 10.2.51.120", 10));
    EXPECT_EQ(address.after(restoreLostDots), "ip 10.2.51.120");
    DrawnLine host("Liberation Sans", dropped("to lucia.doe@duff.io", 17));
    EXPECT_EQ(host.after(restoreLostDots), "to lucia.doe@duff.io");
    for (const QString& whole : { QStringLiteral("ip 10.2.51120"), QStringLiteral("call 415.555.0182"), QStringLiteral("tobias@laptop:~$ ls") }) {
        DrawnLine line("Liberation Sans", asRead(whole));
        EXPECT_EQ(line.after(restoreLostDots), whole);
    }
}
