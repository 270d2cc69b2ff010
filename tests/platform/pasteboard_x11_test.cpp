// The pasteboard on a real X server, with xclip as the other application.
#include "platform/QtPasteboard.h"
#include "support/ImageFiles.h"
#include "support/Wait.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Runs xclip without blocking the event loop, which must serve its requests meanwhile.
QByteArray xclip(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xclip"), QStringList { QStringLiteral("-selection"), QStringLiteral("clipboard") } + arguments);
    if (!process.waitForStarted(3000))
        return "xclip did not start";
    waitUntil([&] { return process.state() == QProcess::NotRunning; }, 5000);
    return process.readAllStandardOutput();
}

class PasteboardX11Test : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Taking the clipboard back ends any xclip still serving it.
        pasteboard.writeImage(makeTestImage(2, 2));
        spin(100);
    }
    QtPasteboard pasteboard { QGuiApplication::clipboard() };
    QTemporaryDir dir;
};

TEST_F(PasteboardX11Test, OtherApplicationsGetThePngAndTakingTheClipboardEndsOurs)
{
    const QImage image = makeTestImage(320, 200);
    pasteboard.writeImage(image);
    EXPECT_TRUE(pasteboard.ownsClipboard());
    const QByteArray targets = xclip({ QStringLiteral("-t"), QStringLiteral("TARGETS"), QStringLiteral("-o") });
    EXPECT_TRUE(targets.contains("image/png")) << targets.constData();
    const QByteArray png = xclip({ QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-o") });
    EXPECT_EQ(QImage::fromData(png, "png").convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(png, pasteboard.writtenPng());

    const QString text = dir.filePath(QStringLiteral("text.txt"));
    ASSERT_TRUE(writeFile(text, "hello"));
    xclip({ QStringLiteral("-i"), text });
    EXPECT_TRUE(waitUntil([&] { return !pasteboard.ownsClipboard(); }, 3000));
}

TEST_F(PasteboardX11Test, ReadsAnImageOrAnImageFileAnotherApplicationCopied)
{
    const QString file = dir.filePath(QStringLiteral("copied.png"));
    ASSERT_TRUE(writePng(file, 90, 60));
    xclip({ QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-i"), file });
    QImage read;
    // Until xclip has taken the clipboard over, our own earlier image is still what reads back.
    EXPECT_TRUE(waitUntil([&] { return (read = pasteboard.readImage()).size() == QSize(90, 60); }, 3000));
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), makeTestImage(90, 60));

    const QString other = dir.filePath(QStringLiteral("other.png"));
    ASSERT_TRUE(writePng(other, 70, 50));
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    ASSERT_TRUE(writeFile(list, QUrl::fromLocalFile(other).toEncoded() + "\r\n"));
    xclip({ QStringLiteral("-t"), QStringLiteral("text/uri-list"), QStringLiteral("-i"), list });
    EXPECT_TRUE(waitUntil([&] { return pasteboard.readImage().size() == QSize(70, 50); }, 3000));
}

}
