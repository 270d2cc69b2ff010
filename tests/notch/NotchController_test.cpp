// The notch controller over fakes: presenting, dismissing, restyling, drag files, sharing.
#include "notch/NotchTestKit.h"

#include "editor/DocumentRender.h"
#include "editor/EditorDocument.h"
#include "image/PngEncoder.h"
#include "model/UuidText.h"
#include "notch/NotchPanel.h"
#include "platform/QtPasteboard.h"
#include "render/AutoBackground.h"
#include "render/CanvasLayout.h"
#include "render/CanvasRenderer.h"
#include "support/LogCapture.h"
#include "support/Wait.h"
#include "vision/SensitiveTextDetector.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {
const QImage kRaw = solidImage(QSize(2000, 1000), Qt::red);
const QImage kStyled = solidImage(QSize(60, 40), Qt::blue);

StylePreset preset(const QString& name, BackgroundPreset background)
{
    StylePreset p { QUuid::createUuid(), name, BeautifySettings::defaults() };
    p.settings.background = background;
    return p;
}

// The fade-out is over and the session is gone.
bool dismissed(const NotchController& c)
{
    return !c.session();
}
}

TEST(NotchGeometry, ContentWidthFollowsTheShotsShape)
{
    EXPECT_EQ(NotchController::contentWidthFor(QSizeF(0, 0)), 630);
    EXPECT_EQ(NotchController::contentWidthFor(QSizeF(1000, 1000)), 600);
    EXPECT_EQ(NotchController::contentWidthFor(QSizeF(2000, 1000)), 662);
    EXPECT_EQ(NotchController::contentWidthFor(QSizeF(4000, 1000)), 790);
    EXPECT_EQ(NotchController::contentWidthFor(QSizeF(100, 0)), 630);
    // Just past a width of 120 at height 116 the card widens to the image plus 430.
    EXPECT_NEAR(NotchController::contentWidthFor(QSizeF(121, 116)), 600, 1e-9);
    EXPECT_NEAR(NotchController::contentWidthFor(QSizeF(360, 116)), 790, 1e-9);

    // The panel hangs from the screen's top edge, centred, 28 wider than the card.
    EXPECT_EQ(NotchController::panelFrame(QRect(0, 0, 1512, 982), 630), QRect(427, 0, 658, 452));
    EXPECT_EQ(NotchController::panelFrame(QRect(1920, 0, 1920, 1080), 600), QRect(1920 + 646, 0, 628, 452));
}

TEST(NotchController, PresentingCopiesPublishesAndRevealsAtTheTopCentre)
{
    NotchRig rig;
    const StylePreset a = preset(QStringLiteral("Ocean"), BackgroundPreset::cobalt);
    rig.presets->add(a.name, a.settings);
    rig.prefs->setDefaultPresetID(QStringLiteral("ABC"));
    rig.prefs->setEnabledSocial({ SocialPlatform::linkedin, SocialPlatform::x });
    const RedactionSummary summary { { { RedactionKind::email, 2 } } };
    NotchController& c = *rig.controller;

    c.present(makeSession(kRaw, kStyled, QStringLiteral("auto"), summary));
    EXPECT_EQ(rig.pasteboard.writes.size(), 1);
    EXPECT_EQ(rig.pasteboard.image, kStyled);
    EXPECT_EQ(c.thumbnail(), kStyled);
    EXPECT_EQ(c.presets().size(), 1);
    EXPECT_EQ(c.defaultPresetID(), QStringLiteral("ABC"));
    EXPECT_EQ(c.currentStyleKey(), QStringLiteral("auto"));
    EXPECT_EQ(c.redactionSummary(), summary);
    EXPECT_EQ(c.socialPlatforms(), (QList<SocialPlatform> { SocialPlatform::x, SocialPlatform::linkedin }));
    EXPECT_EQ(c.contentWidth(), 662);
    ASSERT_TRUE(c.panel());
    EXPECT_EQ(c.panel()->geometry(), QRect(411, 0, 690, 452));
    EXPECT_TRUE(c.panel()->isVisible());
    EXPECT_TRUE(c.isDismissPending());

    // The card springs in on the next turn, not at once.
    EXPECT_EQ(c.phase(), NotchController::Phase::hidden);
    ASSERT_TRUE(waitUntil([&] { return c.phase() == NotchController::Phase::revealed; }, 500));
    ASSERT_TRUE(waitUntil([&] { return c.session()->tempFileURL.has_value(); }));
    EXPECT_EQ(rig.files.colorOf(*c.session()->tempFileURL), QColor(Qt::blue));

    // No screen: the panel keeps the frame it had.
    rig.screens.frame.reset();
    c.present(makeSession(solidImage(QSize(4000, 1000), Qt::red), kStyled));
    EXPECT_EQ(c.contentWidth(), 790);
    EXPECT_EQ(c.panel()->geometry(), QRect(411, 0, 690, 452));
}

