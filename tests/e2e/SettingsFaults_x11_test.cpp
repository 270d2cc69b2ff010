// The real application where settings cannot be kept as they should: a full disk under the
// config folder, a corrupt settings file, a second launch with no session bus. Each time nothing
// the user had is lost and the user is told once.
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "capture/CaptureShortcutStore.h"
#include "model/Preferences.h"
#include "settings/GeneralTab.h"
#include "settings/PreferencesView.h"
#include "support/RunningApp.h"
#include "support/SettingsParts.h"
#include "support/ScratchFileSystem.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

QString settingsPath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/lumaforge/settings.json");
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points XDG_CONFIG_HOME somewhere else while it lives.
struct ConfigHome {
    explicit ConfigHome(const QString& path)
        : m_old(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
    }
    ~ConfigHome() { qputenv("XDG_CONFIG_HOME", m_old); }
    QByteArray m_old;
};

// Where the copy switch sits in the settings window: the same view built here lays out the same.
QPoint copySwitchInSettingsWindow()
{
    SettingsParts parts;
    auto& [dir, settings, login, screenshots, prefs, store] = parts;
    PreferencesView view({ prefs, settings, store, nullptr, DesktopScreenshotKeys::forDesktop(QString()), QString() });
    view.show();
    waitUntil([] { return false; }, 50);
    QAbstractButton* toggle = static_cast<GeneralTab*>(view.tab(PreferencesView::general))->copyAfterCaptureSwitch();
    return toggle->mapTo(&view, toggle->rect().center());
}

QString openSettingsWindow(RunningApp& app)
{
    QStringList main;
    if (!waitUntil([&] { return !(main = Desktop::findWindows("^Lumaforge$")).isEmpty(); }))
        return {};
    xdotool({ "windowfocus", "--sync", main.first() });
    xdotool({ "key", "ctrl+comma" });
    QStringList settings;
    if (!waitUntil([&] { return !(settings = Desktop::findWindows("^Lumaforge Settings$")).isEmpty(); }))
        return {};
    QThread::msleep(300);
    Q_UNUSED(app);
    return settings.first();
}

bool toastShown()
{
    return Desktop::toastFrame().has_value();
}

}

TEST(SettingsFaults, AFullDiskKeepsTheFileAndTheToastSaysSo)
{
    ScratchFileSystem disk(512 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    const QPoint copySwitch = copySwitchInSettingsWindow();
    ConfigHome home(disk.path());
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    const QString window = openSettingsWindow(app);
    ASSERT_FALSE(window.isEmpty()) << app.log().toStdString();
    const QByteArray before = contents(settingsPath());
    ASSERT_TRUE(disk.fill());

    const auto clickSwitch = [&] {
        xdotool({ "mousemove", "--window", window, QString::number(copySwitch.x()), QString::number(copySwitch.y()) });
        xdotool({ "click", "1" });
    };
    clickSwitch();
    EXPECT_TRUE(waitUntil([&] { return app.log().contains("No space left on device"); })) << app.log().toStdString();
    EXPECT_TRUE(waitUntil(toastShown, 3000));
    EXPECT_EQ(contents(settingsPath()), before);

    // Room again: the next change saves both.
    disk.makeRoom();
    spin(1800); // the toast has gone
    clickSwitch();
    EXPECT_TRUE(waitUntil([&] { return contents(settingsPath()) != before; }));
    const QJsonObject saved = QJsonDocument::fromJson(contents(settingsPath())).object();
    EXPECT_EQ(saved.value("copyAfterCapture").toBool(false), true);
    EXPECT_EQ(saved.value("hasCompletedOnboarding").toBool(false), true);
    EXPECT_EQ(app.log().count("cannot write settings"), 1);
    EXPECT_EQ(app.terminate(), 0);
}

TEST(SettingsFaults, ACorruptFileIsKeptAsideToldAndNoAutostartEntryAppears)
{
    QDir().mkpath(QFileInfo(settingsPath()).absolutePath());
    QDir().mkpath(RunningApp::screenshotFolder());
    QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/lumaforge.desktop");
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"launchAtLogin\": false, \"hasCompletedOnboarding\": true, \"watermarkText\": \"ac");
    file.close();
    const int windowsBefore = int(Desktop::findWindows("^Lumaforge$").size());

    RunningApp app;
    ASSERT_TRUE(app.launch());
    ASSERT_TRUE(waitUntil([&] { return app.log().contains("watcher set up"); }, 15000)) << app.log().toStdString();
    EXPECT_TRUE(app.log().contains("kept as")) << app.log().toStdString();
    // The main window, and the notice beside it.
    EXPECT_TRUE(waitUntil([&] { return Desktop::findWindows("^Lumaforge$").size() >= windowsBefore + 2; }))
        << app.log().toStdString();
    EXPECT_FALSE(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/lumaforge.desktop"));
    EXPECT_EQ(QDir(QFileInfo(settingsPath()).absolutePath()).entryList({ "settings.json.corrupt-*" }).size(), 1);
    EXPECT_EQ(app.terminate(), 0);
}

TEST(SettingsFaults, ASecondLaunchWithoutASessionBusIsRefusedAndSaysSo)
{
    RunningApp first;
    ASSERT_TRUE(first.start()) << first.log().toStdString();
    const QByteArray settings = contents(settingsPath());

    RunningApp second;
    ASSERT_TRUE(second.launch());
    // Its notice is its only window; closed as a person would, the launch ends without having started.
    EXPECT_TRUE(second.closeAlreadyRunningNotice()) << second.log().toStdString();

    EXPECT_TRUE(first.isRunning());
    EXPECT_EQ(contents(settingsPath()), settings);

    // Logging out while the notice stands ends the second launch as cleanly as the first.
    RunningApp third;
    ASSERT_TRUE(third.launch());
    const QString thirdPid = QString::number(third.pid());
    ASSERT_TRUE(waitUntil([&] {
        return !Desktop::run("xdotool", { "search", "--onlyvisible", "--pid", thirdPid }).trimmed().isEmpty();
    })) << third.log().toStdString();
    EXPECT_EQ(third.terminate(), 0) << third.log().toStdString();

    EXPECT_EQ(first.terminate(), 0);
}

TEST(SettingsFaults, ASecondLaunchWithASessionBusHandsOverAndLeaves)
{
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), { "--session", "--nofork", "--print-address=1" });
    ASSERT_TRUE(daemon.waitForStarted(3000));
    ASSERT_TRUE(daemon.waitForReadyRead(3000));
    const QByteArray oldBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.readLine().trimmed());
    const auto restore = qScopeGuard([&] {
        qputenv("DBUS_SESSION_BUS_ADDRESS", oldBus);
        daemon.terminate();
        daemon.waitForFinished(3000);
    });

    RunningApp first;
    ASSERT_TRUE(first.start()) << first.log().toStdString();
    // The main window closed, as a tray application runs most of the time.
    QStringList main;
    ASSERT_TRUE(waitUntil([&] { return !(main = Desktop::findWindows("^Lumaforge$")).isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] {
        Desktop::closeWindow(main.first());
        spin(200);
        return Desktop::findWindows("^Lumaforge$").isEmpty();
    }));

    RunningApp second;
    ASSERT_TRUE(second.launch());
    EXPECT_EQ(second.waitForExit(5000), 0) << second.log().toStdString();
    EXPECT_FALSE(second.log().contains("watcher set up"));
    // The first one brought its window back.
    EXPECT_TRUE(waitUntil([&] { return !Desktop::findWindows("^Lumaforge$").isEmpty(); })) << first.log().toStdString();
    EXPECT_EQ(first.terminate(), 0);
}
