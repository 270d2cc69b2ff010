#include "screens/RealShots.h"
#include "vision/TextLineFinder.h"
#include "vision/TextRecognizer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

struct Row {
    QString label, value;
};

// A dark page's list, one row a line: "Set", a label in a code box, "to", a value in a code box
// and a tail. The boxes are as tall as the row's pitch and a pixel more, so the rim of each box
// is the rim of the box under it, and their rounded corners blend into one another.
QImage codeBoxList(const QList<Row>& rows, QList<QRect>* valueBoxes)
{
    const int pitch = 14;
    QImage image(420, 40 + pitch * int(rows.size()) + 20, QImage::Format_RGB32);
    image.fill(QColor(0x0f1115));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(11);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(10);
    const QFontMetrics sansMetrics(sans), monoMetrics(mono);
    const auto box = [&](int x, int top, const QString& text) {
        const QRectF r(x + 0.5, top + 0.5, monoMetrics.horizontalAdvance(text) + 6, pitch);
        p.setPen(QPen(QColor(0x444c56), 1));
        p.setBrush(QColor(0x2d333b));
        p.drawRoundedRect(r, 6, 6);
        p.setFont(mono);
        p.setPen(QColor(0xadbac7));
        p.drawText(QPointF(x + 3, top + 11), text);
        return r.toAlignedRect();
    };
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const int top = 40 + pitch * int(i);
        int x = 20;
        p.setFont(sans);
        p.setPen(QColor(0xadbac7));
        p.drawText(x, top + 11, QStringLiteral("Set"));
        x += sansMetrics.horizontalAdvance(QStringLiteral("Set ")) + 2;
        x = box(x, top, rows[i].label).right() + 5;
        p.setFont(sans);
        p.setPen(QColor(0xadbac7));
        p.drawText(x, top + 11, QStringLiteral("to"));
        x += sansMetrics.horizontalAdvance(QStringLiteral("to ")) + 2;
        const QRect value = box(x, top, rows[i].value);
        valueBoxes->append(value);
        p.setFont(sans);
        p.setPen(QColor(0xadbac7));
        p.drawText(value.right() + 6, top + 11, QStringLiteral("before deploy"));
    }
    return image;
}

} // namespace

// Code boxes stacked one a row share their rims, which joins them into one blob as tall as the
// list: taken as one glyph, it swallowed every line around it, and nothing of the list was read.
TEST(InkMask, StackedCodeBoxesAreReadRowByRow)
{
    const QList<Row> rows { { "OWNER", "6139-3300-2322-6736" }, { "HOST", "elena.okafor@wonka.co.uk" },
        { "HOST", "$47.56" }, { "CARD", "+61 868 847 4695" }, { "OWNER", "romero.m@massive.io" } };
    QList<QRect> values;
    const QImage image = codeBoxList(rows, &values);

    for (const TextLineBox& line : findTextLines(image))
        EXPECT_LE(line.box.height(), 20) << "a line spans rows: " << line.box.y() << " " << line.box.height();

    TextRecognizer& recognizer = TextRecognizer::shared();
    recognizer.warmUp();
    const TextRecognition r = recognizer.recognize(image);
    ASSERT_TRUE(r.ok);
    QString all;
    for (const RecognizedLine& line : r.lines)
        all += line.text + QLatin1Char('\n');
    for (const Row& row : rows)
        EXPECT_TRUE(all.contains(row.value)) << row.value.toStdString() << " not read in:\n" << all.toStdString();

    // The same in a browser's page: there the rounded corners of boxes of different widths blend
    // into the fill's colour where they meet the rim they share, a pixel or two across, and join
    // the fills through it.
    const QImage page = QImage(realShotsFolder() + QStringLiteral("/tuning/f-chromium-readme-dark-1x-3.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    for (const TextLineBox& line : findTextLines(page))
        EXPECT_LE(line.box.height(), 20) << "a line spans rows: " << line.box.y() << " " << line.box.height();
    const TextRecognition shot = recognizer.recognize(page);
    QString read;
    for (const RecognizedLine& line : shot.lines)
        read += line.text + QLatin1Char('\n');
    for (const char* value : { "6139-3300-2322-6736", "elena.okafor@wonka.co.uk", "$47.56", "+61 868 847 4695", "10.27.132.22" })
        EXPECT_TRUE(read.contains(QLatin1String(value))) << value << " not read in:\n" << read.toStdString();
}
