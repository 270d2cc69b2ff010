#include "capture/CaptureManager.h"
#include "capture/ScreenshotWatcher.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenshotSettings.h"
#include "platform/SystemScreenshotTool.h"
#include "support/ImageFiles.h"
#include "support/LogCapture.h"
#include "support/Wait.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class CaptureManagerTest : public ::testing::Test {
protected:
    CaptureManagerTest()
    {
        settings.folder = dir.path();
        manager = std::make_unique<CaptureManager>(settings, pasteboard);
    }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    // Watches the folder, so that files are reported and their writers followed as in the program.
    void watch()
    {
        manager->watcher().start();
        ASSERT_TRUE(waitUntil([&] { return !manager->watcher().isScanning(); }));
    }

    QTemporaryDir dir;
    FakeScreenshotSettings settings;
    FakePasteboard pasteboard;
    std::unique_ptr<CaptureManager> manager;
    LogCapture log;
};

TEST_F(CaptureManagerTest, AFileThatBecomesCompleteIsDeliveredOnceComplete)
{
    const QByteArray png = encodeImage(makeTestImage(300, 200));
    const QString file = path(QStringLiteral("Screenshot a.png"));
    ASSERT_TRUE(writeFile(file, png.left(10)));
    // The clock starts before the write is scheduled, so a pause of a loaded machine between
    // the two cannot make the delivery look early.
    QElapsedTimer timer;
    timer.start();
    QTimer::singleShot(190, [&] { writeFile(file, png); });
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    manager->loadScreenshot(file);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }));
    EXPECT_GE(timer.elapsed(), 190);
    EXPECT_LT(timer.elapsed(), 190 + CaptureManager::settleMs + 3 * CaptureManager::pollMs + 200);
    spin(300);
    EXPECT_EQ(captured.count(), 1);
    EXPECT_EQ(captured.at(0).at(0).value<CapturedShot>().image.size(), QSize(300, 200));
}

// Writers that take their time: 30 chunks 100 ms apart, and a file made empty and filled a
// second later. Each arrives once, whole, with nothing said.
TEST_F(CaptureManagerTest, SlowWritersAreWaitedFor)
{
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    const QImage image = makeTestImage(900, 600);
    const QByteArray png = encodeImage(image);
    const QString chunked = path(QStringLiteral("Screenshot chunked.png"));
    QFile out(chunked);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    const qsizetype piece = png.size() / 30 + 1;
    int written = 0;
    QTimer writer;
    QObject::connect(&writer, &QTimer::timeout, [&] {
        out.write(png.mid(written * piece, piece));
        out.flush();
        if (++written == 30)
            writer.stop();
    });
    writer.start(100);
    manager->loadScreenshot(chunked);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }, 8000)) << log.lines.join('\n').toStdString();
    EXPECT_EQ(written, 30);
    EXPECT_EQ(captured.at(0).at(0).value<CapturedShot>().image.convertToFormat(QImage::Format_RGB32), image);

    const QString late = path(QStringLiteral("Screenshot late.png"));
    ASSERT_TRUE(writeFile(late, {}));
    QTimer::singleShot(1000, [&] { writeFile(late, png); });
    manager->loadScreenshot(late);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 2; }, 5000));
    spin(300);
    EXPECT_EQ(captured.count(), 2);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_TRUE(log.lines.filter(QStringLiteral("Couldn't open")).isEmpty());
}