TEST(NotchController, DismissFadesOutThenEndsTheSessionButKeepsTheClipboard)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    c.present(makeSession(kRaw, kStyled));
    ASSERT_TRUE(waitUntil([&] { return c.session()->tempFileURL.has_value(); }));
    const QString file = *c.session()->tempFileURL;

    c.scheduleDismiss(0.05);
    ASSERT_TRUE(waitUntil([&] { return c.phase() == NotchController::Phase::hidden; }, 1000));
    EXPECT_TRUE(c.session()); // still fading
    ASSERT_TRUE(waitUntil([&] { return dismissed(c); }, 1000));
    EXPECT_FALSE(c.panel()->isVisible());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(c.redactionSummary());
    EXPECT_EQ(rig.pasteboard.image, kStyled);
    EXPECT_EQ(rig.pasteboard.clears, 0);
}

TEST(NotchController, ShotArrivingDuringTheFadeOutStays)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    c.present(makeSession(kRaw, kStyled));
    ASSERT_TRUE(waitUntil([&] { return c.session()->tempFileURL.has_value(); }));
    const QString firstFile = *c.session()->tempFileURL;
    c.dismiss();
    spin(100);

    const auto second = makeSession(kRaw, solidImage(QSize(60, 40), Qt::yellow));
    c.present(second);
    EXPECT_FALSE(QFile::exists(firstFile));
    spin(NotchController::kFadeOutMs + 200); // past the first fade's end
    EXPECT_EQ(c.session(), second);
    EXPECT_TRUE(c.panel()->isVisible());
    EXPECT_EQ(c.phase(), NotchController::Phase::revealed);
    ASSERT_TRUE(waitUntil([&] { return second->tempFileURL.has_value(); }));
    EXPECT_TRUE(QFile::exists(*second->tempFileURL));
}

TEST(NotchController, RestyleUsesTheCacheAtOnceAndRendersTheRestLater)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    const StylePreset ocean = preset(QStringLiteral("Ocean"), BackgroundPreset::cobalt);
    const QString oceanKey = uuidString(ocean.id);
    auto session = makeSession(kRaw, kStyled);
    c.present(session);

    c.applyStyle(oceanKey, ocean.settings);
    EXPECT_EQ(c.currentStyleKey(), oceanKey); // the chip moves first
    EXPECT_EQ(c.thumbnail(), kStyled);        // the image follows the render
    EXPECT_EQ(rig.styling.applied.size(), 1);
    EXPECT_TRUE(rig.styling.rendered.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !rig.styling.rendered.isEmpty(); }));
    EXPECT_EQ(c.thumbnail().pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(rig.pasteboard.image.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_TRUE(session->renderCache.contains(oceanKey));

    // Back to the cached automatic style: no render, adopted at once.
    c.applyStyle(QStringLiteral("auto"), BeautifySettings::defaults());
    EXPECT_EQ(c.thumbnail(), kStyled);
    EXPECT_EQ(rig.pasteboard.image, kStyled);
    spin(50);
    EXPECT_EQ(rig.styling.rendered.size(), 1);
}

TEST(NotchController, PresetThenAutoBeforeTheRenderShowsOnlyTheAutomaticStyle)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    const StylePreset ocean = preset(QStringLiteral("Ocean"), BackgroundPreset::cobalt);
    auto session = makeSession(kRaw, kStyled);
    c.present(session);
    const int copiesBefore = rig.pasteboard.writes.size();

    c.applyStyle(uuidString(ocean.id), ocean.settings);
    c.applyAutoStyle();
    spin(100);
    EXPECT_TRUE(rig.styling.rendered.isEmpty()); // the preset's render stopped at the key check
    EXPECT_EQ(c.currentStyleKey(), QStringLiteral("auto"));
    EXPECT_EQ(c.thumbnail(), kStyled);
    EXPECT_EQ(rig.pasteboard.writes.size(), copiesBefore + 1);
    EXPECT_EQ(rig.pasteboard.image, kStyled);
    EXPECT_FALSE(session->renderCache.contains(uuidString(ocean.id)));

    // A shot first styled with a preset renders "Auto" on demand, with the chosen background and
    // the watermark preference.
    rig.prefs->setShowWatermarkByDefault(true);
    c.present(makeSession(kRaw, kStyled, uuidString(ocean.id)));
    c.applyAutoStyle();
    ASSERT_TRUE(waitUntil([&] { return rig.styling.rendered.size() == 1; }));
    EXPECT_EQ(rig.styling.rendered.first(), chooseAutoBackground(kRaw));
    EXPECT_TRUE(rig.styling.applied.last().watermark);
}

