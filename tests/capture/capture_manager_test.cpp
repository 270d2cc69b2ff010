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
    // Finished during the fifth attempt's wait.
    QTimer::singleShot(190, [&] { writeFile(file, png); });
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QElapsedTimer timer;
    timer.start();
    manager->loadScreenshot(file);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }));
    EXPECT_GE(timer.elapsed(), 190);
    EXPECT_LT(timer.elapsed(), 600);
    spin(300);
    EXPECT_EQ(captured.count(), 1);
    EXPECT_EQ(captured.at(0).at(0).value<CapturedShot>().image.size(), QSize(300, 200));
}

TEST_F(CaptureManagerTest, AFileThatNeverBecomesAnImageIsGivenUpWithOneLine)
{
    const QString file = path(QStringLiteral("Screenshot bad.png"));
    ASSERT_TRUE(writeFile(file, QByteArray(1000, 'x')));
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    QElapsedTimer timer;
    timer.start();
    manager->loadScreenshot(file);
    ASSERT_TRUE(waitUntil([&] { return log.count(QStringLiteral("after retries")) == 1; }));
    // Sixteen attempts, 50 ms apart.
    EXPECT_GE(timer.elapsed(), 15 * CaptureManager::retryDelayMs);
    EXPECT_LT(timer.elapsed(), 2000);
    spin(200);
    EXPECT_EQ(log.count(QStringLiteral("Failed to load screenshot at file://")), 1);
    EXPECT_EQ(captured.count(), 0);
    EXPECT_TRUE(manager->recents().isEmpty());
}

TEST_F(CaptureManagerTest, PendingRetriesDieWithTheManager)
{
    const QString file = path(QStringLiteral("Screenshot gone.png"));
    ASSERT_TRUE(writeFile(file, {}));
    manager->loadScreenshot(file);
    manager.reset();
    spin(1000);
    EXPECT_EQ(log.count(QStringLiteral("after retries")), 0);
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
    EXPECT_FALSE(manager->pasteFromClipboard());
    EXPECT_EQ(imported.count(), 0);

    pasteboard.image = makeTestImage(10, 10);
    EXPECT_TRUE(manager->pasteFromClipboard());
    EXPECT_TRUE(manager->pasteFromClipboard());
    ASSERT_EQ(imported.count(), 2);
    const auto first = imported.at(0).at(0).value<CapturedShot>();
    const auto second = imported.at(1).at(0).value<CapturedShot>();
    EXPECT_NE(first.id, second.id);
    EXPECT_TRUE(first.filePath.isEmpty());
    EXPECT_EQ(manager->recents().size(), 2);
    EXPECT_EQ(captured.count(), 0);
}

TEST_F(CaptureManagerTest, ImportReadsAFileAndRefusesWhatIsNoImage)
{
    QSignalSpy imported(manager.get(), &CaptureManager::didImport);
    const QString good = path(QStringLiteral("photo.png"));
    ASSERT_TRUE(writePng(good, 30, 20));
    ASSERT_TRUE(writeFile(path(QStringLiteral("fake.png")), "<html>"));
    EXPECT_FALSE(manager->importFile(path(QStringLiteral("fake.png"))));
    EXPECT_FALSE(manager->importFile(path(QStringLiteral("missing.png"))));
    EXPECT_FALSE(manager->importFile(dir.path()));
    EXPECT_EQ(imported.count(), 0);
    EXPECT_EQ(log.count(QStringLiteral("cannot import")), 3);

    EXPECT_TRUE(manager->importFile(good));
    ASSERT_EQ(imported.count(), 1);
    const auto shot = imported.at(0).at(0).value<CapturedShot>();
    EXPECT_EQ(shot.image.size(), QSize(30, 20));
    EXPECT_EQ(shotFileName(shot), QStringLiteral("photo.png"));
    EXPECT_EQ(manager->recents().size(), 1);
}

TEST_F(CaptureManagerTest, ImagesWithDataAfterTheirEndImportAndArePickedUp)
{
    QSignalSpy imported(manager.get(), &CaptureManager::didImport);
    QSignalSpy captured(manager.get(), &CaptureManager::didCapture);
    const QImage image = makeTestImage(40, 30);
    // A motion photo's video after the JPEG, a maker's data after a PNG's IEND.
    const QString jpeg = path(QStringLiteral("motion.jpg"));
    const QString png = path(QStringLiteral("trailer.png"));
    ASSERT_TRUE(writeFile(jpeg, encodeImage(image, "jpg") + QByteArray(100 * 1024, '\xff')));
    ASSERT_TRUE(writeFile(png, encodeImage(image, "png") + QByteArray("tEXtmaker data")));
    EXPECT_TRUE(manager->importFile(jpeg));
    EXPECT_TRUE(manager->importFile(png));
    EXPECT_EQ(imported.count(), 2);

    manager->loadScreenshot(png);
    EXPECT_EQ(captured.count(), 1);

    const QString cut = path(QStringLiteral("cut.png"));
    const QByteArray bytes = encodeImage(image, "png");
    ASSERT_TRUE(writeFile(cut, bytes.left(bytes.size() - 20)));
    EXPECT_FALSE(manager->importFile(cut));
    EXPECT_EQ(imported.count(), 2);
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
    spin(400);
    EXPECT_EQ(captured.count(), 1);
    manager->acceptCapturedFile(file);
    spin(100);
    EXPECT_EQ(captured.count(), 1);
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
