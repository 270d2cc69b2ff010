#include "editor_window/DroppedImage.h"
#include "editor_window/EmptyStateView.h"

#include "capture/CaptureManager.h"
#include "capture/ScreenshotWatcher.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenshotSettings.h"
#include "support/ImageFiles.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QMimeData* withUrls(const QList<QUrl>& urls)
{
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A PNG whose header says 30000 x 30000: any reader must refuse it before allocating.
QByteArray enormousPngHeader()
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr("IHDR");
    for (const quint32 v : { 30000u, 30000u })
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr.append(char((v >> shift) & 0xFF));
    ihdr.append(QByteArray("\x08\x06\x00\x00\x00", 5));
    const auto chunk = [&](const QByteArray& body) {
        const quint32 len = quint32(body.size() - 4);
        for (int shift = 24; shift >= 0; shift -= 8)
            png.append(char((len >> shift) & 0xFF));
        png.append(body);
        const quint32 crc = crc32(body);
        for (int shift = 24; shift >= 0; shift -= 8)
            png.append(char((crc >> shift) & 0xFF));
    };
    chunk(ihdr);
    chunk(QByteArray("IEND"));
    return png;
}

struct EmptyStateKit : ::testing::Test {
    QTemporaryDir dir;
    FakeScreenshotSettings screenshotSettings;
    FakePasteboard pasteboard;
    std::unique_ptr<CaptureManager> capture;
    std::unique_ptr<EmptyStateView> view;
    QStringList toasts;
    QStringList events; // what the capture manager saw, in order
    QList<CapturedShot> imported;
    int pastes = 0;
    int privacyOpens = 0;

    void SetUp() override
    {
        screenshotSettings.folder = dir.path();
        capture = std::make_unique<CaptureManager>(screenshotSettings, pasteboard);
        QObject::connect(capture.get(), &CaptureManager::recentsChanged, [this] { events.append(QStringLiteral("recent")); });
        QObject::connect(capture.get(), &CaptureManager::didImport, [this](const CapturedShot& shot) {
            events.append(QStringLiteral("import"));
            imported.append(shot);
        });
        EmptyStateView::Hooks hooks;
        hooks.paste = [this] { ++pastes; };
        hooks.openPrivacySettings = [this] { ++privacyOpens; };
        hooks.failureToast = [this](const QString& message) { toasts.append(message); };
        view = std::make_unique<EmptyStateView>(*capture, hooks);
        view->resize(900, 640);
    }

    // Drops `mime` the way a drag does and waits for the loader's verdict.
    bool drop(QMimeData* mime)
    {
        std::unique_ptr<QMimeData> owned(mime);
        QDragEnterEvent enter(QPoint(450, 320), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &enter);
        QSignalSpy loaded(view.get(), &EmptyStateView::dropLoaded);
        QDropEvent dropEvent(QPointF(450, 320), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &dropEvent);
        if (dropEvent.isAccepted())
            loaded.wait(5000);
        return dropEvent.isAccepted();
    }
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }
};

}

TEST(DroppedImage, DecidesFromTheFirstItemAndNeverTheNetwork)
{
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_EQ(DroppedImage::decide(text).kind, DroppedImage::Kind::none);
    EXPECT_FALSE(DroppedImage::accepts(text));

    QMimeData image;
    image.setData(QStringLiteral("image/png"), encodeImage(makeTestImage()));
    image.setUrls({ QUrl::fromLocalFile(QStringLiteral("/tmp/also-here.png")) });
    const DroppedImage fromData = DroppedImage::decide(image);
    EXPECT_EQ(fromData.kind, DroppedImage::Kind::imageData); // the image wins over its URL
    EXPECT_EQ(fromData.load().image.size(), QSize(64, 48));

    QMimeData local;
    local.setUrls({ QUrl::fromLocalFile(QStringLiteral("/tmp/a.png")), QUrl(QStringLiteral("https://example.com/b.png")) });
    EXPECT_EQ(DroppedImage::decide(local).kind, DroppedImage::Kind::localFile);
    EXPECT_EQ(DroppedImage::decide(local).path, QStringLiteral("/tmp/a.png"));

    QMimeData remote;
    remote.setUrls({ QUrl(QStringLiteral("https://example.com/b.png")), QUrl::fromLocalFile(QStringLiteral("/tmp/a.png")) });
    const DroppedImage refused = DroppedImage::decide(remote);
    EXPECT_EQ(refused.kind, DroppedImage::Kind::remote);
    EXPECT_FALSE(refused.load().ok());
}

TEST_F(EmptyStateKit, ADroppedFileJoinsTheRecentsThenOpens)
{
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(writePng(path, 120, 80));
    EXPECT_TRUE(drop(withUrls({ QUrl::fromLocalFile(path), QUrl::fromLocalFile(dir.filePath(QStringLiteral("x.png"))) })));
    EXPECT_EQ(events, (QStringList { QStringLiteral("recent"), QStringLiteral("import") }));
    ASSERT_EQ(imported.size(), 1);
    EXPECT_EQ(imported.first().image.size(), QSize(120, 80));
    EXPECT_EQ(imported.first().filePath, path);
    EXPECT_TRUE(toasts.isEmpty());
    EXPECT_FALSE(view->targeted());

    // Image data keeps no file.
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/png"), encodeImage(makeTestImage(30, 20)));
    EXPECT_TRUE(drop(mime));
    ASSERT_EQ(imported.size(), 2);
    EXPECT_TRUE(imported.last().filePath.isEmpty());
}

