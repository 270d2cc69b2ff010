// The watcher against a real folder, woken by inotify; CaptureManager loads what it reports.
#include "capture/CaptureManager.h"
#include "capture/ScreenshotWatcher.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenshotSettings.h"
#include "support/BusyPool.h"
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
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
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
    BusyPool busy;

    manager = std::make_unique<CaptureManager>(settings, pasteboard);
    captured = std::make_unique<QSignalSpy>(manager.get(), &CaptureManager::didCapture);
    reported = std::make_unique<QSignalSpy>(&watcher(), &ScreenshotWatcher::newScreenshot);
    watcher().start();
    spin(50);
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot From 2024-01-01 10-00-05.png"))));
    spin(100);
    busy.release();

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

// In a folder only screenshot tools write to, whatever a tool names its shots is a shot; on the
// Desktop the names of every language and the common tools' patterns decide.
TEST_F(WatcherTest, InAScreenshotsFolderEveryImageIsAShotOnTheDesktopItsNameDecides)
{
    const char* anyTool[] = { "2026-12-07_11-00.png", "photo.heic", "Bildschirmfoto von 2026-12-07 11-00-00.png",
        "capture.jpg" };
    for (bool onlyScreenshots : { true, false }) {
        SCOPED_TRACE(onlyScreenshots ? "screenshots folder" : "desktop");
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        settings.onlyScreenshots = onlyScreenshots;
        start();
        for (const char* name : anyTool)
            ASSERT_TRUE(writePng(file(QString::fromUtf8(name))));
        ASSERT_TRUE(waitUntil([&] { return reported->count() >= (onlyScreenshots ? 4 : 2); }));
        settle();
        QStringList names;
        for (const auto& args : *reported)
            names << QFileInfo(args.at(0).toString()).fileName();
        names.sort();
        EXPECT_EQ(names, onlyScreenshots ? QStringList({ "2026-12-07_11-00.png", "Bildschirmfoto von 2026-12-07 11-00-00.png",
                                                         "capture.jpg", "photo.heic" })
                                         : QStringList({ "2026-12-07_11-00.png", "Bildschirmfoto von 2026-12-07 11-00-00.png" }));
    }
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

    // Each bad file is said once when given up, or skipped unread for a newer one.
    const QStringList bad { QStringLiteral("Screenshot text.png"), QStringLiteral("Screenshot empty.png"),
        QStringLiteral("Screenshot truncated.png") };
    const auto mentions = [&](const QString& name) {
        return log.count(QStringLiteral("Couldn't open ") + file(name)) + log.count(QStringLiteral("skipping ") + file(name));
    };
    ASSERT_TRUE(waitUntil([&] { return !manager->isLoading() && mentions(bad[0]) + mentions(bad[1]) + mentions(bad[2]) == 3; }, 5000));
    settle(300);
    EXPECT_EQ(captured->count(), 0);
    for (const QString& name : bad)
        EXPECT_EQ(mentions(name), 1) << name.toStdString();
    EXPECT_EQ(log.count(QStringLiteral("skipping Screenshot link.png")), 1);
    EXPECT_EQ(log.count(QStringLiteral("skipping Screenshot fifo.png")), 1);
    // An incomplete file is given up once it stood still for 2 s.
    EXPECT_LT(timer.elapsed(), CaptureManager::stillMs + 1500);
}