// A writer that pauses mid-file, or leaves its file empty for a while, is waited for without a
// word; the shot then arrives.
TEST_F(CaptureManagerTest, AWriterThatPausesIsWaitedForWithoutAWord)
{
    watch();
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    const QImage image = makeTestImage(900, 600);
    const QByteArray png = encodeImage(image);
    const auto arrives = [&](int count) { return waitUntil([&] { return captured.count() == count; }, 3000); };
    {
        // Half written, then 3 s without a byte, the file kept open.
        QFile out(path(QStringLiteral("Screenshot paused.png")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png.left(png.size() / 2));
        out.flush();
        spin(3000);
        out.write(png.mid(png.size() / 2));
        out.close();
        ASSERT_TRUE(arrives(1));
    }
    // Made empty and closed, filled 3 s later.
    ASSERT_TRUE(writeFile(path(QStringLiteral("Screenshot placeholder.png")), {}));
    spin(3000);
    ASSERT_TRUE(writeFile(path(QStringLiteral("Screenshot placeholder.png")), png));
    ASSERT_TRUE(arrives(2));
    spin(300);
    EXPECT_EQ(captured.count(), 2);
    for (const auto& args : captured)
        EXPECT_EQ(args.at(0).value<CapturedShot>().image.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(log.count(QStringLiteral("Couldn't open")), 0);
}

// Kept open and unfinished past the bound, a file is no longer looked at, without a word; once
// its writer finishes it, the watcher brings it again.
TEST_F(CaptureManagerTest, AFileKeptOpenUnfinishedIsLeftWithoutAWordAndTakenOnceFinished)
{
    watch();
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    const QByteArray png = encodeImage(makeTestImage(300, 200));
    QFile out(path(QStringLiteral("Screenshot stalled.png")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(png.left(png.size() / 2));
    out.flush();
    ASSERT_TRUE(waitUntil([&] { return log.count(QStringLiteral(" is not a whole image yet")) == 1; }, CaptureManager::maxWaitMs + 3000));
    EXPECT_FALSE(manager->isLoading());
    out.write(png.mid(png.size() / 2));
    out.close();
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }));
    EXPECT_EQ(captured.at(0).at(0).value<CapturedShot>().image.size(), QSize(300, 200));
    EXPECT_EQ(failed.count(), 0);
}

// Closed unfinished by its writer, a file is said once it stood still for 2 s: one toast and one
// log line, not one per look. Written whole again later, it arrives.
TEST_F(CaptureManagerTest, AFileItsWriterLeftUnfinishedIsSaidOnceAndTakenWhenWrittenAgain)
{
    watch();
    const QByteArray png = encodeImage(makeTestImage(300, 200));
    const QString file = path(QStringLiteral("Screenshot stuck.png"));
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(writeFile(file, png.left(png.size() / 2)));
    ASSERT_TRUE(waitUntil([&] { return failed.count() == 1; }, 5000));
    EXPECT_GE(timer.elapsed(), CaptureManager::stillMs);
    EXPECT_LT(timer.elapsed(), CaptureManager::stillMs + 1000);
    EXPECT_EQ(failed.at(0).at(0).toString(), QStringLiteral("Couldn't open Screenshot stuck.png: the image data is truncated"));
    spin(300);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(log.count(QStringLiteral("Couldn't open ")), 1);
    EXPECT_FALSE(manager->isLoading());

    // The writer comes back and finishes it.
    ASSERT_TRUE(writeFile(file, png));
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }, 3000));
    EXPECT_EQ(captured.at(0).at(0).value<CapturedShot>().filePath, file);
    EXPECT_EQ(failed.count(), 1);
}

