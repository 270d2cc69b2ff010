#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "model/RedactionSummary.h"
#include "model/WatermarkConfig.h"
#include "platform/JsonSettingsStore.h"
#include "support/BusyPool.h"
#include "support/LogCapture.h"
#include "support/Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct PreferencesFixture : ::testing::Test {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;

    QString logoPath() const { return dir.path() + QStringLiteral("/app/watermark-logo.png"); }

    std::unique_ptr<Preferences> make()
    {
        auto p = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, logoPath());
        QThreadPool::globalInstance()->waitForDone();
        p->waitForFileWrites();
        return p;
    }

    QImage logo(QColor color) const
    {
        QImage image(8, 4, QImage::Format_ARGB32);
        image.fill(color);
        return image;
    }
};

}

TEST_F(PreferencesFixture, FreshDefaultsAndStartUpSyncs)
{
    auto p = make();
    EXPECT_EQ(p->defaultBackgroundRaw(), "ocean");
    EXPECT_EQ(p->defaultPresetID(), "");
    EXPECT_TRUE(p->copyAfterCapture());
    EXPECT_TRUE(p->autoOpenEditor());
    EXPECT_TRUE(p->launchAtLogin());
    EXPECT_FALSE(p->showWatermarkByDefault());
    EXPECT_TRUE(p->instantScreenshots());
    EXPECT_EQ(p->watermarkText(), "");
    EXPECT_TRUE(p->watermarkLogo().isNull());
    EXPECT_EQ(p->watermarkPosition(), WatermarkPosition::bottomRight);
    EXPECT_EQ(p->socialOrder(), (QList<SocialPlatform> { SocialPlatform::x, SocialPlatform::reddit, SocialPlatform::linkedin }));
    EXPECT_EQ(p->enabledSocial().size(), 3u);
    // Creation registers the login item and asks the screenshot tool to hide its thumbnail.
    EXPECT_TRUE(loginItem.registered);
    EXPECT_EQ(screenshotSettings.lastShowThumbnail, 0);
}

TEST_F(PreferencesFixture, TheStartUpSyncIsDoneBeforeThePreferencesGo)
{
    // A busy shared pool must not leave the sync to run after its objects are gone.
    BusyPool busy;
    auto p = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, logoPath());
    p.reset();
    EXPECT_EQ(screenshotSettings.thumbnailWrites, 1);
}

TEST_F(PreferencesFixture, FailedLoginItemIsLoggedAndSettingKept)
{
    loginItem.failWith = EROFS;
    LogCapture log;
    auto p = make();
    EXPECT_EQ(log.count(QStringLiteral(
                  "Lumaforge: launch-at-login toggle failed: cannot write /autostart/lumaforge.desktop: Read-only file system")),
        1);
    EXPECT_TRUE(p->launchAtLogin());
}

TEST_F(PreferencesFixture, StoredPlatformsLoadForgivingly)
{
    struct Case {
        QVariant order;
        QList<SocialPlatform> expected;
    };
    using SP = SocialPlatform;
    const QList<Case> cases {
        { QStringList { "linkedin", "x" }, { SP::linkedin, SP::x, SP::reddit } },
        { QStringList { "myspace", "reddit" }, { SP::reddit, SP::x, SP::linkedin } },
        { QVariantList { "linkedin", 3, "x" }, { SP::x, SP::reddit, SP::linkedin } },
        { QStringList { "reddit", "x", "reddit" }, { SP::reddit, SP::x, SP::linkedin } }, // no double circle
    };
    for (const Case& c : cases) {
        settings.setValue(QStringLiteral("socialPlatformOrder"), c.order);
        EXPECT_EQ(make()->socialOrder(), c.expected);
    }

    settings.setValue(QStringLiteral("enabledSocialPlatforms"), QStringList {});
    auto p = make();
    EXPECT_TRUE(p->enabledSocial().empty());
    EXPECT_TRUE(p->orderedEnabledSocial().isEmpty());

    settings.setValue(QStringLiteral("enabledSocialPlatforms"), QStringList { "linkedin", "bogus", "x" });
    settings.setValue(QStringLiteral("socialPlatformOrder"), QStringList { "linkedin", "reddit", "x" });
    EXPECT_EQ(make()->orderedEnabledSocial(), (QList<SP> { SP::linkedin, SP::x }));

    settings.setValue(QStringLiteral("enabledSocialPlatforms"), QVariantList { "x", true });
    EXPECT_EQ(make()->enabledSocial().size(), 3u);
}