TEST(NotchController, FailedRenderIsNotCachedAndTheSelectionGoesBack)
{
    NotchRig rig;
    LogCapture log;
    NotchController& c = *rig.controller;
    const StylePreset ocean = preset(QStringLiteral("Ocean"), BackgroundPreset::cobalt);
    auto session = makeSession(kRaw, kStyled);
    c.present(session);

    rig.styling.fail = true;
    c.applyStyle(uuidString(ocean.id), ocean.settings);
    ASSERT_TRUE(waitUntil([&] { return rig.styling.rendered.size() == 1; }));
    EXPECT_FALSE(session->renderCache.contains(uuidString(ocean.id)));
    EXPECT_EQ(c.currentStyleKey(), QStringLiteral("auto"));
    EXPECT_EQ(c.thumbnail(), kStyled);
    EXPECT_EQ(log.count(QStringLiteral("render failed")), 1);

    // The next press tries again, and this time it works.
    rig.styling.fail = false;
    c.applyStyle(uuidString(ocean.id), ocean.settings);
    ASSERT_TRUE(waitUntil([&] { return rig.styling.rendered.size() == 2; }));
    EXPECT_EQ(c.currentStyleKey(), uuidString(ocean.id));
    EXPECT_EQ(c.thumbnail().pixelColor(0, 0), QColor(Qt::green));
}

TEST(NotchController, TheHeaderSaysRawWhenNoStyledRenderIsShown)
{
    NotchRig rig;
    LogCapture log;
    NotchController& c = *rig.controller;
    // The pipeline's first render failed: the raw shot is shown, nothing cached.
    auto session = makeSession(kRaw, kRaw);
    session->renderCache.clear();
    session->showingRaw = true;
    c.present(session);
    EXPECT_TRUE(c.showingRaw());
    EXPECT_EQ(c.thumbnail(), kRaw);

    // "Styled" asks for a render; while it fails the header stays on the raw shot.
    rig.styling.fail = true;
    c.toggleRaw();
    ASSERT_TRUE(waitUntil([&] { return rig.styling.rendered.size() == 1; }));
    EXPECT_TRUE(c.showingRaw());
    EXPECT_EQ(c.thumbnail(), kRaw);
    rig.styling.fail = false;
    c.toggleRaw();
    ASSERT_TRUE(waitUntil([&] { return rig.styling.rendered.size() == 2; }));
    EXPECT_FALSE(c.showingRaw());
    EXPECT_EQ(c.thumbnail().pixelColor(0, 0), QColor(Qt::green));
    EXPECT_TRUE(session->renderCache.contains(QStringLiteral("auto")));

    // Back to raw, then a restyle that fails: the raw shot is still what is shown.
    c.toggleRaw();
    EXPECT_TRUE(c.showingRaw());
    const StylePreset ocean = preset(QStringLiteral("Ocean"), BackgroundPreset::cobalt);
    rig.styling.fail = true;
    c.applyStyle(uuidString(ocean.id), ocean.settings);
    ASSERT_TRUE(waitUntil([&] { return rig.styling.rendered.size() == 3; }));
    EXPECT_TRUE(c.showingRaw());
    EXPECT_EQ(c.thumbnail(), kRaw);
    EXPECT_EQ(rig.pasteboard.image, kRaw);
}