// Where nothing tells whether a program still writes a file (no inotify on its folder, or a file
// elsewhere): one that stands still unfinished is said only once it stood still for 10 s, and one
// written on and on is left after 10 s without a word.
TEST_F(CaptureManagerTest, WhereNoWriterCanBeSeenTheBoundDecides)
{
    const QByteArray png = encodeImage(makeTestImage(64, 64));
    const QString stuck = path(QStringLiteral("Screenshot stuck.png"));
    ASSERT_TRUE(writeFile(stuck, png.left(png.size() / 2)));
    const QString endless = path(QStringLiteral("Screenshot endless.png"));
    ASSERT_TRUE(writeFile(endless, png.left(40)));
    QFile out(endless);
    ASSERT_TRUE(out.open(QIODevice::Append));
    QTimer writer;
    QObject::connect(&writer, &QTimer::timeout, [&] {
        out.write("x");
        out.flush();
    });
    writer.start(60);
    // One manager each: a manager waits for one file at a time.
    CaptureManager other(settings, pasteboard);
    QSignalSpy stuckFailed(manager.get(), &CaptureManager::failed);
    QSignalSpy endlessFailed(&other, &CaptureManager::failed);
    QElapsedTimer timer;
    timer.start();
    manager->loadScreenshot(stuck);
    other.loadScreenshot(endless);
    spin(CaptureManager::stillMs + 1000);
    EXPECT_EQ(stuckFailed.count(), 0);
    ASSERT_TRUE(waitUntil([&] { return stuckFailed.count() == 1 && !other.isLoading(); }, CaptureManager::maxWaitMs + 3000));
    writer.stop();
    EXPECT_GE(timer.elapsed(), CaptureManager::maxWaitMs);
    EXPECT_EQ(endlessFailed.count(), 0);
    EXPECT_EQ(log.count(endless + QStringLiteral(" is not a whole image yet")), 1);
}

// What cannot become an image by waiting is said at once: damaged data, no image at all, an
// image past the pixel limit. File names in the log cannot start a line of their own.
TEST_F(CaptureManagerTest, WhatWaitingCannotMendIsSaidAtOnceWithOneLineEach)
{
    QByteArray damaged = encodeImage(makeTestImage(200, 200));
    for (qsizetype i = 60; i < damaged.size() - 20; i += 7)
        damaged[i] = char(damaged[i] ^ 0x5a);
    const QString names[] = { QStringLiteral("Screenshot damaged.png"), QStringLiteral("Screenshot\nLumaforge: forged.png"),
        QStringLiteral("Screenshot huge.png") };
    ASSERT_TRUE(writeFile(path(names[0]), damaged));
    ASSERT_TRUE(writeFile(path(names[1]), QByteArray("this is no picture at all, only words\n").repeated(10)));
    ASSERT_TRUE(writeFile(path(names[2]), pngDeclaring(16000, 16000)));
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    QElapsedTimer timer;
    timer.start();
    for (const QString& name : names) {
        manager->loadScreenshot(path(name));
        ASSERT_TRUE(waitUntil([&] { return !manager->isLoading(); }, 1000)) << name.toStdString();
    }
    EXPECT_LT(timer.elapsed(), 1500);
    ASSERT_EQ(failed.count(), 3);
    EXPECT_EQ(failed.at(0).at(0).toString(), QStringLiteral("Couldn't open Screenshot damaged.png: the image data is damaged"));
    EXPECT_TRUE(failed.at(1).at(0).toString().endsWith(QStringLiteral(": it is not an image Lumaforge can read")));
    EXPECT_EQ(failed.at(2).at(0).toString(),
        QStringLiteral("Couldn't open Screenshot huge.png: it is 16000 × 16000 pixels, more than the 100 megapixels Lumaforge opens"));
    spin(CaptureManager::stillMs + 300);
    EXPECT_EQ(failed.count(), 3);
    EXPECT_EQ(log.count(QStringLiteral("Couldn't open ")), 3);
    for (const QString& line : log.lines) {
        EXPECT_FALSE(line.contains(QLatin1Char('\n')));
        EXPECT_FALSE(line.startsWith(QStringLiteral("Lumaforge: forged")));
    }
    EXPECT_EQ(log.count(QStringLiteral("Screenshot\\nLumaforge: forged.png")), 1);
}