TEST_F(PreferencesFixture, WrongTypesGiveDefaults)
{
    settings.setValue(QStringLiteral("watermarkPosition"), QStringLiteral("middle"));
    settings.setValue(QStringLiteral("watermarkText"), 42);
    settings.setValue(QStringLiteral("copyAfterCapture"), QStringLiteral("no"));
    settings.setValue(QStringLiteral("defaultBackground"), false);
    auto p = make();
    EXPECT_EQ(p->watermarkPosition(), WatermarkPosition::bottomRight);
    EXPECT_EQ(p->watermarkText(), "");
    EXPECT_TRUE(p->copyAfterCapture());
    EXPECT_EQ(p->defaultBackgroundRaw(), "ocean");
    // Nothing was rewritten just by reading.
    EXPECT_EQ(settings.stringValue(QStringLiteral("watermarkPosition")), QStringLiteral("middle"));
}

TEST_F(PreferencesFixture, AssignmentsAreStored)
{
    auto p = make();
    p->setWatermarkPosition(WatermarkPosition::topLeft);
    p->setSocialOrder({ SocialPlatform::reddit, SocialPlatform::x, SocialPlatform::linkedin });
    p->setEnabledSocial({ SocialPlatform::x });
    p->setCopyAfterCapture(false);
    p->setDefaultPresetID(QStringLiteral("ABC"));
    auto q = make();
    EXPECT_EQ(q->watermarkPosition(), WatermarkPosition::topLeft);
    EXPECT_EQ(q->socialOrder().first(), SocialPlatform::reddit);
    EXPECT_EQ(q->orderedEnabledSocial(), QList<SocialPlatform> { SocialPlatform::x });
    EXPECT_FALSE(q->copyAfterCapture());
    EXPECT_EQ(q->defaultPresetID(), "ABC");
}

TEST_F(PreferencesFixture, WatermarkTextIsDebouncedAndNeverLost)
{
    auto p = make();
    for (const char* text : { "L", "Lu", "Lum", "Luma", "Lumaf" })
        p->setWatermarkText(QString::fromLatin1(text));
    EXPECT_EQ(settings.writes.value(QStringLiteral("watermarkText")), 0);
    spin(200);
    EXPECT_EQ(settings.writes.value(QStringLiteral("watermarkText")), 0);
    ASSERT_TRUE(waitUntil([&] { return settings.writes.value(QStringLiteral("watermarkText")) > 0; }, 1000));
    spin(400);
    EXPECT_EQ(settings.writes.value(QStringLiteral("watermarkText")), 1);
    EXPECT_EQ(settings.stringValue(QStringLiteral("watermarkText")), QStringLiteral("Lumaf"));

    // An edit just before the store goes away (quit) is written anyway.
    p->setWatermarkText(QStringLiteral("Last words"));
    p.reset();
    EXPECT_EQ(settings.stringValue(QStringLiteral("watermarkText")), QStringLiteral("Last words"));
}

TEST_F(PreferencesFixture, LogoFileFollowsEveryAssignment)
{
    auto p = make();
    p->setWatermarkLogo(logo(Qt::red));
    p->setWatermarkLogo(logo(Qt::blue));
    p->waitForFileWrites();
    QImage onDisk(logoPath());
    ASSERT_FALSE(onDisk.isNull());
    EXPECT_EQ(QColor(onDisk.pixel(0, 0)), QColor(Qt::blue));

    // The next start loads it in the background.
    auto q = make();
    ASSERT_TRUE(waitUntil([&] { return !q->watermarkLogo().isNull(); }));
    EXPECT_EQ(QColor(q->watermarkLogo().pixel(0, 0)), QColor(Qt::blue));

    q->setWatermarkLogo(QImage());
    q->waitForFileWrites();
    EXPECT_FALSE(QFile::exists(logoPath()));
    auto r = make();
    spin(100);
    EXPECT_TRUE(r->watermarkLogo().isNull());
}

TEST_F(PreferencesFixture, StartUpLoadNeverOverridesANewerChoice)
{
    {
        auto p = make();
        p->setWatermarkLogo(logo(Qt::red));
        p->waitForFileWrites();
    }
    auto q = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, logoPath());
    // Assigned before the start-up read comes back to the main thread.
    q->setWatermarkLogo(logo(Qt::green));
    spin(200);
    EXPECT_EQ(QColor(q->watermarkLogo().pixel(0, 0)), QColor(Qt::green));
}