TEST_F(WatcherTest, ABurstOfFilesReportsOnlyTheNewestFew)
{
    start();
    const QByteArray png = encodeImage(makeTestImage(8, 8));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot %1.png").arg(i, 4, 10, QLatin1Char('0'))), png));
    // Only the newest of what waits is read: the last file reported always arrives.
    ASSERT_TRUE(waitUntil([&] { return reported->count() > 0 && !manager->isLoading(); }, 10000));
    settle(300);
    ASSERT_TRUE(waitUntil([&] { return !manager->isLoading(); }));
    ASSERT_FALSE(captured->isEmpty());
    EXPECT_EQ(captured->last().at(0).value<CapturedShot>().filePath, reported->last().at(0).toString());
    // Each scan reports its newest few; the burst is spread over a handful of scans at most.
    EXPECT_LT(reported->count(), 250);
    EXPECT_LE(captured->count(), reported->count());
    EXPECT_LE(manager->recents().size(), CaptureManager::maxRecents);
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

// A thousand files arriving every way a folder sees them while scans run: written in pieces and
// renamed in, written in place in pieces, renamed in and deleted, renamed in and replaced.
// Every file reported is captured whole, or skipped for a newer one, or given up with a reason;
// nothing half-written is captured, nothing twice, and the last file arrives.
TEST_F(WatcherTest, AThousandFilesArrivingWhileScansRunAreEachCapturedOnceAndWhole)
{
    start();
    constexpr int kFiles = 1000;
    enum Kind { renamedIn, writtenInPlace, deleted, replaced };
    const auto kindOf = [](int i) { return i % 10 == 3 ? writtenInPlace : i % 10 == 5 ? deleted : i % 10 == 7 ? replaced : renamedIn; };
    const auto nameOf = [](int i) { return QStringLiteral("Screenshot %1.png").arg(i, 4, 10, QLatin1Char('0')); };
    // Each file's image says which file (and which version) it is in its first pixel.
    const auto imageOf = [](int i, int version) {
        QImage image(24, 16, QImage::Format_RGB32);
        image.fill(QColor(i & 0xff, i >> 8, 100 + version));
        return image;
    };
    const auto writeInPieces = [](QFile& out, const QByteArray& bytes) {
        const qsizetype third = bytes.size() / 3 + 1;
        for (qsizetype at = 0; at < bytes.size(); at += third) {
            out.write(bytes.mid(at, third));
            out.flush();
            QThread::usleep(200);
        }
    };

    // No scan may meet more new files than a burst of real screenshots would bring (more is
    // taken for a copy): the writer brings at most five new names between two scans' ends.
    QSemaphore arrivals(5);
    QObject::connect(&watcher(), &ScreenshotWatcher::scanFinished, &watcher(), [&] { arrivals.release(5 - arrivals.available()); });
    std::atomic<bool> writing { true };
    std::unique_ptr<QThread> writer(QThread::create([&] {
        QList<int> toReplace;
        for (int i = 0; i < kFiles; ++i) {
            while (!arrivals.tryAcquire(1, 50)) {
            }
            const QString target = file(nameOf(i));
            if (kindOf(i) == writtenInPlace) {
                QFile out(target);
                out.open(QIODevice::WriteOnly);
                writeInPieces(out, encodeImage(imageOf(i, 0)));
                continue;
            }
            const QString staging = file(QStringLiteral(".incoming-%1").arg(i));
            QFile out(staging);
            out.open(QIODevice::WriteOnly);
            writeInPieces(out, encodeImage(imageOf(i, 0)));
            out.close();
            ::rename(QFile::encodeName(staging).constData(), QFile::encodeName(target).constData());
            if (kindOf(i) == deleted)
                QFile::remove(target);
            if (kindOf(i) == replaced)
                toReplace.append(i);
            // Replace a little later, while other files arrive.
            if (toReplace.size() > 3) {
                const int r = toReplace.takeFirst();
                const QString next = file(QStringLiteral(".replacement-%1").arg(r));
                writeFile(next, encodeImage(imageOf(r, 1)));
                ::rename(QFile::encodeName(next).constData(), QFile::encodeName(file(nameOf(r))).constData());
            }
        }
        writing = false;
    }));
    writer->start();

    QHash<QString, int> captures;
    QHash<QString, QImage> capturedImages;
    QObject::connect(manager.get(), &CaptureManager::didCapture, manager.get(), [&](const CapturedShot& shot) {
        ++captures[shot.filePath];
        capturedImages.insert(shot.filePath, shot.image.convertToFormat(QImage::Format_RGB32));
    });
    const auto accounted = [&](const QString& path) {
        return captures.contains(path) || log.count(QStringLiteral("skipping ") + path) > 0
            || log.count(QStringLiteral("Couldn't open ") + path) > 0 || log.count(path + QStringLiteral(" went away")) > 0;
    };
    const QString last = file(nameOf(kFiles - 1));
    ASSERT_TRUE(waitUntil([&] { return !writing && !manager->isLoading() && captures.contains(last); }, 60000))
        << captures.size() << " files captured; writer " << (writing ? "still writing" : "done");
    writer->wait();
    settle(300);
    ASSERT_TRUE(waitUntil([&] { return !manager->isLoading(); }, 15000));

    QHash<QString, int> reports;
    for (const QList<QVariant>& report : *reported)
        ++reports[report.at(0).toString()];
    for (int i = 0; i < kFiles; ++i) {
        const QString path = file(nameOf(i));
        SCOPED_TRACE(nameOf(i).toStdString());
        EXPECT_LE(reports.value(path), 1);
        EXPECT_LE(captures.value(path), 1);
        if (reports.contains(path))
            EXPECT_TRUE(accounted(path));
        if (!captures.contains(path))
            continue;
        const QImage& image = capturedImages[path];
        const bool whole = image == imageOf(i, 0) || (kindOf(i) == replaced && image == imageOf(i, 1));
        EXPECT_TRUE(whole) << "a partial or foreign image was captured";
    }
    EXPECT_EQ(log.count(QStringLiteral("at once")), 0);
}