TEST(NotchController, ToggleDefaultAndActionsWithoutASession)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    // Nothing to act on: nothing happens.
    c.toggleRaw();
    c.applyAutoStyle();
    c.openInEditor();
    c.shareShownImage(SocialPlatform::x);
    EXPECT_TRUE(rig.pasteboard.writes.isEmpty());
    EXPECT_EQ(rig.openedCount, 0);
    EXPECT_TRUE(rig.openedURLs.isEmpty());
    delete c.dragItemProvider();

    c.present(makeSession(kRaw, kStyled));
    c.toggleRaw();
    EXPECT_TRUE(c.showingRaw());
    EXPECT_EQ(c.thumbnail(), kRaw);
    EXPECT_EQ(rig.pasteboard.image, kRaw);
    c.toggleRaw();
    EXPECT_EQ(rig.pasteboard.image, kStyled);

    // The star: set, then clear by pressing it again.
    const QUuid id = QUuid::createUuid();
    c.setDefaultPreset(id);
    EXPECT_EQ(rig.prefs->defaultPresetID(), uuidString(id));
    EXPECT_EQ(c.defaultPresetID(), uuidString(id));
    c.setDefaultPreset(id);
    EXPECT_EQ(rig.prefs->defaultPresetID(), QString());
    EXPECT_EQ(c.defaultPresetID(), QString());
}

TEST(NotchController, DiscardClearsTheClipboardOnlyWhileItHoldsThePanelsCopy)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    c.present(makeSession(kRaw, kStyled));
    c.discard();
    EXPECT_EQ(rig.pasteboard.clears, 1);
    EXPECT_TRUE(rig.pasteboard.image.isNull());

    // The user copied something else since: it stays.
    c.present(makeSession(kRaw, kStyled));
    rig.pasteboard.owned = false;
    rig.pasteboard.image = solidImage(QSize(5, 5), Qt::magenta);
    c.discard();
    EXPECT_EQ(rig.pasteboard.clears, 1);
    EXPECT_EQ(rig.pasteboard.image.pixelColor(0, 0), QColor(Qt::magenta));
    ASSERT_TRUE(waitUntil([&] { return dismissed(c); }, 1000));

    // Copied since in this application (the editor's Copy): ours, but not the panel's copy.
    c.present(makeSession(kRaw, kStyled));
    rig.pasteboard.writeImage(solidImage(QSize(5, 5), Qt::cyan));
    c.discard();
    EXPECT_EQ(rig.pasteboard.clears, 1);
    EXPECT_EQ(rig.pasteboard.image.pixelColor(0, 0), QColor(Qt::cyan));
    ASSERT_TRUE(waitUntil([&] { return dismissed(c); }, 1000));

    // With copying off the panel copies nothing: this application's earlier copy stays.
    rig.pasteboard.writeImage(solidImage(QSize(5, 5), Qt::yellow));
    rig.prefs->setCopyAfterCapture(false);
    const int clears = rig.pasteboard.clears;
    c.present(makeSession(kRaw, kStyled));
    c.discard();
    EXPECT_EQ(rig.pasteboard.clears, clears);
    EXPECT_EQ(rig.pasteboard.image.pixelColor(0, 0), QColor(Qt::yellow));
}

TEST(NotchController, SharingCopiesTheShownImageOpensTheComposePageAndDismisses)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    c.present(makeSession(kRaw, kStyled));
    c.toggleRaw();
    c.shareShownImage(SocialPlatform::reddit);
    EXPECT_EQ(rig.pasteboard.image, kRaw);
    EXPECT_EQ(rig.openedURLs, QList<QUrl> { shareURL(SocialPlatform::reddit) });
    EXPECT_EQ(rig.toasts, QStringList { QStringLiteral("Screenshot copied — press Ctrl+V to paste in Reddit") });
    EXPECT_EQ(c.phase(), NotchController::Phase::hidden);

    // No browser to open the page: the shot is still copied, and the user hears the page did not open.
    LogCapture log;
    rig.browserOpens = false;
    rig.toasts.clear();
    c.present(makeSession(kRaw, kStyled));
    c.shareShownImage(SocialPlatform::reddit);
    EXPECT_EQ(rig.pasteboard.image, kStyled);
    EXPECT_TRUE(rig.toasts.isEmpty());
    EXPECT_EQ(rig.failureToasts, QStringList { QStringLiteral("Screenshot copied, but Reddit could not be opened: no web browser answered") });
    EXPECT_EQ(log.count(QStringLiteral("sharing failed")), 1);
}

TEST(NotchController, OpenInEditorHandsOverTheDocumentAndDismisses)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    auto session = makeSession(kRaw, kStyled);
    c.present(session);
    c.openInEditor();
    EXPECT_EQ(rig.openedCount, 1);
    EXPECT_EQ(rig.opened.first(), session->document);
    EXPECT_EQ(c.phase(), NotchController::Phase::hidden);
}

