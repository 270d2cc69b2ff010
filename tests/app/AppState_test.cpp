#include "AppStateKit.h"
#include "app/AppState.h"
#include "capture/CaptureManager.h"
#include "capture/ScreenshotWatcher.h"
#include "editor/EditorDocument.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "model/UuidText.h"
#include "notch/NotchSession.h"
#include "support/Wait.h"
#include "ui/Toast.h"

#include <QApplication>
#include <QDir>
#include <QClipboard>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct RecordingPresenter : NotchPresenter {
    void present(std::shared_ptr<NotchSession> session) override { sessions.append(session); }
    QList<std::shared_ptr<NotchSession>> sessions;
};

// Recognition under test control: each request waits until the test answers it.
struct ManualScan {
    struct Request {
        QImage image;
        std::function<void(DetectionOutcome)> outcome;
        void done(DetectionResult found) { outcome(std::move(found)); }
        void fail(const QString& why) { outcome(DetectionOutcome::failure(why)); }
    };
    QList<Request> requests;
    AppState::Scan function()
    {
        return [this](const QImage& image, QObject*, std::function<void(DetectionOutcome)> done) {
            requests.append({ image, std::move(done) });
        };
    }
};

QImage shotImage(QColor color = QColor(40, 90, 200))
{
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QString toastText()
{
    return toastPanel() && toastPanel()->isVisible() ? toastPanel()->accessibleName() : QString();
}

struct AppStateFixture : AppStateKit {
    ManualScan scan;
    RecordingPresenter presenter;
    int renders = 0;
    bool failRenders = false;

    void SetUp() override
    {
        makeApp(scan.function(), [this](const EditorDocument&) {
            ++renders;
            return failRenders ? QImage() : filledImage({ 100, 60 }, Qt::white);
        });
        app->setPresenter(&presenter);
        hideToast();
    }
};

}

TEST_F(AppStateFixture, OnlyTheNewestShotIsPresented)
{
    const CapturedShot first = CapturedShot::make(shotImage(Qt::red));
    const CapturedShot second = CapturedShot::make(shotImage(Qt::blue));
    app->handleCapturedShot(first);
    app->handleCapturedShot(second);
    ASSERT_EQ(scan.requests.size(), 2);
    EXPECT_EQ(app->pendingNotchShotID(), second.id);

    // The first shot's recognition reports last: dropped. Order of arrival does not matter.
    scan.requests[1].done({});
    scan.requests[0].done({ { RedactionKind::email, { QRectF(0.1, 0.1, 0.2, 0.05) } } });
    ASSERT_EQ(presenter.sessions.size(), 1);
    EXPECT_EQ(presenter.sessions[0]->rawImage, second.image);
    EXPECT_FALSE(app->pendingNotchShotID());
    EXPECT_EQ(renders, 1);
}

TEST_F(AppStateFixture, DetectionsSwitchHidingOnAndAreSummarised)
{
    const CapturedShot shot = CapturedShot::make(shotImage());
    app->handleCapturedShot(shot);
    scan.requests[0].done({ { RedactionKind::email, { QRectF(0.1, 0.1, 0.2, 0.05), QRectF(0.1, 0.3, 0.2, 0.05) } },
        { RedactionKind::ip, { QRectF(0.5, 0.5, 0.1, 0.05) } } });
    ASSERT_EQ(presenter.sessions.size(), 1);
    const auto& session = *presenter.sessions[0];
    EXPECT_EQ(session.currentStyleKey, "auto");
    EXPECT_EQ(session.document->settings().redactKinds, (std::set { RedactionKind::email, RedactionKind::ip }));
    EXPECT_EQ(session.document->allRedactionRects().size(), 3);
    ASSERT_TRUE(session.redactionSummary);
    EXPECT_EQ(session.redactionSummary->total(), 3);
    EXPECT_EQ(session.renderCache.keys(), QStringList { "auto" });
    EXPECT_EQ(session.styledImage.size(), QSize(100, 60));
    // The document was built with the detections: it runs no recognition of its own.
    EXPECT_EQ(scan.requests.size(), 1);

    // Nothing found: no summary at all, not an empty one.
    app->handleCapturedShot(CapturedShot::make(shotImage()));
    scan.requests[1].done({});
    EXPECT_FALSE(presenter.sessions[1]->redactionSummary);
}

