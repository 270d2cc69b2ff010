// Logging out sends SIGTERM; a terminal sends SIGINT or SIGHUP. Each must end the event loop the
// ordinary way, so what waits for the quit (the debounced watermark text) is written.
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "platform/QuitSignals.h"
#include "support/LogCapture.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>

TEST(QuitSignals, EachSignalQuitsTheLoopAndPendingTextIsWritten)
{
    QTemporaryDir dir;
    FakeSettingsStore store;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;
    Preferences prefs(store, loginItem, screenshotSettings, dir.filePath(QStringLiteral("logo.png")));
    LogCapture log;

    for (int number : { SIGTERM, SIGINT, SIGHUP }) {
        SCOPED_TRACE(number);
        const QString text = QStringLiteral("typed just before signal %1").arg(number);
        prefs.setWatermarkText(text); // written 300 ms later, or at quit
        QuitSignals::install();
        bool quitSeen = false;
        QObject context;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &context, [&] { quitSeen = true; });
        QTimer::singleShot(0, [number] { ::raise(number); });
        // A safety net: without the handler the signal ends the process; with a broken one the
        // loop would not return.
        QTimer::singleShot(5000, &context, [] { QCoreApplication::exit(7); });
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_TRUE(quitSeen);
        EXPECT_EQ(store.stringValue(QStringLiteral("watermarkText")), text);
    }
    EXPECT_EQ(log.count(QStringLiteral("SIGTERM received, quitting")), 1);
}