TEST(NotchController, DragFilesAreWrittenInOrderAndStaleOnesRemoved)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    auto session = makeSession(kRaw, kStyled);
    // The presentation's write is slow; the toggle's is quick. One writer keeps them in order,
    // so the file ends with the raw image the panel shows.
    rig.files.slowWrite = 1;
    c.present(session);
    c.toggleRaw();
    c.waitForFileWrites();
    spin(50);
    ASSERT_TRUE(session->tempFileURL);
    EXPECT_EQ(rig.files.colorOf(*session->tempFileURL), QColor(Qt::red));
    EXPECT_EQ(rig.files.files().size(), 1); // the first file was superseded and removed

    // A write that finishes after its shot was replaced deletes its own file.
    rig.files.slowWrite = rig.files.writes() + 1;
    c.toggleRaw();
    const auto next = makeSession(kRaw, solidImage(QSize(60, 40), Qt::yellow));
    c.present(next);
    c.waitForFileWrites();
    ASSERT_TRUE(waitUntil([&] { return next->tempFileURL.has_value() && rig.files.files().size() == 1; }));
    EXPECT_EQ(rig.files.colorOf(*next->tempFileURL), QColor(Qt::yellow));
}

TEST(NotchController, FailedWriteLeavesNoStaleFileAndTheDragWritesAgain)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    auto session = makeSession(kRaw, kStyled);
    c.present(session);
    c.waitForFileWrites();
    ASSERT_TRUE(waitUntil([&] { return session->tempFileURL.has_value(); }));

    rig.files.failWrites = true;
    c.toggleRaw();
    c.waitForFileWrites();
    ASSERT_TRUE(waitUntil([&] { return !session->tempFileURL.has_value(); }));
    EXPECT_TRUE(rig.files.files().isEmpty()); // the old styled file is not passed off as the raw one
    EXPECT_TRUE(rig.failureToasts.isEmpty()); // nobody asked for the file yet

    // A drag that cannot have its file carries nothing, and says so once, as a failure.
    std::unique_ptr<QMimeData> empty(c.dragItemProvider());
    EXPECT_FALSE(empty->hasUrls());
    EXPECT_EQ(rig.failureToasts.size(), 1);
    EXPECT_TRUE(rig.toasts.isEmpty());

    rig.files.failWrites = false;
    std::unique_ptr<QMimeData> item(c.dragItemProvider());
    ASSERT_EQ(item->urls().size(), 1);
    EXPECT_EQ(rig.files.colorOf(item->urls().first().toLocalFile()), QColor(Qt::red));
    EXPECT_EQ(rig.failureToasts.size(), 1);
}

TEST(NotchController, DragStartedBeforeAnyWriteWritesSynchronously)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    rig.files.slowWrite = 1;
    auto session = makeSession(kRaw, kStyled);
    c.present(session);
    std::unique_ptr<QMimeData> item(c.dragItemProvider());
    ASSERT_EQ(item->urls().size(), 1);
    const QString dragged = item->urls().first().toLocalFile();
    EXPECT_EQ(rig.files.colorOf(dragged), QColor(Qt::blue));
    c.waitForFileWrites();
    spin(50);
    // The background write landed later as a second file: one of the two is kept, not both.
    EXPECT_EQ(rig.files.files().size(), 1);
    EXPECT_TRUE(QFile::exists(*session->tempFileURL));
}

TEST(NotchController, ARunningDragHoldsTheDismissAndTheFile)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    auto session = makeSession(kRaw, kStyled);
    c.present(session);
    c.dragStarted();
    std::unique_ptr<QMimeData> item(c.dragItemProvider());
    const QString dragged = item->urls().first().toLocalFile();
    EXPECT_FALSE(c.isDismissPending());

    // The dismissal falls due during the drag: it waits.
    c.scheduleDismiss(0.02);
    spin(150);
    EXPECT_EQ(c.phase(), NotchController::Phase::revealed);
    EXPECT_TRUE(QFile::exists(dragged));

    // A new shot replaces this one mid-drag: the dragged file stays until the drop.
    c.present(makeSession(kRaw, kStyled));
    c.waitForFileWrites();
    spin(50);
    EXPECT_TRUE(QFile::exists(dragged));

    // The drop target reads the file after the drop: it goes a while later.
    c.setDroppedFileGraceMs(100);
    c.dragEnded();
    EXPECT_TRUE(QFile::exists(dragged));
    EXPECT_TRUE(c.isDismissPending()); // re-armed for 4 s
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(dragged); }));
}

