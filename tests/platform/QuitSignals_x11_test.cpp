// Losing the X server ends the process inside Qt with exit(1): no aboutToQuit, no return from
// exec(). The watermark text typed in the last 300 ms and the settings write behind it must
// still reach the disk. The test runs itself again as a child with an X server of its own, which
// the child then kills.
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "model/Preferences.h"
#include "platform/JsonSettingsStore.h"
#include "platform/QuitSignals.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
const char* const kChildVariable = "LUMAFORGE_LOST_DISPLAY_SETTINGS";
}

TEST(LostDisplayChild, TypesAndLosesTheXServer)
{
    const QString path = qEnvironmentVariable(kChildVariable);
    if (path.isEmpty())
        GTEST_SKIP() << "run by LostDisplay.PendingSettingsAreWrittenWhenTheXServerGoesAway";
    auto* store = new JsonSettingsStore(path);
    QuitSignals::addFlush(store, [store] { store->flush(); });
    FakeLoginItem login;
    FakeScreenshotSettings screenshots;
    auto* prefs = new Preferences(*store, login, screenshots, path + QStringLiteral(".logo.png"));
    QuitSignals::install();
    prefs->setWatermarkText(QStringLiteral("typed just before the display went")); // written 300 ms later
    store->setValue(QStringLiteral("copyAfterCapture"), false);
    QTimer::singleShot(0, [] { TestEnvironment::current()->killXvfb(); });
    QApplication::exec();
    ADD_FAILURE() << "the event loop returned; the X server's loss should have ended the process";
}

TEST(LostDisplay, PendingSettingsAreWrittenWhenTheXServerGoesAway)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), path);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--gtest_filter=LostDisplayChild.*") });
    ASSERT_TRUE(child.waitForFinished(30000));
    const QByteArray output = child.readAll();
    // Qt's own way out when the X connection breaks.
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 1) << output.toStdString();
    EXPECT_TRUE(output.contains("X11 connection broke")) << output.toStdString();

    JsonSettingsStore stored(path);
    EXPECT_EQ(stored.stringValue(QStringLiteral("watermarkText")), QStringLiteral("typed just before the display went"));
    EXPECT_EQ(stored.boolValue(QStringLiteral("copyAfterCapture")), false);
}
