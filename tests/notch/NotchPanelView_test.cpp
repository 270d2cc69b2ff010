// The panel view: texts and faces that follow the controller, the strip, the pill's detail, hover
// holds and the region the panel takes the pointer in.
#include "notch/NotchTestKit.h"

#include "model/UuidText.h"
#include "notch/NotchIconButton.h"
#include "notch/NotchPanel.h"
#include "notch/NotchPanelView.h"
#include "notch/NotchRedactionPill.h"
#include "notch/NotchShareCircle.h"
#include "notch/NotchStyleStrip.h"
#include "notch/NotchThumbnail.h"
#include "support/SyntheticShots.h"
#include "support/Wait.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {
const RedactionSummary kSummary { { { RedactionKind::email, 1 }, { RedactionKind::apiKey, 2 } } };

// Presents a shot and waits until the card has come to rest.
NotchPanelView* presentAndSettle(NotchRig& rig, std::optional<RedactionSummary> summary = kSummary)
{
    const QImage raw = windowOnDesktop(QSize(1600, 1000), diagonalGradient(QSize(1600, 1000), QColor(30, 90, 200), QColor(200, 60, 150)),
        QRect(200, 150, 1200, 700));
    QImage styled = solidImage(QSize(1800, 1200), QColor(240, 120, 60));
    rig.controller->present(makeSession(raw, styled, QStringLiteral("auto"), summary));
    NotchPanelView* view = rig.controller->panel()->view();
    waitUntil([&] { return rig.controller->phase() == NotchController::Phase::revealed && view->isSettled(); }, 3000);
    return view;
}
}

TEST(NotchPanelViewPieces, ThumbnailSizeAndTopPadding)
{
    EXPECT_EQ(NotchThumbnail::thumbnailSize(QSizeF(0, 0)), QSizeF(176, 108));
    EXPECT_EQ(NotchThumbnail::thumbnailSize(QSizeF(1000, 100)), QSizeF(320, 108));
    EXPECT_EQ(NotchThumbnail::thumbnailSize(QSizeF(100, 1000)), QSizeF(112, 108));
    EXPECT_EQ(NotchThumbnail::thumbnailSize(QSizeF(1600, 1000)), QSizeF(172.8, 108));

    EXPECT_EQ(NotchCard::topPadding(std::nullopt), 20);
    EXPECT_EQ(NotchCard::topPadding(0), 20);
    EXPECT_EQ(NotchCard::topPadding(4), 20);
    EXPECT_EQ(NotchCard::topPadding(37), 49);
}

TEST(NotchPanelViewPieces, RedactionDetailLines)
{
    EXPECT_EQ(redactionDetailLines(kSummary.counts), (QStringList { QStringLiteral("1 email address"), QStringLiteral("2 api keys") }));
    EXPECT_EQ(redactionDetailLines({ { RedactionKind::ip, 1 }, { RedactionKind::card, 0 }, { RedactionKind::phone, -2 } }),
        QStringList { QStringLiteral("1 ip address") });

    NotchRedactionDetail detail;
    std::map<RedactionKind, int> all;
    for (RedactionKind kind : allCases<RedactionKind>)
        all[kind] = 3;
    detail.setCounts(all);
    EXPECT_EQ(detail.shownLines(), (QStringList { QStringLiteral("3 emails"), QStringLiteral("3 phone numbers"),
                                       QStringLiteral("3 card numbers"), QStringLiteral("3 ip addresses") }));
    EXPECT_EQ(detail.moreText(), QStringLiteral("+2 more"));
    all.erase(RedactionKind::money);
    detail.setCounts(all);
    EXPECT_EQ(detail.moreText(), QStringLiteral("+1 more"));
    all.erase(RedactionKind::apiKey);
    detail.setCounts(all);
    EXPECT_EQ(detail.moreText(), QString());
}