TEST(NotchController, HoverHoldKeepsThePanelUntilThePointerLeaves)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    c.present(makeSession(kRaw, kStyled));
    c.scheduleDismiss(0.05);
    c.cancelDismiss(); // the pointer rests on the card
    spin(200);
    EXPECT_EQ(c.phase(), NotchController::Phase::revealed);

    QElapsedTimer left;
    left.start();
    c.scheduleDismiss(0.1); // the pointer left
    ASSERT_TRUE(waitUntil([&] { return c.phase() == NotchController::Phase::hidden; }, 1000));
    EXPECT_GE(left.elapsed(), 95);
}

// While the pointer rests on the panel nothing it clicks may arm the dismissal: only letting go
// does.
TEST(NotchController, WhileHeldToggleAndRestyleDoNotArmTheDismiss)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    c.present(makeSession(kRaw, kStyled));
    EXPECT_TRUE(c.isDismissPending());
    c.holdDismiss(true);
    EXPECT_FALSE(c.isDismissPending());
    c.toggleRaw();
    EXPECT_TRUE(c.showingRaw());
    c.applyAutoStyle();
    c.setDefaultPreset(QUuid::createUuid());
    EXPECT_FALSE(c.isDismissPending());
    c.holdDismiss(false);
    EXPECT_TRUE(c.isDismissPending());

    // A new shot starts unheld, whatever the last view reported.
    c.holdDismiss(true);
    c.present(makeSession(kRaw, kStyled));
    EXPECT_FALSE(c.isDismissHeld());
    EXPECT_TRUE(c.isDismissPending());
}

TEST(NotchController, CanvasStylingRestylesTheShotsOwnDocument)
{
    const QImage raw = solidImage(QSize(400, 250), Qt::white);
    auto session = makeSession(raw, kStyled);
    session->document = std::make_shared<EditorDocument>(raw, QStringLiteral("Shot"), BeautifySettings::defaults(),
        DetectionResult { { RedactionKind::email, { QRectF(0.1, 0.1, 0.2, 0.05) } } });
    const NotchStyling styling = NotchStyling::canvas();

    BeautifySettings noir = BeautifySettings::defaults();
    noir.background = BackgroundPreset::noir;
    noir.redactKinds = { RedactionKind::email };
    styling.applySettings(*session, noir);
    // The editor continues with the last restyle, including the redactions it enables.
    EXPECT_EQ(session->document->settings(), noir);
    EXPECT_EQ(session->document->allRedactionRects().size(), 1);

    const QImage rendered = styling.render(*session, noir);
    ASSERT_FALSE(rendered.isNull());
    EXPECT_GT(rendered.width(), raw.width()); // padded, at the render scale
    EXPECT_FALSE(rendered.hasAlphaChannel());
    // A session without a document has nothing to render from.
    EXPECT_TRUE(styling.render(*makeSession(raw, kStyled), noir).isNull());
}

namespace {
// Black and white columns two pixels wide: detail that stays sharp unless something hides it.
QImage shotWithStripes(const QSize& size, const QRectF& secret)
{
    QImage image = solidImage(size, Qt::white);
    const QRect area(int(secret.x() * size.width()), int(secret.y() * size.height()), int(secret.width() * size.width()),
        int(secret.height() * size.height()));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            image.setPixelColor(x, y, (x / 2) % 2 ? Qt::black : Qt::white);
    }
    return image;
}

// The share of neighbouring pixel pairs inside `norm` (fractions of the shown screenshot) that
// differ sharply: high for readable stripes, near zero once they are blurred.
double sharpShare(const QImage& styled, const BeautifySettings& settings, const QSize& rawSize, const QRectF& norm)
{
    const CanvasLayout layout = canvasLayout(QSizeF(rawSize), settings);
    const QRectF shot = imageRectNorm(layout, settings);
    const QRectF area(styled.width() * (shot.x() + norm.x() * shot.width()),
        styled.height() * (shot.y() + norm.y() * shot.height()), styled.width() * norm.width() * shot.width(),
        styled.height() * norm.height() * shot.height());
    const QRect inner = area.adjusted(area.width() * 0.1, area.height() * 0.2, -area.width() * 0.1, -area.height() * 0.2)
                            .toRect();
    int sharp = 0;
    int pairs = 0;
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        for (int x = inner.left(); x < inner.right(); ++x) {
            ++pairs;
            if (std::abs(qGray(styled.pixel(x, y)) - qGray(styled.pixel(x + 1, y))) > 96)
                ++sharp;
        }
    }
    return pairs ? double(sharp) / pairs : 1.0;
}
}

