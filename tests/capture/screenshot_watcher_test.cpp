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

// Saves as most tools do: written beside the file, then renamed over it.
void renameIn(const QString& path, const QByteArray& bytes)
{
    const QString staging = QFileInfo(path).path() + QStringLiteral("/.staging");
    ASSERT_TRUE(writeFile(staging, bytes));
    ASSERT_EQ(::rename(QFile::encodeName(staging).constData(), QFile::encodeName(path).constData()), 0);
}

// A shot that takes a while to decode (noise does not compress), told apart by its seed.
QImage noisyShot(int seed, QSize size = QSize(1600, 1000))
{
    QImage image(size, QImage::Format_RGB32);
    quint32 x = 2463534242u + quint32(seed) * 7919u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int i = 0; i < image.width(); ++i) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            line[i] = 0xff000000u | (x & 0xffffffu);
        }
    }
    return image;
}

QImage imageOf(const QList<QVariant>& capture)
{
    return capture.at(0).value<CapturedShot>().image.convertToFormat(QImage::Format_RGB32);
}

// Run as root, permissions bind nobody: meanwhile the test acts as an ordinary user. seteuid
// changes every thread of the process, the watcher's listing thread among them.
class OrdinaryUser {
public:
    explicit OrdinaryUser(const QStringList& ownPaths)
    {
        if (::geteuid() != 0)
            return;
        bool owned = true;
        for (const QString& path : ownPaths)
            owned = ::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0 && owned;
        m_switched = owned && ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
    }
    ~OrdinaryUser()
    {
        if (m_switched && ::seteuid(0) == 0)
            ::setegid(0);
    }

private:
    static constexpr uid_t kNobody = 65534;
    bool m_switched = false;
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

// Some tools always save under one name. Saved again (renamed over, written in place, or deleted
// and made anew) it is a new shot, delivered once each time.
TEST_F(WatcherTest, AShotSavedUnderANameUsedBeforeIsANewShot)
{
    start();
    const QString shot = file(QStringLiteral("Screenshot.png"));
    const QImage images[] = { makeTestImage(64, 48, Qt::red), makeTestImage(64, 48, Qt::green),
        makeTestImage(80, 48, Qt::blue), makeTestImage(64, 64, Qt::yellow) };
    renameIn(shot, encodeImage(images[0]));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 1; }));
    renameIn(shot, encodeImage(images[1]));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 2; }));
    ASSERT_TRUE(writeFile(shot, encodeImage(images[2])));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 3; }));
    ASSERT_TRUE(QFile::remove(shot));
    settle();
    ASSERT_TRUE(writeFile(shot, encodeImage(images[3])));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 4; }));
    // Wake-ups that find it unchanged do not bring it again.
    watcher().scheduleScan();
    settle(300);
    ASSERT_EQ(captured->count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(imageOf(captured->at(i)), images[i]) << "save " << i;
}

