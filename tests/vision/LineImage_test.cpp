#include "vision/LineImage.h"

#include "vision/SensitiveTextDetector.h"
#include "vision/TextRecognizer.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

TextRecognizer& recognizer()
{
    static const bool warm = (TextRecognizer::shared().warmUp(), true);
    Q_UNUSED(warm);
    return TextRecognizer::shared();
}

QString readText(const TextRecognition& r)
{
    QStringList out;
    for (const RecognizedLine& line : r.lines)
        out << line.text;
    return out.join(QStringLiteral(" | "));
}

} // namespace

// xterm drawing in X core bitmap faces (10x20 and its default `fixed`, 6x13): one-pixel strokes,
// square dots, no smoothing. Every item of the session is found; in `fixed`, whose dot hangs below
// the baseline like a comma's head, the items without dots.
TEST(LineImage, BitmapTerminalFacesAreRead)
{
    for (const char* face : { "xterm-10x20", "xterm-fixed" }) {
        const bool dotsReadAsCommas = QLatin1String(face) == QLatin1String("xterm-fixed");
        const QImage shot(QStringLiteral(LUMAFORGE_TEST_DATA_DIR "/bitmap-faces/%1.png").arg(QLatin1String(face)));
        ASSERT_FALSE(shot.isNull()) << face;
        const TextRecognition r = recognizer().recognize(shot);
        ASSERT_TRUE(r.ok) << face;
        const DetectionResult found = detectSensitiveText(r.lines);
        const std::string read = std::string(face) + ": " + readText(r).toStdString();
        const auto count = [&](RedactionKind kind) { return found.count(kind) ? found.at(kind).size() : 0; };
        EXPECT_EQ(count(RedactionKind::email), 1) << read;
        EXPECT_EQ(count(RedactionKind::apiKey), 1) << read;
        if (!dotsReadAsCommas) {
            EXPECT_EQ(count(RedactionKind::ip), 2) << read;
            EXPECT_EQ(count(RedactionKind::phone), 1) << read;
        }
    }
}

// A crisp line is enlarged by whole pixels, and its boxes still land on its glyphs; smooth text
// keeps its own scale.
TEST(LineImage, CrispLinesAreEnlargedByWholePixelsAndSmoothOnesAsAsked)
{
    for (const bool smooth : { false, true }) {
        QImage page(200, 30, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        QFont f(QStringLiteral("DejaVu Sans Mono"));
        f.setPixelSize(12);
        f.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QPoint(10, 20), QStringLiteral("10.148.154.78"));
        p.end();
        const TextLineBox line { QRect(10, 10, 92, 11), 12 };
        const LineImage image = lineImageForRecognition(page, line, 40, 10);
        EXPECT_NEAR(image.scale, smooth ? 40.0 / 12 : 3.0, 0.02) << smooth;
        // The glyphs keep their place: the first column of ink maps back to the page's.
        int onPage = -1;
        for (int x = 0; x < page.width() && onPage < 0; ++x)
            for (int y = 0; y < page.height(); ++y)
                if (qGray(page.pixel(x, y)) < 128) {
                    onPage = x;
                    break;
                }
        int firstInk = -1;
        for (int x = 0; x < image.image.width() && firstInk < 0; ++x)
            for (int y = 0; y < image.image.height(); ++y)
                if (image.image.constScanLine(y)[x] < 128) {
                    firstInk = x;
                    break;
                }
        ASSERT_GE(firstInk, 0);
        EXPECT_NEAR(image.origin.x() + firstInk / image.scale, onPage, 0.7) << smooth;
        // Only black and white come out of a crisp line.
        if (!smooth)
            for (int y = 0; y < image.image.height(); ++y)
                for (int x = 0; x < image.image.width(); ++x)
                    ASSERT_TRUE(image.image.constScanLine(y)[x] == 0 || image.image.constScanLine(y)[x] == 255);
    }
}