TEST_F(AppStateFixture, DefaultPresetStylesNewShotsUntilDeleted)
{
    BeautifySettings preset = BeautifySettings::defaults();
    preset.background = BackgroundPreset::mint;
    preset.padding = 5;
    preset.watermark = false;
    presets->add(QStringLiteral("Mine"), preset);
    const QString key = uuidString(presets->presets()[0].id);
    prefs->setDefaultPresetID(key);
    prefs->setShowWatermarkByDefault(true);

    auto [settings, styleKey] = app->styleForNewShot(shotImage());
    EXPECT_EQ(styleKey, key);
    EXPECT_EQ(settings, preset); // exactly the preset: the watermark preference is not applied

    prefs->setDefaultPresetID(uuidString(QUuid::createUuid())); // names a preset that is gone
    std::tie(settings, styleKey) = app->styleForNewShot(shotImage(QColor(0, 0, 255)));
    EXPECT_EQ(styleKey, "auto");
    EXPECT_EQ(settings.background, BackgroundPreset::cobalt);
    EXPECT_TRUE(settings.watermark);
}

TEST_F(AppStateFixture, ImportsOpenInTheEditorWithTheDefaultBackground)
{
    bool focused = false;
    app->setFocusMainWindow([&] { focused = true; });
    settings.setValue(QStringLiteral("defaultBackground"), QStringLiteral("nosuchpreset"));
    pasteboard.image = shotImage();
    app->pasteScreenshot();
    ASSERT_TRUE(app->document());
    EXPECT_TRUE(focused);
    EXPECT_EQ(app->document()->settings().background, BackgroundPreset::ocean);
    // The document scans its own image.
    ASSERT_EQ(scan.requests.size(), 1);
    EXPECT_TRUE(presenter.sessions.isEmpty());
}

TEST_F(AppStateFixture, PasteRespectsTextFieldsAndTheOnboarding)
{
    // Nothing on the clipboard.
    app->pasteScreenshot();
    EXPECT_EQ(toastText(), "No image on the clipboard");
    EXPECT_FALSE(app->document());

    pasteboard.image = shotImage();
    app->setOnboardingOnScreen(true);
    app->pasteScreenshot();
    EXPECT_FALSE(app->document());
    app->setOnboardingOnScreen(false);

    // A focused text field or spin box takes the text; no import happens. A read-only field
    // takes nothing, so the image is imported.
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    auto window = std::make_unique<QWidget>();
    auto* field = new QLineEdit(window.get());
    auto* spin = new QSpinBox(window.get());
    auto* readOnly = new QLineEdit(window.get());
    readOnly->setReadOnly(true);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const int readsBefore = pasteboard.reads;
    for (QWidget* target : { static_cast<QWidget*>(field), static_cast<QWidget*>(spin) }) {
        target->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier); // select all, as focusing by Tab does
        app->pasteScreenshot();
    }
    EXPECT_EQ(field->text(), QStringLiteral("42"));
    EXPECT_EQ(spin->value(), 42);
    EXPECT_FALSE(app->document());
    EXPECT_EQ(pasteboard.reads, readsBefore);
    readOnly->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), readOnly);
    app->pasteScreenshot();
    EXPECT_TRUE(readOnly->text().isEmpty());
    EXPECT_TRUE(app->document());
    app->setDocument(nullptr);
    window.reset();
    QApplication::processEvents();

    app->pasteScreenshot();
    EXPECT_TRUE(app->document());
}

TEST_F(AppStateFixture, CopyNeedsADocumentAndReportsTheOutcome)
{
    showToast(QStringLiteral("before"));
    app->copyBeautifiedImage();
    EXPECT_TRUE(pasteboard.writes.isEmpty());
    EXPECT_EQ(toastText(), "before"); // no toast of its own

    app->openShotInEditor(CapturedShot::make(shotImage()));
    app->copyBeautifiedImage();
    ASSERT_EQ(pasteboard.writes.size(), 1);
    EXPECT_EQ(toastText(), "Copied to clipboard");

    EXPECT_TRUE(app->instantCopyBeautified());
    EXPECT_FALSE(app->document());
    EXPECT_EQ(toastText(), "Copied — see you next shot");
}