TEST(NotchController, RestylingWithAPresetOrAutoKeepsScannedSecretsHiddenOnTheClipboard)
{
    NotchRig rig;
    QtPasteboard clipboard(QGuiApplication::clipboard(), PngEncoder::encode);
    NotchController c(*rig.prefs, *rig.presets, clipboard, rig.screens, NotchStyling::canvas(), rig.files.store());

    const QSize rawSize(800, 500);
    const QRectF secret(0.2, 0.4, 0.4, 0.1);
    const QImage raw = shotWithStripes(rawSize, secret);
    const DetectionResult detections { { RedactionKind::email, { secret } } };
    auto document = std::make_shared<EditorDocument>(raw, QStringLiteral("Shot"),
        withDetectedKinds(BeautifySettings::defaults(), detections), detections);
    auto session = makeSession(raw, renderDocumentImage(*document));
    session->document = document;
    session->redactionSummary = RedactionSummary { { { RedactionKind::email, 1 } } };

    const auto clipboardImage = [&] { return QImage::fromData(clipboard.writtenPng(), "PNG"); };
    c.present(session);
    ASSERT_LT(sharpShare(clipboardImage(), document->settings(), rawSize, secret), 0.02);
    // The stripes are readable when nothing hides them: the measure can tell.
    BeautifySettings bare = BeautifySettings::defaults();
    ASSERT_GT(sharpShare(renderCanvasImage(raw, bare, {}, {}, WatermarkConfig {}), bare, rawSize, secret), 0.15);

    // A preset saved without any kinds switched on.
    BeautifySettings noir = BeautifySettings::defaults();
    noir.background = BackgroundPreset::noir;
    noir.padding = 40;
    rig.presets->add(QStringLiteral("Plain"), noir);
    const QString key = uuidString(rig.presets->presets().first().id);
    c.applyStyle(key, noir);
    ASSERT_TRUE(waitUntil([&] { return session->renderCache.contains(key); }));
    EXPECT_EQ(document->settings().redactKinds, std::set<RedactionKind> { RedactionKind::email });
    EXPECT_LT(sharpShare(clipboardImage(), document->settings(), rawSize, secret), 0.02);
    EXPECT_EQ(c.redactionSummary(), session->redactionSummary);

    c.applyAutoStyle();
    ASSERT_TRUE(waitUntil([&] { return session->renderCache.contains(QStringLiteral("auto")); }));
    EXPECT_EQ(document->settings().redactKinds, std::set<RedactionKind> { RedactionKind::email });
    EXPECT_LT(sharpShare(clipboardImage(), document->settings(), rawSize, secret), 0.02);
    c.waitForFileWrites();
}

// The clipboard and the drag-out file serve the very same bytes: the shown image is encoded once
// per change, on presenting and on restyling alike.
TEST(NotchController, OneEncodeServesTheClipboardAndTheDragFile)
{
    NotchRig rig;
    NotchController& c = *rig.controller;
    c.present(makeSession(kRaw, kStyled));
    ASSERT_TRUE(waitUntil([&] { return c.session()->tempFileURL.has_value() && rig.files.writes() == 1; }));
    ASSERT_EQ(rig.pasteboard.encodedWrites.size(), 1);
    QByteArray offered = rig.pasteboard.encodedWrites.last().png();
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(rig.files.lastPng().constData(), offered.constData()); // shared, not re-encoded
    EXPECT_EQ(QImage::fromData(offered, "PNG").pixelColor(0, 0), QColor(Qt::blue));

    c.toggleRaw();
    ASSERT_TRUE(waitUntil([&] { return rig.files.writes() == 2; }));
    ASSERT_EQ(rig.pasteboard.encodedWrites.size(), 2);
    offered = rig.pasteboard.encodedWrites.last().png();
    EXPECT_EQ(rig.files.lastPng().constData(), offered.constData());
    EXPECT_EQ(QImage::fromData(offered, "PNG").size(), kRaw.size());
}
