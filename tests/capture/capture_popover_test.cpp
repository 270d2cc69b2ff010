// The tray popover's logic: what each row and button runs, what the rows and the Recent strip
// show as the shots and the hot keys change, and how it paints under each colour scheme.
#include "capture/CapturePopoverView.h"
#include "fakes/FakeColorSchemeProvider.h"
#include "fakes/FakeKeystrokePoster.h"
#include "platform/Keys.h"
#include "platform/KeystrokeScreenshotTool.h"
#include "support/CaptureParts.h"
#include "support/Wait.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

constexpr quint32 kPrint = 0xff61;
constexpr quint32 kSpace = 0x20;

// Keys whose window capture takes a second press, so the delayed step shows.
DesktopScreenshotKeys testKeys()
{
    DesktopScreenshotKeys keys;
    keys.options = { kPrint, 0 };
    keys.selection = { kPrint, CarbonModifier::shift };
    keys.window = { kPrint, CarbonModifier::option };
    keys.windowFollowUp = KeyChord { kSpace, 0 };
    keys.fullScreen = { kPrint, CarbonModifier::command };
    return keys;
}

QImage solid(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

class PopoverTest : public ::testing::Test {
protected:
    PopoverTest()
        : parts(dir.path())
    {
        auto fake = std::make_unique<FakeKeystrokePoster>();
        poster = fake.get();
        tool = std::make_unique<KeystrokeScreenshotTool>(std::move(fake), testKeys());
        CapturePopoverView::Actions actions;
        actions.pasteScreenshot = [this] { ++pastes; };
        actions.openShotInEditor = [this](const CapturedShot& shot) { opened.append(shot); };
        actions.openSettings = [this] { ++settingsOpened; };
        actions.quit = [this] { ++quits; };
        view = std::make_unique<CapturePopoverView>(*manager, *shortcuts, *tool, actions);
        view->show();
    }

    MenuCommandButton* row(const char* title) const
    {
        for (MenuCommandButton* button : view->commandRows()) {
            if (button->title() == QString::fromUtf8(title))
                return button;
        }
        ADD_FAILURE() << "no row " << title;
        return nullptr;
    }

    // Adds shots oldest first, so recents()[0] is the last one added.
    QList<CapturedShot> addShots(int count)
    {
        for (int i = 0; i < count; ++i)
            manager->addRecent(CapturedShot::make(solid({ 120, 80 }, QColor::fromHsv(i * 60, 200, 200))));
        return manager->recents();
    }

    QList<QUuid> thumbnailIds() const
    {
        QList<QUuid> ids;
        for (QAbstractButton* button : view->thumbnailButtons())
            ids.append(button->property("shotId").toUuid());
        return ids;
    }

    static void press(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    QTemporaryDir dir;
    CaptureParts parts;
    CaptureManager* manager = &parts.manager;
    CaptureShortcutStore* shortcuts = &parts.shortcuts;
    FakeKeystrokePoster* poster = nullptr;
    std::unique_ptr<KeystrokeScreenshotTool> tool;
    std::unique_ptr<CapturePopoverView> view;
    int pastes = 0;
    int settingsOpened = 0;
    int quits = 0;
    QList<CapturedShot> opened;
};

TEST_F(PopoverTest, ShortcutLabelsUseLinuxWordsAndFollowTheStore)
{
    // Rows 2-4 show the application's own hot keys; paste and open name Ctrl, not the other
    // platform's glyphs.
    QStringList labels;
    for (MenuCommandButton* button : view->commandRows())
        labels.append(button->shortcut().value_or(QStringLiteral("-")));
    EXPECT_EQ(labels,
        QStringList({ "-", "Ctrl+Shift+6", "Ctrl+Shift+7", "Ctrl+Shift+8", "Ctrl+V", "Ctrl+O", "-", "-" }));

    shortcuts->setShortcut({ 13, CarbonModifier::command | CarbonModifier::option, QStringLiteral("W") }, CaptureAction::window);
    EXPECT_EQ(row("Capture Window")->shortcut(), QStringLiteral("Ctrl+Alt+W"));
    EXPECT_EQ(row("Capture Selection")->shortcut(), QStringLiteral("Ctrl+Shift+6"));

    // A binding stored before the popover was made shows from the start.
    CapturePopoverView second(*manager, *shortcuts, *tool, {});
    EXPECT_EQ(second.commandRows()[2]->shortcut(), QStringLiteral("Ctrl+Alt+W"));
}

TEST_F(PopoverTest, CaptureRowsStartTheDesktopTool)
{
    press(row("Capture…"));
    press(row("Capture Selection"));
    press(row("Capture Full Screen"));
    ASSERT_EQ(poster->posted.size(), 3);
    EXPECT_EQ(poster->posted[0].chord, testKeys().options);
    EXPECT_EQ(poster->posted[1].chord, testKeys().selection);
    EXPECT_EQ(poster->posted[2].chord, testKeys().fullScreen);

    poster->posted.clear();
    press(row("Capture Window"));
    ASSERT_EQ(poster->posted.size(), 1);
    EXPECT_EQ(poster->posted[0].chord, testKeys().window);
    ASSERT_TRUE(waitUntil([&] { return poster->posted.size() == 2; }));
    EXPECT_EQ(poster->posted[1].chord, (KeyChord { kSpace, 0 }));
    EXPECT_GE(poster->posted[1].atMs - poster->posted[0].atMs, KeystrokeScreenshotTool::followUpDelayMs);
}

TEST_F(PopoverTest, WithoutAWayToStartTheToolCaptureRowsPostNothingAndSayWhyEveryTime)
{
    poster->trusted = false;
    QSignalSpy notices(tool.get(), &SystemScreenshotTool::unavailable);
    for (int round = 0; round < 2; ++round) {
        for (const char* title : { "Capture…", "Capture Selection", "Capture Window", "Capture Full Screen" })
            press(row(title));
    }
    spin(KeystrokeScreenshotTool::followUpDelayMs + 100); // no delayed second press either
    EXPECT_TRUE(poster->posted.isEmpty());
    ASSERT_EQ(notices.count(), 8);
    EXPECT_EQ(notices.at(0).at(0).toString(), QStringLiteral("no XTEST"));

    // The check is made at each press: once a way exists, the same row works.
    poster->trusted = true;
    press(row("Capture Selection"));
    EXPECT_EQ(poster->posted.size(), 1);
}

TEST_F(PopoverTest, ANoticeSaysWhatDoesNotWorkAndMakesRoomForItself)
{
    addShots(1);
    const int height = view->height();
    const QRect firstTile = view->thumbnailButtons().first()->geometry();
    const QRect lastRow = view->commandRows().last()->geometry();
    view->setNotice(QStringLiteral("Capture hot keys are unavailable: this Wayland desktop does not let "
                                   "applications take global shortcuts. Use the desktop's own screenshot key."));
    EXPECT_EQ(view->width(), CapturePopoverView::fixedWidth);
    const int grown = view->height() - height;
    EXPECT_GT(grown, 2 * QFontMetrics(view->font()).height()); // wrapped over several lines
    EXPECT_EQ(view->commandRows().last()->geometry(), lastRow);
    EXPECT_EQ(view->thumbnailButtons().first()->geometry(), firstTile.translated(0, grown));
    if (qEnvironmentVariableIsSet("LUMAFORGE_LOOK"))
        view->grab().save(QString::fromLocal8Bit(qgetenv("LUMAFORGE_LOOK")) + QStringLiteral("/popover-notice.png"));
    view->setNotice(QString());
    EXPECT_EQ(view->height(), height);
}

TEST_F(PopoverTest, RecentStripShowsTheThreeNewestAndAnEmptySlotForEachMissingShot)
{
    struct Expect {
        int shots, thumbnails, slots;
    };
    // Without shots "Edit Latest" is disabled, and does nothing even when run.
    press(row("Edit Latest"));
    view->editLatestCapture();
    EXPECT_TRUE(opened.isEmpty());

    for (const Expect& e : { Expect { 0, 0, 0 }, Expect { 1, 1, 2 }, Expect { 1, 2, 1 }, Expect { 2, 3, 0 } }) {
        // Shots accumulate: 0, then 1, 2 and 4 in all.
        const QList<CapturedShot> recents = addShots(e.shots);
        SCOPED_TRACE(recents.size());
        EXPECT_EQ(view->thumbnailButtons().size(), e.thumbnails);
        EXPECT_EQ(view->emptySlotCount(), e.slots);
        EXPECT_EQ(view->showsPlaceholder(), recents.isEmpty());
        EXPECT_EQ(view->openLatestButton()->isVisible(), !recents.isEmpty());
        EXPECT_EQ(row("Edit Latest")->isEnabled(), !recents.isEmpty());
        QList<QUuid> newest;
        for (qsizetype i = 0; i < std::min<qsizetype>(3, recents.size()); ++i)
            newest.append(recents[i].id);
        EXPECT_EQ(thumbnailIds(), newest);
    }
    // The popover's size does not jump with its content.
    EXPECT_EQ(view->size(), view->sizeHint());
    EXPECT_EQ(view->width(), CapturePopoverView::fixedWidth);

    // Tiles share the width equally and stay inside the popover.
    spin(10);
    const QList<QAbstractButton*> tiles = view->thumbnailButtons();
    EXPECT_LE(std::abs(tiles[0]->width() - tiles[2]->width()), 1);
    EXPECT_EQ(tiles[0]->height(), 68);
    EXPECT_LE(tiles[2]->geometry().right(), view->width() - 14);
}

TEST_F(PopoverTest, LatestShotOpensFromEditLatestOpenLatestAndItsThumbnail)
{
    const QList<CapturedShot> recents = addShots(4);
    press(row("Edit Latest"));
    press(view->openLatestButton());
    press(view->thumbnailButtons()[0]);
    press(view->thumbnailButtons()[2]);
    ASSERT_EQ(opened.size(), 4);
    EXPECT_EQ(opened[0], recents[0]);
    EXPECT_EQ(opened[1], recents[0]);
    EXPECT_EQ(opened[2], recents[0]);
    EXPECT_EQ(opened[3], recents[2]);
}

TEST_F(PopoverTest, ATileThatChangesTheShotsWhilePressedIsNotUsedAfterItGoes)
{
    addShots(2);
    // Opening a shot may bring a new one in (a drop, an import): the strip is rebuilt while the
    // pressed tile's click is still running.
    const QUuid pressed = manager->recents()[1].id;
    CapturePopoverView::Actions actions;
    actions.openShotInEditor = [this](const CapturedShot& shot) {
        manager->addRecent(CapturedShot::make(solid({ 40, 40 }, Qt::red)));
        opened.append(shot); // the shot handed over is still whole
    };
    CapturePopoverView rebuilding(*manager, *shortcuts, *tool, actions);
    rebuilding.show();
    press(rebuilding.thumbnailButtons()[1]);
    spin(20);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].id, pressed);
    EXPECT_EQ(opened[0].image.size(), QSize(120, 80));
    EXPECT_EQ(rebuilding.thumbnailButtons().size(), 3);
    EXPECT_EQ(rebuilding.emptySlotCount(), 0);
}

