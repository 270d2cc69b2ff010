// The watcher against a real folder, woken by inotify; CaptureManager loads what it reports.
#include "capture/CaptureManager.h"
#include "capture/ScreenshotWatcher.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenshotSettings.h"
#include "support/ImageFiles.h"
#include "support/LogCapture.h"
#include "support/Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QFile>
#include <QSignalSpy>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class WatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = root.path() + QStringLiteral("/Screenshots");
        QDir().mkpath(folder);
        settings.folder = folder;
    }

    // Builds the manager (and its watcher) on the folder as it stands, and starts watching.
    void start()
    {
        manager = std::make_unique<CaptureManager>(settings, pasteboard);
        watcher().setClock([this] { return QDateTime::currentDateTime().addSecs(clockOffsetSeconds); });
        watcher().setPollInterval(pollMs);
        captured = std::make_unique<QSignalSpy>(manager.get(), &CaptureManager::didCapture);
        reported = std::make_unique<QSignalSpy>(&watcher(), &ScreenshotWatcher::newScreenshot);
        watcher().start();
        settle();
    }

    ScreenshotWatcher& watcher() { return manager->watcher(); }
    QString file(const QString& name) const { return folder + QLatin1Char('/') + name; }

    // Waits until no scan runs and none is due from inotify.
    void settle(int quietMs = 150)
    {
        spin(quietMs);
        waitUntil([&] { return !watcher().isScanning(); });
    }

    QTemporaryDir root;
    QString folder;
    FakeScreenshotSettings settings;
    FakePasteboard pasteboard;
    std::unique_ptr<CaptureManager> manager;
    std::unique_ptr<QSignalSpy> captured;
    std::unique_ptr<QSignalSpy> reported;
    int clockOffsetSeconds = 0;
    int pollMs = 5000;
    LogCapture log;
};

// A shot taken while the first listing still waits for a busy thread pool (a slow or one-CPU
// machine at start-up) is new, not part of the folder's old contents.
TEST_F(WatcherTest, AShotTakenBeforeTheFirstListingRunsIsStillReported)
{
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot From 2024-01-01 09-00-00.png"))));
    QThreadPool* pool = QThreadPool::globalInstance();
    QSemaphore started, release;
    const int busy = pool->maxThreadCount();
    for (int i = 0; i < busy; ++i) {
        pool->start([&] {
            started.release();
            release.acquire();
        });
    }
    started.acquire(busy);

    manager = std::make_unique<CaptureManager>(settings, pasteboard);
    captured = std::make_unique<QSignalSpy>(manager.get(), &CaptureManager::didCapture);
    reported = std::make_unique<QSignalSpy>(&watcher(), &ScreenshotWatcher::newScreenshot);
    watcher().start();
    spin(50);
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot From 2024-01-01 10-00-05.png"))));
    spin(100);
    release.release(busy);

    ASSERT_TRUE(waitUntil([&] { return captured->count() == 1; }));
    settle();
    EXPECT_EQ(reported->count(), 1);
    EXPECT_EQ(reported->at(0).at(0).toString(), file(QStringLiteral("Screenshot From 2024-01-01 10-00-05.png")));
}

TEST_F(WatcherTest, ReportsANewScreenshotOnceButNeverWhatWasThereAtStart)
{
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot From 2024-01-01 10-00-00.png"))));
    start();
    EXPECT_EQ(reported->count(), 0);

    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot From 2024-01-01 10-00-05.png"))));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 1; }));
    const auto shot = captured->at(0).at(0).value<CapturedShot>();
    EXPECT_EQ(shot.filePath, file(QStringLiteral("Screenshot From 2024-01-01 10-00-05.png")));
    EXPECT_EQ(shot.image.size(), QSize(64, 48));
    EXPECT_EQ(manager->recents().size(), 1);

    // Further wake-ups and scans do not report it again.
    watcher().scheduleScan();
    settle();
    ASSERT_TRUE(writePng(file(QStringLiteral("notes.png"))));
    settle();
    EXPECT_EQ(reported->count(), 1);
    EXPECT_EQ(captured->count(), 1);
    EXPECT_EQ(log.count(QStringLiteral("detected screenshot")), 1);
}