TEST_F(AppStateFixture, AFileInTheWatchedFolderReachesThePresenter)
{
    app->capture().watcher().start();
    spin(100);
    QImage image = shotImage(QColor(200, 60, 40));
    ASSERT_TRUE(image.save(dir.path() + "/Screenshot from 2026-12-07 10-00-00.png"));
    ASSERT_TRUE(waitUntil([&] { return !scan.requests.isEmpty(); }, 8000));
    scan.requests[0].done({ { RedactionKind::apiKey, { QRectF(0.2, 0.2, 0.5, 0.05) } } });
    ASSERT_EQ(presenter.sessions.size(), 1);
    const auto& session = *presenter.sessions[0];
    EXPECT_EQ(session.rawImage.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_TRUE(session.document->settings().redactKinds.count(RedactionKind::apiKey));
    EXPECT_EQ(session.document->title(), "Screenshot from 2026-12-07 10-00-00.png");
    EXPECT_FALSE(session.styledImage.isNull());
}

TEST_F(AppStateFixture, AFailedFirstRenderShowsTheRawShotAsRawAndCachesNothing)
{
    failRenders = true;
    const CapturedShot shot = CapturedShot::make(shotImage());
    app->handleCapturedShot(shot);
    scan.requests[0].done({});
    ASSERT_EQ(presenter.sessions.size(), 1);
    const auto& session = *presenter.sessions[0];
    EXPECT_EQ(session.styledImage, shot.image);
    EXPECT_TRUE(session.showingRaw);
    // Choosing the style again must render again, not find the raw shot under its key.
    EXPECT_TRUE(session.renderCache.isEmpty());
}

namespace {

// Renders tell their inputs apart: white without anything hidden, black with hidden areas; each
// render is a new image.
struct PreparedShotFixture : AppStateKit {
    ManualScan scan;
    RecordingPresenter presenter;
    QList<qint64> renderKeys;

    void SetUp() override
    {
        makeApp(scan.function(), [this](const EditorDocument& document) {
            QImage image = filledImage({ 90, 50 }, document.allRedactionRects().isEmpty() ? Qt::white : Qt::black);
            renderKeys.append(image.cacheKey());
            return image;
        });
        app->setPresenter(&presenter);
    }
};

}

TEST_F(PreparedShotFixture, NothingFoundPresentsTheRenderMadeWhileRecognising)
{
    const CapturedShot shot = CapturedShot::make(shotImage());
    app->handleCapturedShot(shot);
    ASSERT_TRUE(waitUntil([&] { return renderKeys.size() == 1; }));
    EXPECT_TRUE(presenter.sessions.isEmpty());
    // A kind reported with nothing in it hides nothing either.
    scan.requests[0].done({ { RedactionKind::email, {} } });
    ASSERT_EQ(presenter.sessions.size(), 1);
    const NotchSession& session = *presenter.sessions[0];
    EXPECT_EQ(renderKeys.size(), 1);
    EXPECT_EQ(session.styledImage.cacheKey(), renderKeys[0]);
    EXPECT_EQ(session.styledImage.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_FALSE(session.redactionSummary);
    // The document is the one the detections would have built: scanned, nothing to hide.
    EXPECT_TRUE(session.document->allRedactionRects().isEmpty());
    EXPECT_EQ(session.document->redactionCounts().at(RedactionKind::email), 0);
    EXPECT_EQ(scan.requests.size(), 1);
}

TEST_F(PreparedShotFixture, FoundSecretsAreNeverServedFromTheRenderMadeBeforeThem)
{
    // Once with the automatic style (the kind is switched on by the result), once with a default
    // preset that already hides the kind, so only the rectangles tell the renders apart.
    BeautifySettings hiding = BeautifySettings::defaults();
    hiding.redactKinds = { RedactionKind::email };
    for (const bool withPreset : { false, true }) {
        if (withPreset) {
            presets->add(QStringLiteral("Hides e-mail"), hiding);
            prefs->setDefaultPresetID(uuidString(presets->presets()[0].id));
        }
        const int before = int(renderKeys.size());
        const CapturedShot shot = CapturedShot::make(shotImage());
        app->handleCapturedShot(shot);
        ASSERT_TRUE(waitUntil([&] { return int(renderKeys.size()) == before + 1; }));
        scan.requests.last().done({ { RedactionKind::email, { QRectF(0.1, 0.1, 0.3, 0.1) } } });
        const NotchSession& session = *presenter.sessions.last();
        ASSERT_EQ(int(renderKeys.size()), before + 2) << withPreset;
        EXPECT_EQ(session.styledImage.cacheKey(), renderKeys.last());
        EXPECT_EQ(session.styledImage.pixelColor(5, 5), QColor(Qt::black));
        EXPECT_EQ(session.renderCache.value(session.currentStyleKey).cacheKey(), renderKeys.last()) << withPreset;
        EXPECT_EQ(session.document->allRedactionRects().size(), 1);
    }
}

TEST_F(PreparedShotFixture, OnlyThePendingShotIsPreparedAndAResultBeforeItRendersOnce)
{
    // Two shots in one turn: only the newest is prepared.
    const CapturedShot first = CapturedShot::make(shotImage(Qt::red));
    const CapturedShot second = CapturedShot::make(shotImage(Qt::green));
    app->handleCapturedShot(first);
    app->handleCapturedShot(second);
    ASSERT_TRUE(waitUntil([&] { return renderKeys.size() == 1; }));
    spin(50);
    EXPECT_EQ(renderKeys.size(), 1);
    scan.requests[0].done({}); // superseded
    EXPECT_TRUE(presenter.sessions.isEmpty());
    scan.requests[1].done({});
    ASSERT_EQ(presenter.sessions.size(), 1);
    EXPECT_EQ(presenter.sessions[0]->rawImage, second.image);
    EXPECT_EQ(presenter.sessions[0]->styledImage.cacheKey(), renderKeys[0]);

    // A result that comes before the preparation: rendered once, at presentation, and the
    // preparation that was due does nothing.
    const CapturedShot third = CapturedShot::make(shotImage(Qt::blue));
    app->handleCapturedShot(third);
    scan.requests[2].done({});
    ASSERT_EQ(presenter.sessions.size(), 2);
    EXPECT_EQ(renderKeys.size(), 2);
    spin(50);
    EXPECT_EQ(renderKeys.size(), 2);
}

// A recognition that could not run presents the shot all the same (styled and copied as before),
// marked as not checked, never as a shot with nothing to hide; whether it fails before or after
// the render made while recognising.
TEST_F(PreparedShotFixture, AFailedRecognitionPresentsTheShotMarkedNotChecked)
{
    const CapturedShot shot = CapturedShot::make(shotImage());
    app->handleCapturedShot(shot);
    ASSERT_TRUE(waitUntil([&] { return renderKeys.size() == 1; }));
    scan.requests[0].fail(QStringLiteral("no model"));
    ASSERT_EQ(presenter.sessions.size(), 1);
    const NotchSession& session = *presenter.sessions[0];
    EXPECT_TRUE(session.textCheckFailed);
    EXPECT_FALSE(session.redactionSummary);
    EXPECT_FALSE(session.showingRaw);
    EXPECT_EQ(session.styledImage.cacheKey(), renderKeys[0]);
    EXPECT_TRUE(session.document->didScan());
    EXPECT_TRUE(session.document->scanFailed());
    EXPECT_FALSE(app->pendingNotchShotID());

    // Failing at once, before anything was prepared: the same, with a render of its own.
    app->handleCapturedShot(CapturedShot::make(shotImage(Qt::red)));
    scan.requests[1].fail(QStringLiteral("no model"));
    ASSERT_EQ(presenter.sessions.size(), 2);
    EXPECT_TRUE(presenter.sessions[1]->textCheckFailed);
    EXPECT_TRUE(presenter.sessions[1]->document->scanFailed());
    EXPECT_EQ(presenter.sessions[1]->styledImage.pixelColor(5, 5), QColor(Qt::white));
    spin(30); // the preparation due for it finds it presented and makes nothing
    EXPECT_EQ(scan.requests.size(), 2); // neither document scans by itself

    // A later shot that was checked says nothing of the failure.
    app->handleCapturedShot(CapturedShot::make(shotImage(Qt::green)));
    scan.requests[2].done({});
    EXPECT_FALSE(presenter.sessions[2]->textCheckFailed);
}