// A file replaced while it is read (renamed over, or written again in place, at any moment of
// its road) ends as its last content: what was read first is never the last word.
TEST_F(WatcherTest, AFileReplacedWhileItIsReadEndsAsItsLastContent)
{
    start();
    int round = 0;
    for (bool inPlace : { false, true }) {
        for (int delayMs : { 0, 5, 20, 40, 80 }) {
            ++round;
            SCOPED_TRACE(QStringLiteral("%1 after %2 ms").arg(inPlace ? "written in place" : "renamed over").arg(delayMs).toStdString());
            const QString path = file(QStringLiteral("Screenshot %1.png").arg(round));
            const QImage first = noisyShot(2 * round), last = noisyShot(2 * round + 1);
            const QByteArray lastBytes = encodeImage(last);
            const int before = captured->count();
            renameIn(path, encodeImage(first));
            spin(delayMs);
            if (inPlace)
                ASSERT_TRUE(writeFile(path, lastBytes));
            else
                renameIn(path, lastBytes);
            const auto lastArrived = [&] {
                return captured->count() > before && captured->last().at(0).value<CapturedShot>().filePath == path
                    && imageOf(captured->last()) == last;
            };
            ASSERT_TRUE(waitUntil([&] { return lastArrived() && !manager->isLoading(); }, 8000));
            settle(200);
            EXPECT_TRUE(lastArrived());
            EXPECT_LE(captured->count() - before, 2);
        }
    }
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
    // An empty file is no broken shot (it may yet be filled): never said, only passed over for
    // the newer ones.
    ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot empty.png")), {}));
    ASSERT_TRUE(waitUntil([&] { return reported->count() == 1; }));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot text.png")), "this is not an image at all"));
    const QByteArray png = encodeImage(makeTestImage(200, 200));
    ASSERT_TRUE(writeFile(file(QStringLiteral("Screenshot truncated.png")), png.left(png.size() / 2)));
    ASSERT_TRUE(writePng(root.path() + QStringLiteral("/elsewhere.png")));
    ASSERT_EQ(::symlink(QFile::encodeName(root.path() + QStringLiteral("/elsewhere.png")).constData(),
                  QFile::encodeName(file(QStringLiteral("Screenshot link.png"))).constData()),
        0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(file(QStringLiteral("Screenshot fifo.png"))).constData(), 0600), 0);

    // Each bad file is said once when given up (the truncated one once its writer closed it and
    // it stood still for 2 s), or skipped unread for a newer one.
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
    EXPECT_EQ(log.count(QStringLiteral("Couldn't open ") + file(QStringLiteral("Screenshot empty.png"))), 0);
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

    // Deleted and made again while watched: watching carries on in the new folder, where a name
    // the old one held is as new as any.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    settle(200);
    QDir().mkpath(folder);
    settle(200);
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot second.png"))));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 2; }, 3000));
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot first.png")), 30, 20));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 3; }, 3000));
    settle(200);
    EXPECT_EQ(captured->count(), 3);
    EXPECT_EQ(captured->last().at(0).value<CapturedShot>().image.size(), QSize(30, 20));
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

// Unreadable (its own permissions, or its parent's) and readable again: watched again at once,
// without a restart, the flag raised and lowered once each time and the denial logged once.
TEST_F(WatcherTest, AFolderMadeUnreadableIsWatchedAgainOnceItCanBeRead)
{
    OrdinaryUser user({ root.path(), folder });
    if (::geteuid() == 0)
        GTEST_SKIP() << "cannot act as an ordinary user here, so no folder can be made unreadable";
    pollMs = 200;
    start();
    QSignalSpy flag(manager.get(), &CaptureManager::desktopPermissionDeniedChanged);
    const QByteArray native = QFile::encodeName(folder), parent = QFile::encodeName(root.path());
    const auto denied = [&] { return manager->desktopPermissionDenied(); };

    // The folder's own permissions: its inotify watch sees them change both ways.
    ASSERT_EQ(::chmod(native.constData(), 0), 0);
    ASSERT_TRUE(waitUntil(denied, 2000));
    ASSERT_EQ(::chmod(native.constData(), 0755), 0);
    ASSERT_TRUE(waitUntil([&] { return !denied(); }, 2000));
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot after chmod.png"))));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 1; }, 3000));

    // Its parent's: nothing happens to the folder itself; a wake-up finds it unreadable, and
    // polling finds it readable again.
    ASSERT_EQ(::chmod(parent.constData(), 0), 0);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    ASSERT_TRUE(waitUntil(denied, 2000));
    spin(500);
    ASSERT_EQ(::chmod(parent.constData(), 0700), 0);
    ASSERT_TRUE(waitUntil([&] { return !denied(); }, 2000));
    ASSERT_TRUE(writePng(file(QStringLiteral("Screenshot after parent.png"))));
    ASSERT_TRUE(waitUntil([&] { return captured->count() == 2; }, 3000));

    EXPECT_EQ(flag.count(), 4);
    EXPECT_EQ(log.count(QStringLiteral("access denied")), 2);
    EXPECT_EQ(log.count(QStringLiteral("can be read again")), 2);
}