TEST_F(PreferencesFixture, WatermarkConfigFromPreferences)
{
    auto p = make();
    p->setWatermarkText(QStringLiteral(" \n\t "));
    WatermarkConfig c = currentWatermarkConfig(*p);
    EXPECT_EQ(c.text, "Lumaforge");
    EXPECT_FALSE(c.isCustom);
    EXPECT_TRUE(c.logo.isNull());

    p->setWatermarkText(QStringLiteral("  acme  "));
    p->setWatermarkPosition(WatermarkPosition::topRight);
    c = currentWatermarkConfig(*p);
    EXPECT_EQ(c.text, "acme");
    EXPECT_TRUE(c.isCustom);
    EXPECT_EQ(c.position, WatermarkPosition::topRight);

    p->setWatermarkText(QString());
    p->setWatermarkLogo(logo(Qt::red));
    c = currentWatermarkConfig(*p);
    EXPECT_EQ(c.text, "");
    EXPECT_TRUE(c.isCustom);
    EXPECT_FALSE(c.logo.isNull());
    p->waitForFileWrites();
}

TEST(RedactionSummary, CountsAndWording)
{
    RedactionSummary s;
    EXPECT_EQ(s.total(), 0);
    EXPECT_EQ(s.message(), "No sensitive info detected");
    s.counts = { { RedactionKind::email, 0 }, { RedactionKind::ip, 0 } };
    EXPECT_EQ(s.message(), "No sensitive info detected");
    s.counts = { { RedactionKind::email, 1 } };
    EXPECT_EQ(s.message(), "1 item blurred");
    s.counts = { { RedactionKind::email, 2 }, { RedactionKind::ip, 1 } };
    EXPECT_EQ(s.total(), 3);
    EXPECT_EQ(s.message(), "3 items blurred");
    EXPECT_EQ(s, (RedactionSummary { { { RedactionKind::ip, 1 }, { RedactionKind::email, 2 } } }));
}

