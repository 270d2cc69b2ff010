// The settings window's General and Sharing tabs driven with the mouse, and the look of every tab.
#include "SettingsKit.h"
#include "platform/LoginItem.h"
#include "settings/GeneralTab.h"
#include "settings/SharingTab.h"
#include "settings/ShortcutRecorder.h"
#include "settings/ShortcutsTab.h"
#include "support/Wait.h"
#include "ui/Theme.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

namespace {

using Platforms = QList<SocialPlatform>;

void click(QAbstractButton* button)
{
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

struct PreferencesViewTest : SettingsKit {
    void SetUp() override
    {
        SettingsKit::SetUp();
        view = makeView();
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    GeneralTab* general() const { return static_cast<GeneralTab*>(view->tab(PreferencesView::general)); }
    SharingTab* sharing() const { return static_cast<SharingTab*>(view->tab(PreferencesView::sharing)); }

    std::unique_ptr<PreferencesView> view;
};

TEST_F(PreferencesViewTest, EachSwitchWritesThroughAndRunsItsEffectOncePerChange)
{
    EXPECT_EQ(view->size(), QSize(560, 420));
    const int loginSyncs = loginItem.calls;
    click(general()->launchAtLoginSwitch());
    EXPECT_TRUE(prefs->launchAtLogin());
    EXPECT_TRUE(loginItem.registered);
    click(general()->launchAtLoginSwitch());
    EXPECT_FALSE(loginItem.registered);
    EXPECT_EQ(loginItem.calls, loginSyncs + 2);

    // Instant screenshots: one sync per change (after the one of the start-up).
    ASSERT_TRUE(waitUntil([&] { return screenshotSettings.thumbnailWrites >= 1; }));
    spin(50);
    const int writes = screenshotSettings.thumbnailWrites;
    const bool before = prefs->instantScreenshots();
    click(general()->instantScreenshotsSwitch());
    click(general()->instantScreenshotsSwitch());
    ASSERT_TRUE(waitUntil([&] { return screenshotSettings.thumbnailWrites >= writes + 2; }));
    spin(50);
    EXPECT_EQ(screenshotSettings.thumbnailWrites, writes + 2);
    EXPECT_EQ(prefs->instantScreenshots(), before);

    const bool autoOpen = prefs->autoOpenEditor();
    const bool copy = prefs->copyAfterCapture();
    click(general()->autoOpenEditorSwitch());
    click(general()->copyAfterCaptureSwitch());
    EXPECT_EQ(settings.boolValue("autoOpenEditor"), !autoOpen);
    EXPECT_EQ(settings.boolValue("copyAfterCapture"), !copy);
    EXPECT_EQ(general()->autoOpenEditorSwitch()->isChecked(), !autoOpen);

    // A change made elsewhere moves the switch and runs nothing.
    prefs->setLaunchAtLogin(true);
    EXPECT_TRUE(general()->launchAtLoginSwitch()->isChecked());
    EXPECT_EQ(loginItem.calls, loginSyncs + 2);

    settings.setValue("hasCompletedOnboarding", true);
    click(general()->showOnboardingAgainButton());
    EXPECT_EQ(settings.boolValue("hasCompletedOnboarding"), false);
}

TEST_F(PreferencesViewTest, ALoginItemThatCannotBeWrittenTurnsTheSwitchBackAndSaysWhy)
{
    loginItem.failWith = EACCES;
    view->setCurrentTab(PreferencesView::general);
    click(general()->launchAtLoginSwitch());
    EXPECT_FALSE(general()->launchAtLoginSwitch()->isChecked());
    EXPECT_FALSE(prefs->launchAtLogin());
    EXPECT_FALSE(general()->loginNotice()->isHidden());
    EXPECT_EQ(general()->loginNotice()->text(),
        "Lumaforge cannot start at login: there is no permission to write to that folder");
    loginItem.failWith = 0;
    click(general()->launchAtLoginSwitch());
    EXPECT_TRUE(prefs->launchAtLogin());
    EXPECT_TRUE(general()->loginNotice()->isHidden());
}

TEST(LoginSwitchTest, WritesAndRemovesTheAutostartEntry)
{
    QTemporaryDir dir;
    FakeSettingsStore settings;
    settings.setValue("launchAtLogin", false);
    FakeScreenshotSettings screenshots;
    XdgAutostartLoginItem item(dir.path() + "/autostart", "/usr/bin/lumaforge");
    Preferences prefs(settings, item, screenshots, dir.path() + "/logo.png");
    GeneralTab tab(prefs, settings);
    tab.show();
    click(tab.launchAtLoginSwitch());
    EXPECT_TRUE(QFile::exists(item.filePath()));
    click(tab.launchAtLoginSwitch());
    EXPECT_FALSE(QFile::exists(item.filePath()));

    // An autostart folder that cannot be made (a file stands in its way).
    XdgAutostartLoginItem blocked(dir.path() + "/file/autostart", "/usr/bin/lumaforge");
    QFile file(dir.path() + "/file");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Preferences blockedPrefs(settings, blocked, screenshots, dir.path() + "/logo.png");
    GeneralTab blockedTab(blockedPrefs, settings);
    blockedTab.show();
    click(blockedTab.launchAtLoginSwitch());
    EXPECT_FALSE(blockedTab.launchAtLoginSwitch()->isChecked());
    EXPECT_FALSE(blockedTab.loginNotice()->isHidden());
}

TEST_F(PreferencesViewTest, DraggingTheLastPlatformToTheTopStoresTheNewOrder)
{
    view->setCurrentTab(PreferencesView::sharing);
    ASSERT_EQ(sharing()->rowOrder(), (Platforms { SocialPlatform::x, SocialPlatform::reddit, SocialPlatform::linkedin }));
    QWidget* last = sharing()->row(SocialPlatform::linkedin);
    QWidget* first = sharing()->row(SocialPlatform::x);
    QWidget* list = last->parentWidget();
    const QPoint from = last->geometry().center() - QPoint(last->width() / 4, 0);
    const QPoint to(from.x(), first->geometry().top() + 2);
    QTest::mousePress(list, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 6; ++i)
        QTest::mouseMove(list, from + (to - from) * i / 6);
    QTest::mouseRelease(list, Qt::LeftButton, {}, to);
    spin(20);
    const Platforms expected { SocialPlatform::linkedin, SocialPlatform::x, SocialPlatform::reddit };
    EXPECT_EQ(prefs->socialOrder(), expected);
    EXPECT_EQ(settings.value("socialPlatformOrder").toStringList(), (QStringList { "linkedin", "x", "reddit" }));
    EXPECT_EQ(sharing()->rowOrder(), expected);

    // A press that does not move reorders nothing.
    QWidget* middle = sharing()->row(SocialPlatform::x);
    QTest::mouseClick(middle->parentWidget(), Qt::LeftButton, {}, middle->geometry().center() - QPoint(middle->width() / 4, 0));
    spin(20);
    EXPECT_EQ(prefs->socialOrder(), expected);
}

TEST_F(PreferencesViewTest, SwitchingEveryPlatformOffKeepsTheirRows)
{
    view->setCurrentTab(PreferencesView::sharing);
    for (SocialPlatform platform : allCases<SocialPlatform>) {
        if (sharing()->rowSwitch(platform)->isChecked())
            click(sharing()->rowSwitch(platform));
    }
    EXPECT_TRUE(prefs->enabledSocial().empty());
    EXPECT_TRUE(prefs->orderedEnabledSocial().isEmpty());
    EXPECT_EQ(sharing()->rowOrder().size(), 3);
    for (SocialPlatform platform : allCases<SocialPlatform>)
        EXPECT_FALSE(sharing()->rowSwitch(platform)->isChecked());
    click(sharing()->rowSwitch(SocialPlatform::reddit));
    EXPECT_EQ(prefs->orderedEnabledSocial(), (Platforms { SocialPlatform::reddit }));
}

TEST_F(PreferencesViewTest, WhereHotKeysCannotWorkTheShortcutsTabSaysWhy)
{
    EXPECT_FALSE(view->findChild<QLabel*>("hotkeysUnavailable"));
    PreferencesView wayland({ *prefs, settings, *store, hotkeys.get(), DesktopScreenshotKeys::forDesktop(QString()),
        QStringLiteral("Capture hot keys are unavailable: use the desktop's own screenshot key.") });
    wayland.setCurrentTab(PreferencesView::shortcuts);
    wayland.show();
    auto* notice = wayland.findChild<QLabel*>("hotkeysUnavailable");
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains("own screenshot key"));
}

TEST(SharingMoveTest, IsTheStandardCollectionMove)
{
    const Platforms order { SocialPlatform::x, SocialPlatform::reddit, SocialPlatform::linkedin };
    EXPECT_EQ(SharingTab::moved(order, 2, 0), (Platforms { SocialPlatform::linkedin, SocialPlatform::x, SocialPlatform::reddit }));
    EXPECT_EQ(SharingTab::moved(order, 0, 3), (Platforms { SocialPlatform::reddit, SocialPlatform::linkedin, SocialPlatform::x }));
    EXPECT_EQ(SharingTab::moved(order, 0, 1), order);
    EXPECT_EQ(SharingTab::moved(order, 1, 7), order);
}

// Renders every tab in both schemes, and a recorder while it records, for a person to look at
// (LUMAFORGE_LOOK names the folder); also checks that the dark scheme is dark.
TEST_F(PreferencesViewTest, EveryTabInBothSchemes)
{
    const QString folder = QString::fromLocal8Bit(qgetenv("LUMAFORGE_LOOK"));
    const char* names[] = { "general", "shortcuts", "sharing", "account" };
    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        Theme::setColorScheme(view.get(), scheme);
        for (int tab = 0; tab < 4; ++tab) {
            click(view->tabButtons()[tab]);
            EXPECT_EQ(view->currentTab(), tab);
            const QImage image = view->grab().toImage();
            const int lightness = image.pixelColor(5, image.height() - 5).lightness();
            EXPECT_EQ(scheme == ColorScheme::dark, lightness < 100) << names[tab];
            if (!folder.isEmpty())
                image.save(QStringLiteral("%1/settings-%2-%3.png").arg(folder, names[tab], scheme == ColorScheme::dark ? "dark" : "light"));
        }
    }
    auto* shortcuts = static_cast<ShortcutsTab*>(view->tab(PreferencesView::shortcuts));
    click(view->tabButtons()[PreferencesView::shortcuts]);
    click(shortcuts->recorders().first()->shortcutButton());
    EXPECT_TRUE(shortcuts->recorders().first()->isRecording());
    if (!folder.isEmpty())
        view->grab().save(folder + "/settings-recording.png");
    // Refused: the window capture's keys; the line under the row says so.
    QTest::keyClick(view.get(), Qt::Key_7, Qt::ControlModifier | Qt::ShiftModifier);
    auto* notice = view->findChild<QLabel*>("notice-selection");
    ASSERT_TRUE(notice);
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(notice->text(), "Already used by “Capture a window”");
    spin(20);
    if (!folder.isEmpty())
        view->grab().save(folder + "/settings-refused.png");
    view->hide(); // closing the window ends the recording
    EXPECT_FALSE(shortcuts->recorders().first()->isRecording());
    EXPECT_EQ(held().size(), 3u);
}

}
