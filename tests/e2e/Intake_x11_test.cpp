// The intake on a desktop unlike the developer's: the real application on a real X server, in an
// English session whose folders were made in German (Bilder/Bildschirmfotos), fed a shot with a
// German name, a shot written slowly in place, and a burst of decompression bombs. The main
// window must keep answering and memory stay bounded throughout.
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"
#include "support/ImageFiles.h"
#include "support/PingProbe.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

namespace {

constexpr qint64 kMB = 1000 * 1000;

QImage shotOfSize(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(244, 244, 246));
    QPainter p(&image);
    p.fillRect(QRect(0, 0, size.width(), 48), QColor(226, 226, 230));
    p.fillRect(QRect(40, 90, size.width() / 3, size.height() / 3), color);
    return image;
}

// Whether the clipboard holds the styled PNG of a shot of this size (the default style renders
// the canvas at twice its size).
bool clipboardHoldsShotOf(QSize shot)
{
    const CanvasLayout layout = canvasLayout(QSizeF(shot), BeautifySettings::defaults());
    const QSize styled(int(std::lround(layout.canvasWidth * 2)), int(std::lround(layout.canvasHeight * 2)));
    return Desktop::clipboardPng().size() == styled;
}

class Environment {
public:
    Environment()
        : m_saved { qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("LANG"), qgetenv("LC_ALL") }
    {
        const QString home = m_home.path();
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
        qputenv("LANG", "en_US.UTF-8");
        qunsetenv("LC_ALL");
        QDir().mkpath(home + QStringLiteral("/.config"));
        // Folders made by a German session, kept when the session switched to English.
        QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
        dirs.open(QIODevice::WriteOnly);
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
        dirs.close();
        QDir().mkpath(home + QStringLiteral("/Schreibtisch"));
        QDir().mkpath(folder());
    }
    ~Environment()
    {
        const char* names[] = { "HOME", "XDG_CONFIG_HOME", "LANG", "LC_ALL" };
        for (int i = 0; i < 4; ++i) {
            if (m_saved[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], m_saved[i]);
        }
    }
    QString folder() const { return m_home.path() + QStringLiteral("/Bilder/Bildschirmfotos"); }
    QString staging(const QString& name) const { return m_home.path() + QStringLiteral("/.") + name; }

private:
    QTemporaryDir m_home;
    QByteArray m_saved[4];
};

}

TEST(Intake, GermanFoldersSlowWritersAndBombsOnAnEnglishDesktop)
{
    Environment env;
    RunningApp app;
    ASSERT_TRUE(app.start(true, false)) << app.log().toStdString();
    ASSERT_TRUE(app.log().contains(QStringLiteral("watching ") + env.folder() + QStringLiteral(" (every new image)")))
        << app.log().toStdString();
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); }));
    PingProbe probe(windows.first().toUInt());
    const auto into = [&](const QString& name) { return env.folder() + QLatin1Char('/') + name; };

    // A German name in the German folder, renamed in as GNOME does.
    const QSize first(1400, 900);
    ASSERT_TRUE(shotOfSize(first, QColor(40, 120, 220)).save(env.staging(QStringLiteral("a.png"))));
    QFile::rename(env.staging(QStringLiteral("a.png")), into(QStringLiteral("Bildschirmfoto vom 2026-12-07 11-00-00.png")));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(first); }, 20000)) << app.log().toStdString();

    // Written in place in 30 chunks, 100 ms apart, under the bare date Flameshot uses.
    const QSize second(900, 1300);
    const QByteArray slow = encodeImage(shotOfSize(second, QColor(220, 80, 40)));
    {
        QFile out(into(QStringLiteral("2026-12-07_11-01.png")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const qsizetype piece = slow.size() / 30 + 1;
        for (qsizetype at = 0; at < slow.size(); at += piece) {
            out.write(slow.mid(at, piece));
            out.flush();
            QThread::msleep(100);
        }
    }
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(second); }, 20000)) << app.log().toStdString();
    EXPECT_FALSE(app.log().contains(QStringLiteral("Couldn't open"))) << app.log().toStdString();

    // Eight bombs of 16000 x 16000 pixels in under a megabyte each, then a real shot.
    const QByteArray bomb = flatPng(16000, 16000);
    ASSERT_LT(bomb.size(), 1024 * 1024);
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("bomb-%1.png").arg(i);
        ASSERT_TRUE(writeFile(env.staging(name), bomb));
        QFile::rename(env.staging(name), into(QStringLiteral("Bildschirmfoto vom 2026-12-07 11-02-0%1.png").arg(i)));
        QThread::msleep(30);
    }
    const QSize last(1600, 700);
    ASSERT_TRUE(shotOfSize(last, QColor(60, 180, 90)).save(env.staging(QStringLiteral("last.png"))));
    QFile::rename(env.staging(QStringLiteral("last.png")), into(QStringLiteral("Bildschirmfoto vom 2026-12-07 11-03-00.png")));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(last); }, 20000)) << app.log().toStdString();
    spin(500);
    probe.stop();

    const qint64 peak = app.peakResidentBytes();
    std::printf("intake: peak resident %.1f MB, longest wait for the main window %d ms over %d pings\n",
        double(peak) / kMB, probe.longestMs(), probe.answered());
    EXPECT_LT(peak, 1500 * kMB);
    EXPECT_LT(probe.longestMs(), 1000);
    EXPECT_GT(probe.answered(), 10);
    // Each bomb is refused from its header and said once (or skipped unread for a newer shot).
    const QString log = app.log();
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("Bildschirmfoto vom 2026-12-07 11-02-0%1.png").arg(i);
        EXPECT_EQ(log.count(name + QStringLiteral(": it is 16000 × 16000 pixels")) + log.count(QStringLiteral("skipping ") + into(name)), 1)
            << name.toStdString();
    }
    EXPECT_TRUE(app.isRunning());
}