// Of shots reported faster than they can be read, one waiting for its turn is dropped unread
// when a newer one arrives; the newest always arrives.
// Of shots that wait for their turn only the newest goes on to the panel; the others still join
// the recent shots as previews, in the order they arrived, whenever their reading finishes.
TEST_F(CaptureManagerTest, AShotWaitingForItsTurnSkipsThePanelButJoinsTheRecentShots)
{
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QStringList files;
    // The skipped ones large, the newest small: their reading finishes after its own.
    const QList<QSize> sizes { { 1200, 800 }, { 2600, 1600 }, { 2400, 1600 }, { 300, 200 } };
    for (int i = 0; i < 4; ++i) {
        files.append(path(QStringLiteral("Screenshot %1.png").arg(i)));
        ASSERT_TRUE(writePng(files.last(), sizes[i].width(), sizes[i].height()));
    }
    for (const QString& file : files)
        manager->loadScreenshot(file);
    ASSERT_TRUE(waitUntil([&] { return !manager->isLoading() && manager->recents().size() == 4; }));
    spin(100);
    QStringList arrived;
    for (const auto& args : captured)
        arrived.append(args.at(0).value<CapturedShot>().filePath);
    // The first was being read when the others came; of those only the newest is presented.
    EXPECT_EQ(arrived, QStringList({ files[0], files[3] }));
    EXPECT_EQ(log.count(QStringLiteral("a newer screenshot arrived")), 2);
    QStringList recent;
    for (const CapturedShot& shot : manager->recents())
        recent.append(shot.filePath);
    EXPECT_EQ(recent.join(u'\n'), QStringList({ files[3], files[2], files[1], files[0] }).join(u'\n'));
    // Skipped ones hold a preview; opened, they are read back whole.
    const CapturedShot skipped = manager->recents().at(1);
    EXPECT_EQ(skipped.image.width(), CaptureManager::previewSide);
    QSize opened;
    manager->openRecent(skipped, manager.get(), [&](const CapturedShot& full) { opened = full.image.size(); });
    ASSERT_TRUE(waitUntil([&] { return opened.isValid(); }));
    EXPECT_EQ(opened, sizes[2]);
}

TEST_F(CaptureManagerTest, PendingWorkDiesWithTheManager)
{
    const QString file = path(QStringLiteral("Screenshot gone.png"));
    ASSERT_TRUE(writeFile(file, {}));
    manager->loadScreenshot(file);
    manager->openRecent(CapturedShot::make(makeTestImage(2, 2)), manager.get(), [](const CapturedShot&) {});
    manager.reset();
    spin(CaptureManager::stillMs + 300);
    EXPECT_EQ(log.count(QStringLiteral("Couldn't open")), 0);
}

TEST_F(CaptureManagerTest, KeepsTheTwelveNewestShotsNewestFirst)
{
    QList<CapturedShot> shots;
    for (int i = 0; i < 13; ++i) {
        shots.append(CapturedShot::make(makeTestImage(4, 4)));
        manager->addRecent(shots.last());
    }
    ASSERT_EQ(manager->recents().size(), 12);
    EXPECT_EQ(manager->recents().first(), shots.last());
    EXPECT_EQ(manager->recents().last(), shots.at(1));
}

TEST_F(CaptureManagerTest, PasteImportsTheClipboardImageEachTimeAsANewShot)
{
    QSignalSpy imported(manager.get(), &CaptureManager::didImport);
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    manager->pasteFromClipboard();
    EXPECT_EQ(imported.count(), 0);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toString(), QStringLiteral("No image on the clipboard"));

    pasteboard.image = makeTestImage(10, 10);
    manager->pasteFromClipboard();
    manager->pasteFromClipboard();
    ASSERT_EQ(imported.count(), 2);
    const auto first = imported.at(0).at(0).value<CapturedShot>();
    const auto second = imported.at(1).at(0).value<CapturedShot>();
    EXPECT_NE(first.id, second.id);
    EXPECT_TRUE(first.filePath.isEmpty());
    EXPECT_EQ(manager->recents().size(), 2);
    EXPECT_EQ(captured.count(), 0);

    // Past the pixel limit: said, not opened (a one-bit image keeps the test small).
    pasteboard.image = QImage(10001, 10000, QImage::Format_Mono);
    manager->pasteFromClipboard();
    EXPECT_EQ(imported.count(), 2);
    ASSERT_EQ(failed.count(), 2);
    EXPECT_TRUE(failed.at(1).at(0).toString().startsWith(QStringLiteral("Couldn't open the clipboard's image: it is 10001 × 10000")));
}