TEST_F(WatcherTest, AFileWrittenSlowlyInPiecesIsDeliveredOnceComplete)
{
    start();
    // Longer than the retries alone would wait: the file keeps growing, so the manager waits on.
    const QByteArray png = encodeImage(makeTestImage(600, 400));
    QFile out(file(QStringLiteral("Screenshot slow.png")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    const int pieces = 16;
    const qsizetype piece = png.size() / pieces + 1;
    QTimer writer;
    int written = 0;
    QObject::connect(&writer, &QTimer::timeout, [&] {
        out.write(png.mid(written * piece, piece));
        out.flush();
        if (++written == pieces)
            writer.stop();
    });
    writer.start(80);
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 1; }, 5000));
    settle(200);
    EXPECT_EQ(captured->count(), 1);
    EXPECT_EQ(written, pieces);
    const QImage image = captured->at(0).at(0).value<CapturedShot>().image;
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), makeTestImage(600, 400));
    EXPECT_EQ(log.count(QStringLiteral("after retries")), 0);
}

TEST_F(WatcherTest, MatchesNamesByPrefixAndExtensionInAnyCaseAndScript)
{
    settings.prefix = QStringLiteral("Снимок экрана");
    start();
    for (const char* name : { "SCREEN SHOT x.PNG", "my screenshot.png", "CleanShot 1.jpeg", "Screenshot.gif",
             "Снимок экрана от 2024.png", "photo.heic", "Screenshot_20240101.tiff" }) {
        ASSERT_TRUE(writePng(file(QString::fromUtf8(name))));
    }
    ASSERT_TRUE(waitUntil([&] { return reported->count() >= 4; }));
    settle();
    QStringList names;
    for (const auto& args : *reported)
        names << QFileInfo(args.at(0).toString()).fileName();
    names.sort();
    EXPECT_EQ(names,
        QStringList({ QStringLiteral("CleanShot 1.jpeg"), QStringLiteral("SCREEN SHOT x.PNG"),
            QStringLiteral("Screenshot_20240101.tiff"), QString::fromUtf8("Снимок экрана от 2024.png") }));
}

TEST_F(WatcherTest, AnOldFileIsNotReportedAndStaysSeen)
{
    start();
    clockOffsetSeconds = 45;
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot old.png"))));
    settle();
    EXPECT_EQ(reported->count(), 0);
    clockOffsetSeconds = 0;
    watcher().scheduleScan();
    settle();
    EXPECT_EQ(reported->count(), 0);
}

TEST_F(WatcherTest, WakeUpsDuringAScanCauseOneFollowUpScan)
{
    start();
    const int before = watcher().scansStarted();
    watcher().scheduleScan();
    ASSERT_TRUE(watcher().isScanning());
    watcher().scheduleScan();
    watcher().scheduleScan();
    watcher().scheduleScan();
    settle(50);
    EXPECT_EQ(watcher().scansStarted() - before, 2);
}

TEST_F(WatcherTest, BadFilesAreSkippedOrGivenUpWithOneLogLineEach)
{
    start();
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot text.png")), "this is not an image at all"));
    ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot empty.png")), {}));
    const QByteArray png = encodeImage(makeTestImage(200, 200));
    ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot truncated.png")), png.left(png.size() / 2)));
    ASSERT_TRUE(writePng(root.path() + QStringLiteral("/elsewhere.png")));
    ASSERT_EQ(::symlink(QFile::encodeName(root.path() + QStringLiteral("/elsewhere.png")).constData(),
                  QFile::encodeName(file(QStringLiteral("Screenshot link.png"))).constData()),
        0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(file(QStringLiteral("Screenshot fifo.png"))).constData(), 0600), 0);

    ASSERT_TRUE(waitUntil([&] { return log.count(QStringLiteral("after retries")) == 3; }, 5000));
    settle(300);
    EXPECT_EQ(captured->count(), 0);
    EXPECT_EQ(log.count(QStringLiteral("after retries")), 3);
    EXPECT_EQ(log.count(QStringLiteral("skipping Screenshot link.png")), 1);
    EXPECT_EQ(log.count(QStringLiteral("skipping Screenshot fifo.png")), 1);
    // Given up after the 16 attempts, which take about 0.75 s.
    EXPECT_LT(timer.elapsed(), 3000);
}