TEST(NotchPanelView, HeaderFollowsTheRawStyledSwitch)
{
    NotchRig rig;
    NotchPanelView* view = presentAndSettle(rig);
    NotchCard* card = view->card();
    EXPECT_EQ(card->title(), QStringLiteral("Copied!"));
    EXPECT_EQ(card->statusDetail(), QStringLiteral("Paste anywhere"));
    EXPECT_EQ(card->redactionMessage(), kSummary.message());
    EXPECT_EQ(card->toggleButton()->symbol(), QStringLiteral("wand.and.stars"));
    EXPECT_EQ(card->toggleButton()->symbolColor(), QColor(Qt::white));
    EXPECT_EQ(card->toggleButton()->faceOpacity(), 1.0);
    EXPECT_EQ(card->toggleButton()->toolTip(), QStringLiteral("Copy raw screenshot"));

    card->toggleButton()->click();
    EXPECT_TRUE(rig.controller->showingRaw());
    EXPECT_EQ(card->title(), QStringLiteral("Original"));
    EXPECT_EQ(card->statusDetail(), QStringLiteral("Original screenshot"));
    EXPECT_EQ(card->toggleButton()->symbol(), QStringLiteral("photo"));
    EXPECT_EQ(card->toggleButton()->symbolColor(), Theme::rgb(255, 255, 255, 0.82));
    EXPECT_EQ(card->toggleButton()->faceOpacity(), 0.84);
    EXPECT_EQ(card->toggleButton()->toolTip(), QStringLiteral("Copy styled version"));
    EXPECT_EQ(card->discardButton()->symbolColor(), Theme::rgb(255, 105, 97));
    // The raw shot hides nothing: neither the pill nor the count may say otherwise.
    EXPECT_FALSE(card->showsRedactionRow());
    EXPECT_FALSE(card->redactionPill()->isVisible());
    EXPECT_TRUE(card->redactionMessage().isEmpty());

    card->toggleButton()->click();
    EXPECT_TRUE(card->redactionPill()->isVisible());
    EXPECT_EQ(card->redactionMessage(), kSummary.message());
}

// A shot whose text could not be checked says so where the blur count would stand, in the
// warning colour, and in full even on a narrow card (the detail before it gives way). With every
// secret in it readable, it is not copied by itself: what the user copied stays until they copy
// from the panel.
TEST(NotchPanelView, AFailedTextCheckIsSaidAndLeavesTheClipboardToTheUser)
{
    NotchRig rig;
    const QImage usersOwn = solidImage(QSize(10, 10), Qt::magenta);
    rig.pasteboard.image = usersOwn; // copied by another program: not ours
    const QImage raw = solidImage(QSize(400, 1000), QColor(30, 90, 200)); // the narrowest card
    const QImage styled = solidImage(QSize(600, 1200), QColor(240, 120, 60));
    auto session = makeSession(raw, styled);
    session->textCheckFailed = true;
    rig.controller->present(session);
    NotchPanelView* view = rig.controller->panel()->view();
    ASSERT_TRUE(waitUntil([&] { return rig.controller->phase() == NotchController::Phase::revealed && view->isSettled(); }, 3000));
    NotchCard* card = view->card();
    EXPECT_TRUE(rig.controller->textCheckFailed());
    EXPECT_TRUE(card->showsTextCheckFailure());
    EXPECT_FALSE(card->showsRedactionRow());
    EXPECT_EQ(card->title(), QStringLiteral("Not copied"));
    EXPECT_TRUE(card->statusDetail().isEmpty());
    EXPECT_EQ(card->redactionMessage(), QStringLiteral("Text check failed"));
    EXPECT_TRUE(rig.pasteboard.writes.isEmpty());
    EXPECT_EQ(rig.pasteboard.image, usersOwn);

    // Drawn in the warning colour, reaching as far as the whole words need.
    const QImage drawn = card->grab().toImage();
    const QRectF status = card->statusRect();
    int warm = 0, rightmost = 0;
    for (int y = int(status.top()); y < int(status.bottom()); ++y) {
        for (int x = int(status.left()); x < int(status.right()); ++x) {
            const QColor c = drawn.pixelColor(QPoint(x, y) * drawn.devicePixelRatio());
            if (c.red() > 200 && c.green() > 120 && c.green() < 220 && c.blue() < 120) {
                ++warm;
                rightmost = std::max(rightmost, x);
            }
        }
    }
    EXPECT_GT(warm, 40);
    const QFontMetricsF metrics(Theme::font(12, QFont::Medium));
    EXPECT_GT(rightmost - status.left(), metrics.horizontalAdvance(QStringLiteral("Text check failed")));

    // A restyle is not a copy; discarding leaves the user's clipboard alone; the drag file is
    // written all the same.
    rig.controller->applyStyle(QStringLiteral("other"), BeautifySettings::defaults());
    ASSERT_TRUE(waitUntil([&] { return rig.styling.rendered.size() == 1; }, 2000));
    EXPECT_TRUE(rig.pasteboard.writes.isEmpty());
    EXPECT_EQ(card->title(), QStringLiteral("Not copied"));
    rig.controller->waitForFileWrites();
    EXPECT_GE(rig.files.writes(), 1);

    // The toggle copies what it shows, as the user asks.
    QTest::mouseClick(card->toggleButton(), Qt::LeftButton);
    ASSERT_EQ(rig.pasteboard.writes.size(), 1);
    EXPECT_EQ(rig.pasteboard.writes.last(), raw);
    EXPECT_EQ(card->title(), QStringLiteral("Original"));
    EXPECT_FALSE(card->showsTextCheckFailure());
    EXPECT_TRUE(card->redactionMessage().isEmpty());
    QTest::mouseClick(card->toggleButton(), Qt::LeftButton);
    ASSERT_EQ(rig.pasteboard.writes.size(), 2);
    EXPECT_EQ(card->title(), QStringLiteral("Copied!"));
    EXPECT_EQ(card->redactionMessage(), QStringLiteral("Text check failed")); // still unchecked

    // The next shot, checked, is copied and says nothing of it.
    presentAndSettle(rig);
    EXPECT_FALSE(rig.controller->textCheckFailed());
    EXPECT_FALSE(rig.controller->copyWithheld());
    EXPECT_EQ(rig.pasteboard.writes.size(), 3);
}

