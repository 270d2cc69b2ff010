// The real application started with a text-recognition model that is not there: it says so once
// at start, and each shot is still styled and presented, with the panel saying that its text was
// not checked instead of claiming that nothing needed hiding. With every secret in it readable,
// the shot is not copied by itself: what the user had copied stays on the clipboard. The panel is
// read as a user reads it, from the screen.
#include "support/PanelTexts.h"
#include "support/RunningApp.h"
#include "support/ScreenText.h"
#include "support/Wait.h"
#include "vision/TesseractTextRecognizer.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <gtest/gtest.h>

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

// What the clipboard's owner serves as text.
QByteArray clipboardText()
{
    return Desktop::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-o" }, 3000);
}

}

TEST(RecognitionFailure, TheModelMissingAtStartIsSaidOnceAndNoShotIsCopiedUnchecked)
{
    RunningApp app;
    app.setEnvironment(QStringLiteral("TESSDATA_PREFIX"), QStringLiteral("/nonexistent"));
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    // Found at start, before any shot.
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(kStartLine); }, 5000)) << app.log().toStdString();

    // The user copied a line of text; xclip serves it until someone takes the clipboard.
    const QString copiedText = QDir::homePath() + QStringLiteral("/copied.txt");
    {
        QFile file(copiedText);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("meeting notes, nothing secret");
    }
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral("xclip"), { "-selection", "clipboard", "-i", copiedText }));
    ASSERT_TRUE(waitUntil([] { return clipboardText() == "meeting notes, nothing secret"; }, 5000));

    TesseractTextRecognizer reader(2);
    for (int shot = 0; shot < 2; ++shot) {
        const QImage image = shotWithSecrets(shot == 0 ? QColor(52, 120, 246) : QColor(220, 60, 60));
        dropShot(image, QStringLiteral("Screenshot from 2026-12-07 21-0%1-00.png").arg(shot));
        ASSERT_TRUE(waitUntil([] { return !Desktop::findWindows(QStringLiteral("^Lumaforge Shot$")).isEmpty(); }, 20000))
            << app.log().toStdString();

        // The panel says the text was not checked and nothing was copied, and never that
        // something was blurred.
        QString texts;
        // Read until both show: a read during the panel's reveal can slip.
        const auto saysNotChecked = [&] {
            texts = panelTexts(reader);
            return readsAs(texts, QStringLiteral("Text check failed")) && readsAs(texts, QStringLiteral("Not copied"));
        };
        EXPECT_TRUE(waitUntil(saysNotChecked, 3500)) << texts.toStdString();
        EXPECT_FALSE(texts.contains(QStringLiteral("Copied!"))) << texts.toStdString();
        EXPECT_FALSE(texts.contains(QStringLiteral("blurred"))) << texts.toStdString();
        // What the user copied is still there, and no image is on offer.
        EXPECT_EQ(clipboardText(), "meeting notes, nothing secret");
        EXPECT_TRUE(Desktop::clipboardPng().isNull());
        // Let the panel go before the next shot.
        waitUntil([] { return Desktop::findWindows(QStringLiteral("^Lumaforge Shot$")).isEmpty(); }, 6000);
    }
    // One line in all: the start's, not one more per shot.
    EXPECT_EQ(app.log().count(QStringLiteral("text recognition failed")), 1) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}