TEST_F(WatcherTest, ABurstOfFilesReportsOnlyTheNewestFew)
{
    start();
    const QByteArray png = encodeImage(makeTestImage(8, 8));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot %1.png").arg(i, 4, 10, QLatin1Char('0'))), png));
    ASSERT_TRUE(waitUntil([&] { return captured->count() >= ScreenshotWatcher::maxReportsPerScan; }, 10000));
    settle(300);
    // Each scan reports its newest few; the burst is spread over a handful of scans at most.
    EXPECT_LT(reported->count(), 250);
    EXPECT_EQ(manager->recents().size(), CaptureManager::maxRecents);
    QSet<QString> unique;
    for (const auto& args : *reported)
        unique.insert(args.at(0).toString());
    EXPECT_EQ(unique.size(), reported->count());
    EXPECT_LT(timer.elapsed(), 8000);
}

TEST_F(WatcherTest, AMissingFolderIsWaitedForNotDenied)
{
    QDir(folder).removeRecursively();
    pollMs = 50;
    start();
    EXPECT_FALSE(manager->desktopPermissionDenied());
    EXPECT_EQ(log.count(QStringLiteral("waiting for it")), 1);

    // The desktop makes the folder with its first screenshot in it.
    QDir().mkpath(folder);
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot first.png"))));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 1; }, 3000));

    // Deleted and made again while watched: watching carries on in the new folder.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    settle(200);
    QDir().mkpath(folder);
    settle(200);
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot second.png"))));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 2; }, 3000));
    settle(200);
    EXPECT_EQ(captured->count(), 2);
    EXPECT_FALSE(manager->desktopPermissionDenied());
}

TEST_F(WatcherTest, AFolderRenamedAwayAndMadeAgainIsWatchedAgain)
{
    start();
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot one.png"))));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 1; }, 3000));

    // The user renames the folder; the desktop makes a new one at once, before any scan runs.
    for (int round = 1; round <= 2; ++round) {
        const QString away = root.path() + QStringLiteral("/Old %1").arg(round);
        ASSERT_TRUE(QDir().rename(folder, away));
        QDir().mkpath(folder);
        settle(300);
        // A file in the renamed folder is no screenshot of the watched one.
        ASSERT_TRUE(writePng(away + QStringLiteral("/Screenshot moved %1.png").arg(round)));
        ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot new %1.png").arg(round))));
        ASSERT_TRUE(waitUntil([&] { return captured->count() == 1 + round; }, 3000)) << "round " << round;
        EXPECT_EQ(captured->last().at(0).value<CapturedShot>().filePath, file(QStringLiteral("Screenshot new %1.png").arg(round)));
    }
    settle(200);
    EXPECT_EQ(captured->count(), 3);
}

TEST_F(WatcherTest, AnUnreadableFolderStopsWatchingAndRaisesTheFlag)
{
    manager = std::make_unique<CaptureManager>(settings, pasteboard);
    QSignalSpy flag(manager.get(), &CaptureManager::desktopPermissionDeniedChanged);
    // Run as root the folder cannot be made unreadable, so the listing stands for it.
    int listings = 0;
    watcher().setLister([&listings](const QString&) {
        ++listings;
        ScreenshotWatcher::Listing listing;
        listing.status = ScreenshotWatcher::Listing::Status::denied;
        listing.error = QStringLiteral("Permission denied");
        return listing;
    });
    watcher().start();
    ASSERT_TRUE(waitUntil([&] { return manager->desktopPermissionDenied(); }));
    EXPECT_EQ(flag.count(), 1);
    EXPECT_EQ(log.count(QStringLiteral("access denied")), 1);
    watcher().scheduleScan();
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    spin(100);
    EXPECT_EQ(listings, 1);

    // A new start tries again.
    watcher().setLister(&ScreenshotWatcher::listCandidates);
    watcher().start();
    ASSERT_TRUE(waitUntil([&] { return !manager->desktopPermissionDenied(); }));
}

}