// A share circle copies the unchecked shot: the user asked for it.
TEST(NotchPanelView, ASharedUncheckedShotIsCopied)
{
    NotchRig rig;
    auto session = makeSession(solidImage(QSize(800, 500), Qt::blue), solidImage(QSize(900, 600), Qt::yellow));
    session->textCheckFailed = true;
    rig.controller->present(session);
    NotchPanelView* view = rig.controller->panel()->view();
    ASSERT_TRUE(waitUntil([&] { return rig.controller->phase() == NotchController::Phase::revealed && view->isSettled(); }, 3000));
    ASSERT_FALSE(view->shareCircles().isEmpty());
    EXPECT_TRUE(rig.pasteboard.writes.isEmpty());
    QTest::mouseClick(view->shareCircles().first(), Qt::LeftButton);
    ASSERT_EQ(rig.pasteboard.writes.size(), 1);
    EXPECT_EQ(rig.pasteboard.writes.first().pixelColor(0, 0), QColor(Qt::yellow));
}

TEST(NotchPanelView, NoPillWithoutSomethingHiddenAndNoRowWithoutPlatforms)
{
    NotchRig rig;
    rig.prefs->setEnabledSocial({});
    NotchPanelView* view = presentAndSettle(rig, RedactionSummary { { { RedactionKind::email, 0 } } });
    EXPECT_FALSE(view->card()->showsRedactionRow());
    EXPECT_TRUE(view->card()->redactionMessage().isEmpty());
    EXPECT_TRUE(view->shareCircles().isEmpty());
    EXPECT_FALSE(view->shareRow()->isVisible());
    const int heightWithout = view->card()->height();

    NotchPanelView* withPill = presentAndSettle(rig);
    EXPECT_TRUE(withPill->card()->showsRedactionRow());
    EXPECT_GT(withPill->card()->height(), heightWithout);
}

TEST(NotchPanelView, StyleStripChipsFollowSelectionAndDefault)
{
    NotchRig rig;
    NotchPanelView* view = presentAndSettle(rig);
    NotchStyleStrip* strip = view->card()->styleStrip();
    EXPECT_TRUE(strip->showsHint());
    ASSERT_EQ(strip->chips().size(), 1);
    EXPECT_TRUE(strip->chips().first()->isSelected());

    rig.presets->add(QStringLiteral("Ocean"), BeautifySettings::defaults());
    rig.presets->add(QStringLiteral("Dusk"), BeautifySettings::defaults());
    const QString dusk = uuidString(rig.presets->presets().at(1).id);
    rig.prefs->setDefaultPresetID(dusk);
    view = presentAndSettle(rig);
    strip = view->card()->styleStrip();
    ASSERT_EQ(strip->chips().size(), 3);
    EXPECT_FALSE(strip->showsHint());
    NotchStyleChip* duskChip = strip->chips().at(2);
    EXPECT_TRUE(duskChip->star()->isDefault());
    EXPECT_EQ(duskChip->star()->color(), QColor::fromRgbF(1.0f, 0.8f, 0.0f));
    EXPECT_EQ(duskChip->star()->toolTip(), QStringLiteral("Default style for new captures"));
    EXPECT_EQ(strip->chips().at(1)->star()->toolTip(), QStringLiteral("Set as default style"));

    // Pressing a chip moves the selection before its render lands.
    duskChip->click();
    EXPECT_TRUE(duskChip->isSelected());
    EXPECT_FALSE(strip->chips().first()->isSelected());
    // The gold star clears the default: every star is an outline again.
    duskChip->star()->click();
    EXPECT_EQ(rig.prefs->defaultPresetID(), QString());
    for (NotchStyleChip* chip : strip->chips())
        EXPECT_TRUE(!chip->star() || !chip->star()->isDefault());
}