TEST_F(CaptureManagerTest, ImportReadsAFileAndSaysWhatIsNoImage)
{
    QSignalSpy imported(manager.get(), &CaptureManager::didImport);
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    const QString good = path(QStringLiteral("photo.png"));
    ASSERT_TRUE(writePng(good, 30, 20));
    ASSERT_TRUE(writeFile(path(QStringLiteral("fake.png")), "<html>"));
    manager->importFile(path(QStringLiteral("fake.png")));
    manager->importFile(path(QStringLiteral("missing.png")));
    manager->importFile(dir.path());
    ASSERT_TRUE(waitUntil([&] { return failed.count() == 3; }));
    EXPECT_EQ(imported.count(), 0);
    EXPECT_TRUE(failed.at(1).at(0).toString().startsWith(QStringLiteral("Couldn't open missing.png: ")));
    EXPECT_EQ(log.count(QStringLiteral("Couldn't open")), 3);

    manager->importFile(good);
    ASSERT_TRUE(waitUntil([&] { return imported.count() == 1; }));
    const auto shot = imported.at(0).at(0).value<CapturedShot>();
    EXPECT_EQ(shot.image.size(), QSize(30, 20));
    EXPECT_EQ(shotFileName(shot), QStringLiteral("photo.png"));
    EXPECT_EQ(manager->recents().size(), 1);
}

TEST_F(CaptureManagerTest, ImagesWithDataAfterTheirEndImportAndArePickedUp)
{
    QSignalSpy imported(manager.get(), &CaptureManager::didImport);
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    const QImage image = makeTestImage(40, 30);
    // A motion photo's video after the JPEG, a maker's data after a PNG's IEND.
    const QString jpeg = path(QStringLiteral("motion.jpg"));
    const QString png = path(QStringLiteral("trailer.png"));
    ASSERT_TRUE(writeFile(jpeg, encodeImage(image, "jpg") + QByteArray(100 * 1024, '\xff')));
    ASSERT_TRUE(writeFile(png, encodeImage(image, "png") + QByteArray("tEXtmaker data")));
    manager->importFile(jpeg);
    manager->importFile(png);
    ASSERT_TRUE(waitUntil([&] { return imported.count() == 2; }));

    manager->loadScreenshot(png);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }));

    const QString cut = path(QStringLiteral("cut.png"));
    const QByteArray bytes = encodeImage(image, "png");
    ASSERT_TRUE(writeFile(cut, bytes.left(bytes.size() - 20)));
    manager->importFile(cut);
    ASSERT_TRUE(waitUntil([&] { return failed.count() == 1; }));
    EXPECT_EQ(imported.count(), 2);
}