TEST_F(PopoverTest, OtherCommandsReachTheShellTheDialogAndTheFolder)
{
    press(row("Paste Screenshot"));
    press(view->settingsButton());
    press(view->quitButton());
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(view->settingsButton()->toolTip(), QStringLiteral("Settings"));

    press(row("Open File…"));
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<QFileDialog*>(widget); candidate && candidate->isVisible())
                dialog = candidate;
        }
        return dialog != nullptr;
    }));
    dialog->close();

    // Without xdg-open on the PATH the folder goes to Qt's launchers, where this handler takes it.
    UrlCatcher catcher;
    QTemporaryDir noLaunchers;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(noLaunchers.path()));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    press(row("Show Screenshots"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    qputenv("PATH", path);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_TRUE(catcher.opened[0].isLocalFile());
    EXPECT_EQ(catcher.opened[0].toLocalFile(), dir.path());

    // Nothing the popover runs closes it.
    EXPECT_TRUE(view->isVisible());
}

TEST_F(PopoverTest, OnlyAnEnabledRowLightsUnderThePointer)
{
    const auto hover = [](QWidget* widget, bool in) {
        if (in) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QCoreApplication::sendEvent(widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(widget, &leave);
        }
    };
    MenuCommandButton* paste = row("Paste Screenshot");
    MenuCommandButton* edit = row("Edit Latest");
    ASSERT_FALSE(edit->isEnabled());
    const QImage pasteAtRest = paste->grab().toImage();
    const QImage editAtRest = edit->grab().toImage();

    hover(paste, true);
    hover(edit, true);
    EXPECT_TRUE(edit->isHovering());
    ASSERT_TRUE(waitUntil([&] { return paste->hoverAmount() == 1.0; }, 1000));
    spin(50);
    EXPECT_NE(paste->grab().toImage(), pasteAtRest);
    EXPECT_EQ(edit->grab().toImage(), editAtRest);

    hover(paste, false);
    EXPECT_FALSE(paste->isHovering());
    ASSERT_TRUE(waitUntil([&] { return paste->hoverAmount() == 0.0; }, 1000));
    EXPECT_EQ(paste->grab().toImage(), pasteAtRest);
}

TEST(PopoverThumbnail, FillsTheTileCuttingWhatOverflowsWithoutDistortion)
{
    CaptureParts parts;
    NullScreenshotTool tool(QStringLiteral("test"));
    CapturePopoverView view(parts.manager, parts.shortcuts, tool, {});

    // A wide strip: red ends, a green middle exactly as wide as a 100 x 68 tile shows of it.
    QImage wide = solid({ 1000, 100 }, Qt::red);
    const int shown = qRound(100 / 0.68);
    for (int y = 0; y < 100; ++y) {
        for (int x = (1000 - shown) / 2; x < (1000 + shown) / 2; ++x)
            wide.setPixelColor(x, y, Qt::green);
    }
    const QImage tile = view.thumbnailFor(CapturedShot::make(wide), { 100, 68 }).toImage();
    ASSERT_EQ(tile.size(), QSize(100, 68));
    for (QPoint p : { QPoint(3, 3), QPoint(50, 34), QPoint(96, 64) })
        EXPECT_GT(tile.pixelColor(p).green(), 200) << p.x() << "," << p.y();

    // A screen-sized shot: a 2 x 2 checker of quadrants keeps its centre in the middle.
    QImage big = solid({ 3000, 2000 }, Qt::blue);
    for (int y = 0; y < 1000; ++y) {
        for (int x = 0; x < 1500; ++x)
            big.setPixelColor(x, y, Qt::yellow);
    }
    const CapturedShot shot = CapturedShot::make(big);
    const QPixmap first = view.thumbnailFor(shot, { 90, 68 });
    const QImage quartered = first.toImage();
    EXPECT_GT(quartered.pixelColor(20, 15).red(), 200); // yellow top left
    EXPECT_GT(quartered.pixelColor(70, 50).blue(), 200); // blue bottom right
    EXPECT_EQ(view.thumbnailFor(shot, { 90, 68 }).cacheKey(), first.cacheKey());
}

TEST(PopoverAppearance, PaintsInTheSchemeItIsShownIn)
{
    FakeColorSchemeProvider scheme(ColorScheme::light);
    ColorSchemeProvider::setShared(&scheme);
    CaptureParts parts;
    NullScreenshotTool tool(QStringLiteral("test"));
    CapturePopoverView view(parts.manager, parts.shortcuts, tool, {});
    view.show();

    // Inside the rounded background, beside the rows' group.
    const QPoint background(8, 60);
    const auto sample = [&](QPoint p) { return view.grab().toImage().pixelColor(p); };
    EXPECT_GT(sample(background).lightness(), 200);
    scheme.set(ColorScheme::dark);
    spin(20);
    EXPECT_LT(sample(background).lightness(), 80);
    ColorSchemeProvider::setShared(nullptr);
}

}

#include "capture_popover_test.moc"

// Recent shots are kept as small previews plus their compressed full form; what opens from the
// popover is still the whole shot, pixel for pixel.
TEST_F(PopoverTest, ARecentShotOpensAtFullResolutionAfterItWasCompressed)
{
    QImage shot(2880, 1800, QImage::Format_RGB32);
    for (int y = 0; y < shot.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(shot.scanLine(y));
        for (int x = 0; x < shot.width(); ++x)
            row[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
    }
    manager->addRecent(CapturedShot::make(shot));
    ASSERT_TRUE(waitUntil([&] { return manager->recents().constFirst().image.width() <= CaptureManager::previewSide; },
        CaptureManager::compressDelayMs + 5000));
    EXPECT_EQ(manager->recents().constFirst().image.size(), QSize(640, 400));

    press(view->thumbnailButtons()[0]);
    ASSERT_TRUE(waitUntil([&] { return opened.size() == 1; }));
    EXPECT_EQ(opened[0], manager->recents().constFirst());
    EXPECT_EQ(opened[0].image.size(), shot.size());
    EXPECT_EQ(opened[0].image.convertToFormat(QImage::Format_RGB32), shot);
}