namespace {

QString intoWatched(const QString& name)
{
    return RunningApp::screenshotFolder() + QLatin1Char('/') + name;
}

// Saved as most tools save: written beside the folder, then renamed over the name.
bool saveRenamedIn(const QImage& image, const QString& name)
{
    const QString staging = QDir::homePath() + QStringLiteral("/.incoming.png");
    return image.save(staging, "PNG") && ::rename(QFile::encodeName(staging).constData(), QFile::encodeName(intoWatched(name)).constData()) == 0;
}

}

// Tools that always save under one name: each save is a new shot, and the clipboard serves the
// newest, whether the file was renamed over or written again in place.
TEST(Intake, AShotSavedAgainUnderItsNameIsTheOneOnTheClipboard)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    const QSize sizes[] = { { 1400, 900 }, { 900, 1300 }, { 1600, 700 } };
    ASSERT_TRUE(saveRenamedIn(shotOfSize(sizes[0], QColor(40, 120, 220)), QStringLiteral("screenshot.png")));
    ASSERT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(sizes[0]); }, 20000)) << app.log().toStdString();
    ASSERT_TRUE(saveRenamedIn(shotOfSize(sizes[1], QColor(220, 80, 40)), QStringLiteral("screenshot.png")));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(sizes[1]); }, 20000)) << app.log().toStdString();
    ASSERT_TRUE(writeFile(intoWatched(QStringLiteral("screenshot.png")), encodeImage(shotOfSize(sizes[2], QColor(60, 180, 90)))));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(sizes[2]); }, 20000)) << app.log().toStdString();
}

// A writer that pauses for 3 s mid-file, or keeps its file empty for 3 s, gets no failure toast:
// the shot arrives, and nothing was said before it.
TEST(Intake, AWriterThatPausesGetsNoFailureToastAndItsShotArrives)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    // When a toast first showed during a pause, in ms from its start.
    const auto pauseWatchingForToasts = [&](int ms) -> std::optional<qint64> {
        QElapsedTimer paused;
        paused.start();
        while (paused.elapsed() < ms) {
            if (Desktop::toastFrame())
                return paused.elapsed();
            QThread::msleep(100);
        }
        return std::nullopt;
    };
    const QSize sizes[] = { { 1200, 800 }, { 800, 1200 } };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "paused mid-file" : "left empty");
        const QByteArray png = encodeImage(shotOfSize(sizes[round], QColor(200, 60, 160)));
        const qsizetype first = round == 0 ? png.size() / 2 : 0;
        QFile out(intoWatched(QStringLiteral("Screenshot paused %1.png").arg(round)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png.left(first));
        out.flush();
        const auto toast = pauseWatchingForToasts(3000);
        EXPECT_FALSE(toast) << "a toast " << toast.value_or(0) << " ms into the pause";
        if (toast)
            QThread::msleep(3000 - *toast);
        out.write(png.mid(first));
        out.close();
        EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(sizes[round]); }, 20000)) << app.log().toStdString();
    }
    EXPECT_FALSE(pauseWatchingForToasts(500));
    EXPECT_FALSE(app.log().contains(QStringLiteral("Couldn't open"))) << app.log().toStdString();
}

// The screenshot folder made unreadable and readable again, or removed and made again, is
// watched again without a restart.
TEST(Intake, AScreenshotFolderUnreadableOrRemovedForAWhileIsWatchedAgain)
{
    RunningApp app;
    app.dropPermissionOverrides();
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    const QString folder = RunningApp::screenshotFolder();
    const QByteArray native = QFile::encodeName(folder);
    const auto restore = qScopeGuard([&] { ::chmod(native.constData(), 0755); });
    ASSERT_EQ(::chmod(native.constData(), 0), 0);
    ASSERT_TRUE(waitUntil([&] { return app.log().contains(QStringLiteral("access denied")); }, 5000)) << app.log().toStdString();
    ASSERT_EQ(::chmod(native.constData(), 0755), 0);
    const QSize first(1300, 800);
    spin(300);
    ASSERT_TRUE(saveRenamedIn(shotOfSize(first, QColor(30, 150, 200)), QStringLiteral("Screenshot after chmod.png")));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(first); }, 20000)) << app.log().toStdString();

    // Removed, and made again with a shot under a name the old folder held.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    spin(300);
    ASSERT_TRUE(QDir().mkpath(folder));
    spin(300);
    const QSize second(1000, 1000);
    ASSERT_TRUE(saveRenamedIn(shotOfSize(second, QColor(230, 160, 30)), QStringLiteral("Screenshot after chmod.png")));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(second); }, 20000)) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}
