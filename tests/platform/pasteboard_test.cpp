// The pasteboard's reading rules over Qt's in-process clipboard.
#include "platform/QtPasteboard.h"
#include "support/ImageFiles.h"
#include "support/LogCapture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QUrl>
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

void offer(const QByteArray& png, const QList<QUrl>& urls)
{
    auto* mime = new QMimeData;
    if (!png.isNull())
        mime->setData(QStringLiteral("image/png"), png);
    if (!urls.isEmpty())
        mime->setUrls(urls);
    QGuiApplication::clipboard()->setMimeData(mime);
}

TEST(PasteboardTest, ReadsImageDataElseTheFirstLocalImageFile)
{
    QtPasteboard pasteboard(QGuiApplication::clipboard());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("copied.png"));
    ASSERT_TRUE(writePng(file, 33, 22));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("notes.txt")), "text"));

    offer(encodeImage(makeTestImage(11, 7)), {});
    EXPECT_EQ(pasteboard.readImage().size(), QSize(11, 7));

    // Remote URLs are never fetched and non-image files are passed over.
    offer({}, { QUrl(QStringLiteral("https://example.com/a.png")), QUrl::fromLocalFile(dir.filePath(QStringLiteral("notes.txt"))),
                  QUrl::fromLocalFile(file) });
    EXPECT_EQ(pasteboard.readImage().size(), QSize(33, 22));

    offer({}, { QUrl(QStringLiteral("https://example.com/a.png")) });
    EXPECT_TRUE(pasteboard.readImage().isNull());
}

TEST(PasteboardTest, ABrokenFirstImageIsNotReplacedByAnother)
{
    QtPasteboard pasteboard(QGuiApplication::clipboard());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fine.png"));
    ASSERT_TRUE(writePng(file));
    LogCapture log;
    offer("\x89PNG\r\n\x1a\n broken", { QUrl::fromLocalFile(file) });
    EXPECT_TRUE(pasteboard.readImage().isNull());
    EXPECT_EQ(log.count(QStringLiteral("cannot be read")), 1);
}

TEST(PasteboardTest, WritesOneImageEncodedOnceOffTheGuiThread)
{
    std::atomic<int> encodes { 0 };
    std::atomic<bool> onGuiThread { false };
    QThread* gui = QThread::currentThread();
    QtPasteboard pasteboard(QGuiApplication::clipboard(), [&](const QImage& image) {
        ++encodes;
        onGuiThread = QThread::currentThread() == gui;
        return encodePngWithQt(image);
    });
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    const QImage image = makeTestImage(40, 30);
    pasteboard.writeImage(image);
    EXPECT_TRUE(pasteboard.ownsClipboard());
    // A reader asking before a worker picked the encode up would run it itself (Qt steals queued
    // tasks it waits for); let the worker take it, as it does whenever the pool is free.
    ASSERT_TRUE(waitUntil([&] { return encodes == 1; }));
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(mime->formats(), QStringList({ "image/png", "application/x-qt-image" }));
    EXPECT_FALSE(mime->hasText());
    EXPECT_EQ(pasteboard.readImage(), image);
    const QByteArray png = mime->data(QStringLiteral("image/png"));
    EXPECT_EQ(QImage::fromData(png).convertToFormat(QImage::Format_RGB32), image);
    mime->data(QStringLiteral("image/png"));
    EXPECT_EQ(encodes, 1);
    EXPECT_FALSE(onGuiThread);

    QGuiApplication::clipboard()->setText(QStringLiteral("someone else"));
    EXPECT_FALSE(pasteboard.ownsClipboard());
    EXPECT_TRUE(pasteboard.writtenPng().isEmpty());
}

}