TEST_F(PreferencesFixture, LostSettingsNeverTurnLaunchAtLoginOnByThemselves)
{
    // The user had switched launch at login off (no autostart entry); then the file broke.
    for (const bool registered : { false, true }) {
        SCOPED_TRACE(registered);
        QTemporaryDir config;
        const QString path = config.filePath(QStringLiteral("settings.json"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\"launchAtLogin\": false, \"savedPresets\": ");
        file.close();
        JsonSettingsStore store(path);
        ASSERT_EQ(store.loadProblem().kind, SettingsLoadProblem::Kind::keptAside);
        FakeLoginItem login;
        login.registered = registered;
        Preferences p(store, login, screenshotSettings, logoPath());
        EXPECT_EQ(login.calls, 0); // the entry is neither written nor removed
        EXPECT_EQ(login.registered, registered);
        EXPECT_EQ(p.launchAtLogin(), registered); // the switch shows the entry as it is
        p.waitForFileWrites();
    }
    // A first start with no settings at all registers, as before.
    auto fresh = make();
    EXPECT_TRUE(loginItem.registered);
}

TEST_F(PreferencesFixture, ALogoThatCannotBeSavedIsToldOnceAndKeptInMemory)
{
    // A regular file where the logo's folder should be: no write or removal can succeed.
    QFile blocker(dir.path() + QStringLiteral("/blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Preferences p(settings, loginItem, screenshotSettings, blocker.fileName() + QStringLiteral("/watermark-logo.png"));
    QStringList failures;
    QObject::connect(&p, &Preferences::saveFailed, [&](const QString& reason) { failures.append(reason); });
    LogCapture log;
    p.setWatermarkLogo(logo(Qt::red));
    p.setWatermarkLogo(logo(Qt::blue));
    p.waitForFileWrites();
    ASSERT_TRUE(waitUntil([&] { return !failures.isEmpty(); }));
    spin(50);
    EXPECT_EQ(failures.size(), 1);
    EXPECT_FALSE(failures.first().isEmpty());
    EXPECT_EQ(QColor(p.watermarkLogo().pixel(0, 0)), QColor(Qt::blue));
    EXPECT_GE(log.count(QStringLiteral("Lumaforge: watermark logo write failed")), 1);
}

TEST_F(PreferencesFixture, ALargeLogoIsEncodedAndDecodedOffTheMainThread)
{
    auto p = make();
    QImage large(4000, 3000, QImage::Format_ARGB32);
    large.fill(QColor(20, 140, 90, 200));
    QElapsedTimer timer;
    timer.start();
    p->setWatermarkLogo(large);
    // Encoding a 12-megapixel logo takes far longer than this; the assignment returns at once.
    EXPECT_LT(timer.elapsed(), 100);
    p->waitForFileWrites();
    ASSERT_TRUE(QFile::exists(logoPath()));

    auto q = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, logoPath());
    ASSERT_TRUE(waitUntil([&] { return !q->watermarkLogo().isNull(); }));
    const QColor read = q->watermarkLogo().pixelColor(10, 10);
    EXPECT_NEAR(read.green(), 140, 2); // scaled through premultiplied alpha
    EXPECT_EQ(read.alpha(), 200);
}

// A logo is drawn at most maxLogoSide pixels large: held larger, a 10000-pixel logo would cost
// hundreds of megabytes all session. A logo stored large (by an earlier version) is stored again
// at that size, so later starts need not decode it whole.
TEST_F(PreferencesFixture, LogosAreKeptAtTheLargestSizeTheyAreDrawnAt)
{
    QImage stored(4000, 3000, QImage::Format_ARGB32);
    stored.fill(QColor(200, 40, 40));
    QDir().mkpath(QFileInfo(logoPath()).absolutePath());
    ASSERT_TRUE(stored.save(logoPath()));
    auto p = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, logoPath());
    ASSERT_TRUE(waitUntil([&] { return !p->watermarkLogo().isNull(); }));
    EXPECT_EQ(p->watermarkLogo().size(), QSize(maxLogoSide, maxLogoSide * 3 / 4));
    EXPECT_EQ(p->watermarkLogo().pixelColor(100, 100), QColor(200, 40, 40));
    p->waitForFileWrites();
    EXPECT_EQ(QImage(logoPath()).size(), QSize(maxLogoSide, maxLogoSide * 3 / 4));

    // Chosen large: held as given for a moment, then at the drawn size, in memory and on disk.
    QImage tall(1500, 3000, QImage::Format_ARGB32);
    tall.fill(QColor(20, 40, 200, 128));
    p->setWatermarkLogo(tall);
    p->waitForFileWrites();
    ASSERT_TRUE(waitUntil([&] { return p->watermarkLogo().size() != tall.size(); }));
    EXPECT_EQ(p->watermarkLogo().size(), QSize(maxLogoSide / 2, maxLogoSide));
    EXPECT_EQ(QImage(logoPath()).size(), QSize(maxLogoSide / 2, maxLogoSide));
    // A newer choice is never replaced by the smaller form of an older one.
    p->setWatermarkLogo(tall);
    p->setWatermarkLogo(logo(Qt::green));
    p->waitForFileWrites();
    spin(100);
    EXPECT_EQ(p->watermarkLogo().size(), logo(Qt::green).size());
}

TEST_F(PreferencesFixture, AnUnreadableStoredLogoIsToldOnceAndKeptAside)
{
    QDir().mkpath(QFileInfo(logoPath()).absolutePath());
    const QByteArray damaged = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(200, 'x');
    QFile file(logoPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();

    LogCapture log;
    Preferences p(settings, loginItem, screenshotSettings, logoPath());
    QStringList told;
    QObject::connect(&p, &Preferences::watermarkLogoUnreadable,
        [&](const QString& reason, const QString& keptAs) { told << reason << keptAs; });
    ASSERT_TRUE(waitUntil([&] { return !told.isEmpty(); }));
    EXPECT_FALSE(told[0].isEmpty());
    EXPECT_TRUE(p.watermarkLogo().isNull());
    // Kept, byte for byte, beside where it was.
    QFile kept(told[1]);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << told[1].toStdString();
    EXPECT_EQ(kept.readAll(), damaged);
    EXPECT_TRUE(told[1].startsWith(logoPath() + QStringLiteral(".corrupt-")));
    EXPECT_FALSE(QFile::exists(logoPath()));
    EXPECT_EQ(log.count(QStringLiteral("Lumaforge: the watermark logo")), 1);
    p.waitForFileWrites();

    // The next start has nothing to tell.
    Preferences next(settings, loginItem, screenshotSettings, logoPath());
    int toldAgain = 0;
    QObject::connect(&next, &Preferences::watermarkLogoUnreadable, [&] { ++toldAgain; });
    spin(200);
    EXPECT_EQ(toldAgain, 0);
    next.waitForFileWrites();
}
