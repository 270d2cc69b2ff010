// A preset chosen in the panel's style strip restyles the shot's own document, which keeps its
// crop whatever shot the preset was saved from, and hides the preset's kinds of sensitive text
// along with those hidden now.
#include "notch/NotchTestKit.h"

#include "editor/EditorDocument.h"
#include "model/UuidText.h"
#include "notch/NotchPanel.h"
#include "notch/NotchPanelView.h"
#include "notch/NotchStyleStrip.h"
#include "render/CanvasLayout.h"
#include "support/Wait.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

// Presents the session, rests the pointer on the panel until its style strip shows and clicks the
// strip's last chip (the newest preset) as a person does.
bool clickLastPresetChip(NotchRig& rig, const std::shared_ptr<NotchSession>& session)
{
    rig.controller->present(session);
    NotchPanelView* view = rig.controller->panel()->view();
    if (!waitUntil([&] { return view->isSettled(); }, 3000))
        return false;
    view->handleHover(true);
    if (!waitUntil([&] { return view->isSettled() && view->card()->styleStrip()->isVisible(); }, 3000))
        return false;
    NotchStyleChip* chip = view->card()->styleStrip()->chips().last();
    QTest::mouseClick(chip, Qt::LeftButton, {}, QPoint(12, chip->height() / 2));
    return true;
}

} // namespace

TEST(NotchStyleStrip, APresetChipRestylesTheShotWithoutItsSavedCrop)
{
    NotchRig rig;
    // The styling the application uses: the session's document takes the style and renders.
    rig.controller = std::make_unique<NotchController>(*rig.prefs, *rig.presets, rig.pasteboard, rig.screens,
        NotchStyling::canvas(), rig.files.store(), NotchHandlers {});
    BeautifySettings corner = BeautifySettings::defaults();
    corner.cropRect = QRectF(0.5, 0.5, 0.5, 0.5);
    corner.background = BackgroundPreset::snow;
    rig.presets->add(QStringLiteral("Corner"), corner);

    const QImage raw = solidImage(QSize(400, 300), QColor(20, 90, 160));
    auto session = makeSession(raw, solidImage(QSize(40, 30), Qt::red));
    session->document = std::make_shared<EditorDocument>(
        raw, QStringLiteral("Shot.png"), BeautifySettings::defaults(), DetectionResult {});
    ASSERT_TRUE(clickLastPresetChip(rig, session));
    EXPECT_EQ(rig.controller->currentStyleKey(), uuidString(rig.presets->presets().first().id));
    EXPECT_EQ(session->document->settings().background, BackgroundPreset::snow);
    EXPECT_EQ(session->document->settings().cropRect, QRectF(0, 0, 1, 1));
    // The whole shot is rendered and copied, not the preset's corner of it.
    ASSERT_TRUE(waitUntil([&] { return !rig.controller->thumbnail().isNull() && rig.controller->thumbnail().width() > 40; }));
    const QSize full = canvasLayout(raw, session->document->settings()).canvasSize().toSize() * 2;
    EXPECT_EQ(rig.controller->thumbnail().size(), full);
    rig.controller->panel()->view()->handleHover(false);
}

TEST(NotchStyleStrip, APresetChipHidesItsKindsAndKeepsTheOnesSwitchedOffOff)
{
    NotchRig rig;
    rig.controller = std::make_unique<NotchController>(*rig.prefs, *rig.presets, rig.pasteboard, rig.screens,
        NotchStyling::canvas(), rig.files.store(), NotchHandlers {});
    BeautifySettings saved = BeautifySettings::defaults();
    saved.background = BackgroundPreset::snow;
    saved.redactKinds = { RedactionKind::ip };
    rig.presets->add(QStringLiteral("Addresses hidden"), saved);

    // Found: an e-mail address, a phone number and an IP address; the phone number and the
    // address were switched off for this shot.
    const QRectF email(0.1, 0.1, 0.3, 0.05), phone(0.1, 0.3, 0.3, 0.05), ip(0.1, 0.5, 0.3, 0.05);
    const QImage raw = solidImage(QSize(400, 300), QColor(20, 90, 160));
    BeautifySettings shown = BeautifySettings::defaults();
    shown.redactKinds = { RedactionKind::email };
    auto session = makeSession(raw, solidImage(QSize(40, 30), Qt::red));
    session->document = std::make_shared<EditorDocument>(raw, QStringLiteral("Shot.png"), shown,
        DetectionResult { { RedactionKind::email, { email } }, { RedactionKind::phone, { phone } },
            { RedactionKind::ip, { ip } } });
    ASSERT_TRUE(clickLastPresetChip(rig, session));
    EXPECT_EQ(session->document->settings().background, BackgroundPreset::snow);
    EXPECT_EQ(session->document->settings().redactKinds,
        (std::set<RedactionKind> { RedactionKind::email, RedactionKind::ip }));
    QList<QRectF> hidden = session->document->redactionRects();
    std::sort(hidden.begin(), hidden.end(), [](const QRectF& a, const QRectF& b) { return a.y() < b.y(); });
    EXPECT_EQ(hidden, (QList<QRectF> { email, ip }));
    rig.controller->panel()->view()->handleHover(false);
}
