// The real application started with a text-recognition model that is not there: it says so once
// at start, and each shot is still styled, copied and presented, with the panel saying that its
// text was not checked instead of claiming that nothing needed hiding. The panel is read as a
// user reads it, from the screen.
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"
#include "support/RunningApp.h"
#include "support/Wait.h"
#include "vision/TesseractTextRecognizer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kStartLine = QStringLiteral(
    "Lumaforge: text recognition failed: the English model for Tesseract is missing: no file /nonexistent/eng.traineddata");

// A window-like shot with an e-mail address and an API key in it.
QImage shotWithSecrets(QColor accent)
{
    QImage image(1600, 1000, QImage::Format_RGB32);
    image.fill(QColor(246, 246, 248));
    QPainter p(&image);
    p.fillRect(0, 0, 1600, 64, QColor(228, 228, 232));
    p.fillRect(40, 120, 220, 48, accent);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    p.setFont(font);
    p.setPen(QColor(30, 30, 34));
    p.drawText(360, 320, QStringLiteral("Contact  jane.doe@example.com"));
    p.drawText(360, 420, QStringLiteral("Token  sk-4f9a8b7c6d5e4f3a2b1c0d9e"));
    return image;
}

void dropShot(const QImage& image, const QString& name)
{
    // Written beside the folder, then renamed in, as screenshot tools do.
    const QString tmp = QDir::homePath() + QStringLiteral("/.incoming.png");
    ASSERT_TRUE(image.save(tmp, "PNG"));
    ASSERT_TRUE(QFile::rename(tmp, RunningApp::screenshotFolder() + QLatin1Char('/') + name));
}

QSize styledSize(QSize shot)
{
    const CanvasLayout layout = canvasLayout(QSizeF(shot), BeautifySettings::defaults());
    return { int(std::lround(layout.canvasWidth * 2)), int(std::lround(layout.canvasHeight * 2)) };
}

// The texts of the panel's card as the screen shows them, read by a recogniser that has its
// model (this test's own environment).
QString panelTexts(TextRecognizer& reader)
{
    const QStringList panels = Desktop::findWindows(QStringLiteral("^Lumaforge Shot$"));
    if (panels.isEmpty())
        return {};
    const std::optional<QRect> frame = Desktop::windowGeometry(panels.first());
    if (!frame)
        return {};
    // The card's header row, enlarged so its small detail text reads well.
    const QImage card = QGuiApplication::primaryScreen()->grabWindow(0, frame->x(), frame->y(), frame->width(), 170).toImage();
    const TextRecognition read = reader.recognize(card.scaled(card.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    QStringList lines;
    for (const RecognizedLine& line : read.lines)
        lines.append(line.text);
    return lines.join(u'\n');
}

}

TEST(RecognitionFailure, TheModelMissingAtStartIsSaidOnceAndEveryShotSaysItWasNotChecked)
{
    RunningApp app;
    app.setEnvironment(QStringLiteral("TESSDATA_PREFIX"), QStringLiteral("/nonexistent"));
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    // Found at start, before any shot.
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(kStartLine); }, 5000)) << app.log().toStdString();

    TesseractTextRecognizer reader(2);
    QImage previous;
    for (int shot = 0; shot < 2; ++shot) {
        const QImage image = shotWithSecrets(shot == 0 ? QColor(52, 120, 246) : QColor(220, 60, 60));
        dropShot(image, QStringLiteral("Screenshot from 2026-12-07 21-0%1-00.png").arg(shot));
        // Still styled and copied, as before.
        QImage copied;
        ASSERT_TRUE(waitUntil(
            [&] {
                copied = Desktop::clipboardPng();
                return copied.size() == styledSize(image.size()) && copied != previous;
            },
            20000))
            << app.log().toStdString();
        previous = copied;

        // The panel says the text was not checked, and never that something was blurred.
        QString texts;
        waitUntil([&] { return (texts = panelTexts(reader)).contains(QStringLiteral("Text check failed")); }, 3500);
        EXPECT_TRUE(texts.contains(QStringLiteral("Text check failed"))) << texts.toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("Copied"))) << texts.toStdString();
        EXPECT_FALSE(texts.contains(QStringLiteral("blurred"))) << texts.toStdString();
        // Let the panel go before the next shot.
        waitUntil([] { return Desktop::findWindows(QStringLiteral("^Lumaforge Shot$")).isEmpty(); }, 6000);
    }
    // One line in all: the start's, not one more per shot.
    EXPECT_EQ(app.log().count(QStringLiteral("text recognition failed")), 1) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}