// Recent shots from files keep a preview; opening one reads the file again at full size. When
// the file is gone, opening says so instead.
TEST_F(CaptureManagerTest, RecentShotsKeepTheirFileAndAPreview)
{
    QImage full(2000, 1500, QImage::Format_RGB32);
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); x += 50)
            full.setPixel(x, y, qRgb(x & 255, y & 255, 90));
    const QString file = path(QStringLiteral("Screenshot kept.png"));
    ASSERT_TRUE(writeFile(file, encodeImage(full)));
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    manager->loadScreenshot(file);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return manager->recents().constFirst().image.width() == CaptureManager::previewSide; }));
    const CapturedShot recent = manager->recents().constFirst();
    EXPECT_EQ(recent.image.size(), QSize(640, 480));

    QList<CapturedShot> opened;
    manager->openRecent(recent, manager.get(), [&](const CapturedShot& shot) { opened.append(shot); });
    ASSERT_TRUE(waitUntil([&] { return opened.size() == 1; }));
    EXPECT_EQ(opened[0], recent);
    EXPECT_EQ(opened[0].image.convertToFormat(QImage::Format_RGB32), full);

    QSignalSpy failed(manager.get(), &CaptureManager::failed);
    ASSERT_TRUE(QFile::remove(file));
    manager->openRecent(recent, manager.get(), [&](const CapturedShot& shot) { opened.append(shot); });
    ASSERT_TRUE(waitUntil([&] { return failed.count() == 1; }));
    EXPECT_TRUE(failed.at(0).at(0).toString().startsWith(QStringLiteral("Couldn't open Screenshot kept.png: ")));
    spin(50);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(CaptureManagerTest, TheOpenDialogImportsTheChosenImage)
{
    const QString good = path(QStringLiteral("chosen.png"));
    ASSERT_TRUE(writePng(good));
    QSignalSpy imported(manager.get(), &CaptureManager::didImport);
    manager->importFromFile();
    QFileDialog* dialog = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<QFileDialog*>(widget); candidate && candidate->isVisible())
            dialog = candidate;
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(dialog->nameFilters().constFirst().contains(QStringLiteral("*.png")));
    dialog->setDirectory(dir.path());
    dialog->selectFile(good);
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_TRUE(waitUntil([&] { return imported.count() == 1; }));
    EXPECT_EQ(imported.at(0).at(0).value<CapturedShot>().filePath, good);
}

TEST_F(CaptureManagerTest, AFileHandedOverByTheScreenshotToolIsNotReportedAgain)
{
    ScreenshotWatcher& watcher = manager->watcher();
    watcher.start();
    ASSERT_TRUE(waitUntil([&] { return !watcher.isScanning(); }));
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    NullScreenshotTool tool(QStringLiteral("stands for the portal"));
    manager->takeCapturesFrom(tool);
    const QString file = path(QStringLiteral("Screenshot portal.png"));
    ASSERT_TRUE(writePng(file));
    Q_EMIT tool.captured(file);
    // The watcher may also have been woken by the new file; either way one shot.
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }));
    spin(400);
    EXPECT_EQ(captured.count(), 1);
    manager->acceptCapturedFile(file);
    spin(100);
    EXPECT_EQ(captured.count(), 1);
}

// Where nothing took a capture up, the user hears how shots still reach Lumaforge.
TEST_F(CaptureManagerTest, ACaptureNobodyAnsweredIsSaidWithTheFolder)
{
    settings.folder = QDir::homePath() + QStringLiteral("/Pictures/Bildschirmfotos");
    CaptureManager german(settings, pasteboard);
    NullScreenshotTool tool(QStringLiteral("stands for a desktop without a screenshot tool"));
    german.takeCapturesFrom(tool);
    QSignalSpy failed(&german, &CaptureManager::failed);
    Q_EMIT tool.noAnswer();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toString(),
        QStringLiteral("No screenshot tool answered. Use your desktop's screenshot key; Lumaforge styles every shot "
                       "saved to ~/Pictures/Bildschirmfotos."));
}

TEST(CapturedShotTest, TitleIsTheFileNameElseScreenshotWithTheDate)
{
    CapturedShot shot = CapturedShot::make(makeTestImage(2, 2));
    shot.date = QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7));
    EXPECT_EQ(shotFileName(shot),
        QStringLiteral("Screenshot %1 9, 14.05.07.png").arg(QLocale().monthName(3, QLocale::ShortFormat)));
    shot.filePath = QStringLiteral("/tmp/x/Screenshot From 2024.png");
    EXPECT_EQ(shotFileName(shot), QStringLiteral("Screenshot From 2024.png"));
    CapturedShot copy = shot;
    copy.image = QImage();
    EXPECT_EQ(copy, shot);
    EXPECT_FALSE(CapturedShot::make(shot.image) == shot);
}

}