// The listing stands for failures a test cannot cause; the notice follows the flag either way.
TEST_F(WatcherTest, AnUnreadableFolderRaisesTheFlagUntilAWakeUpFindsItReadable)
{
    manager = std::make_unique<CaptureManager>(settings, pasteboard);
    QSignalSpy flag(manager.get(), &CaptureManager::desktopPermissionDeniedChanged);
    std::atomic<bool> deny = true;
    watcher().setLister([&deny](const QString& directory) {
        if (!deny)
            return ScreenshotWatcher::listCandidates(directory);
        ScreenshotWatcher::Listing listing;
        listing.status = ScreenshotWatcher::Listing::Status::denied;
        listing.error = QStringLiteral("Permission denied");
        return listing;
    });
    watcher().start();
    ASSERT_TRUE(waitUntil([&] { return manager->desktopPermissionDenied(); }));
    watcher().scheduleScan();
    ASSERT_TRUE(waitUntil([&] { return !watcher().isScanning(); }));
    EXPECT_EQ(flag.count(), 1);
    EXPECT_EQ(log.count(QStringLiteral("access denied")), 1);

    deny = false;
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    ASSERT_TRUE(waitUntil([&] { return !manager->desktopPermissionDenied(); }));
    EXPECT_EQ(flag.count(), 2);
}

}

// A thousand files arriving every way a folder sees them while scans run: written in pieces and
// renamed in, written in place in pieces, renamed in and deleted, renamed in and replaced.
// Every file reported is captured whole, or skipped for a newer one, or given up with a reason;
// nothing half-written is captured, no content twice, a replaced file's first content never after
// its second, and the last file arrives.
TEST_F(WatcherTest, AThousandFilesArrivingWhileScansRunAreCapturedWholeOncePerContent)
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

    QHash<QString, QList<QImage>> captures;
    QObject::connect(manager.get(), &CaptureManager::didCapture, manager.get(),
        [&](const CapturedShot& shot) { captures[shot.filePath].append(shot.image.convertToFormat(QImage::Format_RGB32)); });
    const auto accounted = [&](const QString& path) {
        return captures.contains(path) || log.count(QStringLiteral("skipping ") + path) > 0
            || log.count(QStringLiteral("Couldn't open ") + path) > 0 || log.count(path + QStringLiteral(" went away")) > 0
            || log.count(path + QStringLiteral(" is not a whole image yet")) > 0;
    };
    const QString last = file(nameOf(kFiles - 1));
    ASSERT_TRUE(waitUntil([&] { return !writing && !manager->isLoading() && captures.contains(last); }, 60000))
        << captures.size() << " files captured; writer " << (writing ? "still writing" : "done");
    writer->wait();
    settle(300);
    ASSERT_TRUE(waitUntil([&] { return !manager->isLoading(); }, 15000));

    QSet<QString> reports;
    for (const QList<QVariant>& report : *reported)
        reports.insert(report.at(0).toString());
    for (int i = 0; i < kFiles; ++i) {
        const QString path = file(nameOf(i));
        SCOPED_TRACE(nameOf(i).toStdString());
        EXPECT_TRUE(!reports.contains(path) || accounted(path));
        // What was captured, in order: the first content, then (replaced) the second.
        QList<QImage> expected { imageOf(i, 0) };
        if (kindOf(i) == replaced)
            expected.append(imageOf(i, 1));
        int next = 0;
        for (const QImage& image : captures.value(path)) {
            while (next < expected.size() && image != expected[next])
                ++next;
            EXPECT_LT(next, expected.size()) << "a partial, foreign, repeated or stale image was captured";
            ++next;
        }
    }
    EXPECT_EQ(log.count(QStringLiteral("at once")), 0);
}
