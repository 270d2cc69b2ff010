// The document's own scan through the real detector: with a planted recogniser for the failure
// paths, and with Tesseract itself on a drawn mail window.
#include "EditorDocumentTestKit.h"

#include "fakes/FakeTextRecognizer.h"
#include "screens/ScreenshotGenerator.h"
#include "support/LogCapture.h"
#include "support/Wait.h"
#include "vision/SensitiveTextDetector.h"

#include <gtest/gtest.h>

namespace {
SensitiveTextScan scanWith(TextRecognizer& recognizer)
{
    return [&recognizer](const QImage& image, QObject* receiver, std::function<void(DetectionOutcome)> done) {
        runSensitiveTextDetection(image, receiver, std::move(done), recognizer);
    };
}

BeautifySettings hidingEverything()
{
    BeautifySettings s = BeautifySettings::defaults();
    for (RedactionKind kind : allCases<RedactionKind>)
        s.redactKinds.insert(kind);
    return s;
}
}

// A scan that could not run ends the scan (nothing waits for it) but is no clean bill: the
// document says its text was not checked, and a later result takes that back.
TEST(EditorDocumentScan, AFailedRecognitionEndsTheScanAsAFailure)
{
    FakeTextRecognizer recognizer;
    recognizer.failWith(QStringLiteral("no engine for the document"));
    LogCapture quiet; // the detector logs the failure
    EditorDocument doc(flatImage(120, 80), QStringLiteral("Shot.png"), hidingEverything(), std::nullopt,
        scanWith(recognizer));
    int announced = 0;
    QObject::connect(&doc, &EditorDocument::scanFailedChanged, [&] { ++announced; });
    EXPECT_FALSE(doc.scanFailed());
    ASSERT_TRUE(waitUntil([&] { return doc.didScan(); }));
    EXPECT_TRUE(doc.scanFailed());
    EXPECT_EQ(announced, 1);
    EXPECT_TRUE(doc.redactionCounts().empty());
    EXPECT_TRUE(doc.redactionRects().isEmpty());
    EXPECT_EQ(recognizer.calls, 1);

    doc.applyDetections({ { RedactionKind::email, { QRectF(0.1, 0.1, 0.2, 0.05) } } });
    EXPECT_FALSE(doc.scanFailed());
    EXPECT_EQ(doc.redactionRects().size(), 1);

    // Handed a failed outcome, a document starts failed and scans nothing itself.
    EditorDocument handed(flatImage(120, 80), QStringLiteral("Shot.png"), hidingEverything(),
        DetectionOutcome::failure(QStringLiteral("no model")), scanWith(recognizer));
    EXPECT_TRUE(handed.didScan());
    EXPECT_TRUE(handed.scanFailed());
    spin(30);
    EXPECT_EQ(recognizer.calls, 1);
}

TEST(EditorDocumentScan, ADocumentGoneWhileRecognitionRunsIsLeftAlone)
{
    FakeTextRecognizer recognizer;
    recognizer.answerWith({ { QStringLiteral("mail jane@acme.io"), QRectF(0.1, 0.1, 0.5, 0.05), {} } });
    recognizer.hold = true;
    auto doc = std::make_unique<EditorDocument>(flatImage(120, 80), QStringLiteral("Shot.png"), hidingEverything(),
        std::nullopt, scanWith(recognizer));
    doc.reset();
    recognizer.gate.release();
    ASSERT_TRUE(waitUntil([&] { return recognizer.calls == 1; }));
    spin(50);
}

TEST(EditorDocumentScan, FindsTheMailAddressesOfARealShot)
{
    ShotRecipe recipe;
    recipe.layout = ShotLayout::mail;
    recipe.seed = 3;
    const GeneratedShot shot = generateShot(recipe);
    int planted = 0;
    for (const PlantedItem& item : shot.planted)
        planted += item.kind == RedactionKind::email ? 1 : 0;
    ASSERT_GT(planted, 0);

    BeautifySettings s = BeautifySettings::defaults();
    s.redactKinds = { RedactionKind::email };
    EditorDocument doc(shot.image, QStringLiteral("Mail.png"), s, std::nullopt);
    EXPECT_FALSE(doc.didScan()); // construction never waits for recognition
    ASSERT_TRUE(waitUntil([&] { return doc.didScan(); }, 60000));

    ASSERT_TRUE(doc.redactionCounts().contains(RedactionKind::email));
    EXPECT_GE(doc.redactionCounts().at(RedactionKind::email), 1);
    // Only the enabled kind is hidden, and every hidden rectangle lies over a planted address.
    const DetectionScore score = scoreDetections(shot, doc.detected());
    const QList<QRectF> rects = doc.redactionRects();
    EXPECT_EQ(rects, doc.detected().at(RedactionKind::email));
    for (const QRectF& r : rects) {
        const QRectF pixels(r.x() * shot.image.width(), r.y() * shot.image.height(), r.width() * shot.image.width(),
            r.height() * shot.image.height());
        const bool overAddress = std::any_of(shot.planted.begin(), shot.planted.end(),
            [&](const PlantedItem& item) { return item.kind == RedactionKind::email && boxCoversItem(pixels, item.box); });
        EXPECT_TRUE(overAddress) << pixels.x() << "," << pixels.y();
    }
    EXPECT_FALSE(score.found.isEmpty());
}