TEST(NotchPanelView, AWheelReachesPresetsBeyondTheStripsEdge)
{
    NotchRig rig;
    for (int i = 0; i < 12; ++i)
        rig.presets->add(QStringLiteral("Preset number %1").arg(i), BeautifySettings::defaults());
    NotchPanelView* view = presentAndSettle(rig);
    view->handleHover(true);
    ASSERT_TRUE(waitUntil([&] { return view->isSettled(); }));
    NotchStyleStrip* strip = view->card()->styleStrip();
    NotchStyleChip* last = strip->chips().last();
    const auto lastRight = [&] { return last->mapTo(strip, QPoint(last->width(), 0)).x(); };
    ASSERT_GT(lastRight(), strip->width());

    // A wheel turned over a chip (vertical notches, as most mice give) scrolls the row sideways;
    // turning back returns it. A touchpad's sideways pixels scroll too.
    const auto turn = [&](QPoint angle, QPoint pixels = {}) {
        const QPointF at(last->width() / 2.0, last->height() / 2.0);
        QWheelEvent wheel(at, last->mapToGlobal(at), pixels, angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(strip->chips().at(1), &wheel);
    };
    for (int i = 0; i < 40 && lastRight() > strip->width(); ++i)
        turn(QPoint(0, -120));
    EXPECT_LE(lastRight(), strip->width());
    const int scrolled = lastRight();
    turn(QPoint(0, 120));
    EXPECT_EQ(lastRight(), scrolled + NotchStyleStrip::kWheelNotchPx);
    turn({}, QPoint(-25, 0));
    EXPECT_EQ(lastRight(), scrolled + NotchStyleStrip::kWheelNotchPx - 25);
}

TEST(NotchPanelView, StatusTextsStayLeftOfTheActionsOnANarrowCard)
{
    NotchRig rig;
    NotchPanelView* view = presentAndSettle(rig, RedactionSummary { { { RedactionKind::email, 1234567 } } });
    NotchCard* card = view->card();
    rig.controller->setContentWidth(600); // the narrowest card a shot gets
    card->relayout();
    const QRectF status = card->statusRect();
    const int toggleLeft = card->toggleButton()->x();
    ASSERT_LT(status.right(), toggleLeft);

    // Nothing the status texts draw reaches the gap before the toggle.
    card->toggleButton()->hide();
    const QImage shot = card->grab().toImage();
    if (!qEnvironmentVariableIsEmpty("LUMAFORGE_SAVE_VIEWS"))
        shot.save(qEnvironmentVariable("LUMAFORGE_SAVE_VIEWS") + QStringLiteral("/narrow-card.png"));
    const QRect gap(int(std::ceil(status.right())) + 1, int(status.top()), toggleLeft - int(std::ceil(status.right())) + 8,
        int(status.height()));
    int brightest = 0;
    for (int y = gap.top(); y <= gap.bottom(); ++y)
        for (int x = gap.left(); x <= gap.right(); ++x)
            brightest = std::max(brightest, qGray(shot.pixel(QPoint(x, y) * shot.devicePixelRatio())));
    EXPECT_LT(brightest, 90);
    card->toggleButton()->show();
}

TEST(NotchPanelView, HoveringTheCardShowsTheStripAndHoldsTheDismiss)
{
    NotchRig rig;
    NotchPanelView* view = presentAndSettle(rig);
    const int restHeight = view->card()->height();
    view->handleHover(true);
    EXPECT_TRUE(view->isHovering());
    EXPECT_FALSE(rig.controller->isDismissPending());
    ASSERT_TRUE(waitUntil([&] { return view->isSettled(); }));
    EXPECT_TRUE(view->card()->styleStrip()->isVisible());
    EXPECT_GT(view->card()->height(), restHeight);

    view->handleHover(false);
    EXPECT_TRUE(rig.controller->isDismissPending());
    ASSERT_TRUE(waitUntil([&] { return view->isSettled(); }));
    EXPECT_FALSE(view->card()->styleStrip()->isVisible());
    EXPECT_EQ(view->card()->height(), restHeight);

    // The share row holds too, without showing the strip.
    view->handleShareRowHover(true);
    EXPECT_FALSE(rig.controller->isDismissPending());
    EXPECT_FALSE(view->isHovering());
    view->handleShareRowHover(false);
    EXPECT_TRUE(rig.controller->isDismissPending());
}

TEST(NotchPanelView, RedactionDetailSurvivesTheTripFromPillToCard)
{
    NotchRig rig;
    NotchPanelView* view = presentAndSettle(rig);
    view->handleRedactionHover(true);
    EXPECT_TRUE(view->isHoveringRedactionSummary());
    EXPECT_FALSE(rig.controller->isDismissPending());
    // Leave the pill and reach the detail card within 0.12 s: it stays open.
    view->handleRedactionHover(false);
    spin(60);
    view->handleRedactionHover(true);
    spin(150);
    EXPECT_TRUE(view->isHoveringRedactionSummary());
    EXPECT_TRUE(view->redactionDetail()->isShown());
    // Leaving both hides it 0.12 s later; leaving the pill does not re-arm the dismiss.
    view->handleRedactionHover(false);
    EXPECT_TRUE(view->isHoveringRedactionSummary());
    EXPECT_FALSE(rig.controller->isDismissPending());
    ASSERT_TRUE(waitUntil([&] { return !view->isHoveringRedactionSummary(); }, 500));
}

TEST(NotchPanelView, TakesThePointerOnlyWhereItDraws)
{
    NotchRig rig;
    NotchPanelView* view = presentAndSettle(rig);
    ASSERT_TRUE(view->isSettled());
    const QRegion region = view->drawnRegion();
    const QRect card = view->card()->geometry();
    EXPECT_TRUE(region.contains(card.center()));
    EXPECT_FALSE(region.contains(QPoint(3, 3)));                          // the panel's margin
    EXPECT_FALSE(region.contains(QPoint(card.left() + 2, card.bottom() - 2))); // outside the rounded corner
    EXPECT_FALSE(region.contains(QPoint(view->width() / 2, view->height() - 10)));
    for (NotchShareCircle* circle : view->shareCircles())
        EXPECT_TRUE(region.contains(circle->mapTo(view, circle->rect().center())));
    EXPECT_EQ(rig.controller->panel()->inputRegion(), region);

    // The detail card joins the region while shown.
    view->handleRedactionHover(true);
    ASSERT_TRUE(waitUntil([&] { return view->isSettled() && view->redactionDetail()->drawnRect().height() > 40; }));
    EXPECT_TRUE(rig.controller->panel()->inputRegion().contains(view->redactionDetail()->geometry().center()));

    // Hidden, it takes nothing.
    rig.controller->dismiss();
    ASSERT_TRUE(waitUntil([&] { return view->drawnRegion().isEmpty(); }, 2000));
}

TEST(NotchPanelView, DiscardButtonClearsAndDismisses)
{
    NotchRig rig;
    NotchPanelView* view = presentAndSettle(rig);
    view->card()->discardButton()->click();
    EXPECT_EQ(rig.pasteboard.clears, 1);
    EXPECT_EQ(rig.controller->phase(), NotchController::Phase::hidden);
}

TEST(NotchPanelView, WithCopyingSwitchedOffTheClipboardKeepsWhatTheUserCopied)
{
    NotchRig rig;
    rig.prefs->setCopyAfterCapture(false);
    const QImage usersOwn = solidImage(QSize(10, 10), Qt::magenta);
    rig.pasteboard.image = usersOwn; // copied by another program: not ours
    NotchPanelView* view = presentAndSettle(rig);
    NotchCard* card = view->card();
    EXPECT_EQ(card->title(), QStringLiteral("Ready"));
    EXPECT_EQ(card->statusDetail(), QStringLiteral("Copying is off in Settings"));
    EXPECT_EQ(card->toggleButton()->toolTip(), QStringLiteral("Show raw screenshot")); // nothing is copied

    // Switching to the raw shot and back, and discarding, each leave the clipboard alone.
    QTest::mouseClick(card->toggleButton(), Qt::LeftButton);
    EXPECT_EQ(card->title(), QStringLiteral("Original"));
    EXPECT_EQ(card->toggleButton()->toolTip(), QStringLiteral("Show styled version"));
    QTest::mouseClick(card->toggleButton(), Qt::LeftButton);
    EXPECT_EQ(card->title(), QStringLiteral("Ready"));
    QTest::mouseClick(card->discardButton(), Qt::LeftButton);
    EXPECT_TRUE(rig.pasteboard.writes.isEmpty());
    EXPECT_EQ(rig.pasteboard.clears, 0);
    EXPECT_EQ(rig.pasteboard.image, usersOwn);
    // The drag-out file is still written: a drag is how the shot leaves the panel now.
    rig.controller->waitForFileWrites();
    EXPECT_GE(rig.files.writes(), 1);

    // Switched on again, the next shot is copied as before.
    rig.prefs->setCopyAfterCapture(true);
    view = presentAndSettle(rig);
    EXPECT_EQ(view->card()->title(), QStringLiteral("Copied!"));
    EXPECT_EQ(rig.pasteboard.writes.size(), 1);
}