TEST_F(EmptyStateKit, BadDropsSayWhyAndImportNothing)
{
    const QByteArray png = encodeImage(makeTestImage(200, 150));
    QDir(dir.path()).mkdir(QStringLiteral("folder.png"));
    const QList<QString> bad {
        dir.filePath(QStringLiteral("folder.png")),
        file(QStringLiteral("empty.png"), {}),
        file(QStringLiteral("truncated.png"), png.left(png.size() / 2)),
        file(QStringLiteral("notes.png"), QByteArray("just some text, not an image\n")),
        file(QStringLiteral("huge.png"), enormousPngHeader()),
    };
    for (const QString& path : bad) {
        SCOPED_TRACE(path.toStdString());
        toasts.clear();
        QElapsedTimer clock;
        clock.start();
        drop(withUrls({ QUrl::fromLocalFile(path) }));
        EXPECT_LT(clock.elapsed(), 3000);
        ASSERT_EQ(toasts.size(), 1);
        // The file's name and the reason, in the words the intake uses.
        EXPECT_TRUE(toasts.first().startsWith(QStringLiteral("Couldn't open %1: ").arg(QFileInfo(path).fileName()))) << toasts.first().toStdString();
    }
    EXPECT_TRUE(toasts.first().endsWith(QStringLiteral("more than the 100 megapixels Lumaforge opens"))) << toasts.first().toStdString();
    toasts.clear();
    EXPECT_FALSE(drop(withUrls({ QUrl(QStringLiteral("https://example.com/shot.png")) })));
    EXPECT_EQ(toasts.size(), 1);
    EXPECT_TRUE(imported.isEmpty());
    EXPECT_TRUE(capture->recents().isEmpty());
}

TEST_F(EmptyStateKit, DragHoverAndButtons)
{
    view->show();
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.png"))) });
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(view->targeted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(view.get(), &leave);
    EXPECT_FALSE(view->targeted());
    QMimeData text;
    text.setText(QStringLiteral("words"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &refused);
    EXPECT_FALSE(view->targeted());

    view->finishAnimations();
    QTest::mouseClick(view->pasteButton(), Qt::LeftButton);
    EXPECT_EQ(pastes, 1);
    EXPECT_GE(view->minimumWidth(), 720);
    EXPECT_GE(view->minimumHeight(), 520);
}

TEST_F(EmptyStateKit, NoticeFollowsTheFolderAccess)
{
    view->show();
    view->finishAnimations();
    EXPECT_FALSE(view->notice()->isVisible());
    ScreenshotWatcher& watcher = capture->watcher();
    watcher.setLister([](const QString&) {
        ScreenshotWatcher::Listing listing;
        listing.status = ScreenshotWatcher::Listing::Status::denied;
        listing.error = QStringLiteral("Permission denied");
        return listing;
    });
    watcher.start();
    ASSERT_TRUE(waitUntil([&] { return capture->desktopPermissionDenied(); }));
    ASSERT_TRUE(waitUntil([&] { return view->notice()->isVisible(); }));
    view->finishAnimations();
    QTest::mouseClick(view->noticeButton(), Qt::LeftButton);
    EXPECT_EQ(privacyOpens, 1);
}

namespace {
// Drag data that counts what is asked of it, as a drag from another program would transfer it.
class CountingMime : public QMimeData {
public:
    mutable QStringList fetched;

protected:
    QVariant retrieveData(const QString& type, QMetaType metaType) const override
    {
        fetched.append(type);
        return QMimeData::retrieveData(type, metaType);
    }
};
}

TEST_F(EmptyStateKit, DragEnterDecidesFromTheOfferedTypesWithoutFetchingTheImage)
{
    const auto enter = [&](QMimeData* mime) {
        QDragEnterEvent event(QPoint(450, 320), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        event.setDropAction(Qt::IgnoreAction);
        event.ignore();
        QApplication::sendEvent(view.get(), &event);
        return event.isAccepted();
    };
    CountingMime offered;
    offered.setData(QStringLiteral("image/png"), encodeImage(makeTestImage()));
    offered.fetched.clear();
    EXPECT_TRUE(enter(&offered));
    EXPECT_FALSE(offered.fetched.contains(QStringLiteral("image/png")));

    // A file or web address is taken on its URL; the drop reads or refuses it, saying why.
    std::unique_ptr<QMimeData> local(withUrls({ QUrl::fromLocalFile(file(QStringLiteral("notes.png"), "text\n")) }));
    EXPECT_TRUE(enter(local.get()));
    EXPECT_FALSE(enter(std::make_unique<QMimeData>().get()));
    std::unique_ptr<QMimeData> remote(withUrls({ QUrl(QStringLiteral("https://example.com/shot.png")) }));
    EXPECT_TRUE(enter(remote.get()));
}
