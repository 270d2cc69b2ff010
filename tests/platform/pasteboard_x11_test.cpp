// The pasteboard on a real X server, with xclip as the other application, and a stand-in for a
// program that takes the clipboard and then lets the reader down.
#include "platform/QtPasteboard.h"
#include "support/ClipboardOwnerStandIn.h"
#include "support/ImageFiles.h"
#include "support/Wait.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>

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

// What readImageLater hands over, waited for while the event loop runs; and the longest the loop
// went without turning meanwhile.
struct LaterRead {
    std::optional<Pasteboard::Read> read;
    qint64 tookMs = 0;
    qint64 longestGapMs = 0;
};
LaterRead readLater(QtPasteboard& pasteboard)
{
    LaterRead result;
    QElapsedTimer clock, sinceTick;
    clock.start();
    sinceTick.start();
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] { result.longestGapMs = std::max(result.longestGapMs, sinceTick.restart()); });
    ticks.start(5);
    QObject context;
    pasteboard.readImageLater(&context, [&](Pasteboard::Read read) { result.read = read; });
    waitUntil([&] { return result.read.has_value(); }, 3 * QtPasteboard::ownerTimeoutMs);
    result.tookMs = clock.elapsed();
    return result;
}

TEST_F(PasteboardX11Test, ReadsLaterWhatAnotherApplicationCopied)
{
    // Until xclip has taken the clipboard over, what was there before is still what reads back.
    LaterRead later;
    const auto readUntil = [&](const std::function<bool(const Pasteboard::Read&)>& wanted) {
        return waitUntil([&] { return (later = readLater(pasteboard)).read && wanted(*later.read); }, 3000);
    };
    const QString file = dir.filePath(QStringLiteral("copied.png"));
    ASSERT_TRUE(writePng(file, 90, 60));
    xclip({ QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-i"), file });
    ASSERT_TRUE(readUntil([](const Pasteboard::Read& read) { return read.image.size() == QSize(90, 60); }));
    EXPECT_EQ(later.read->image.convertToFormat(QImage::Format_RGB32), makeTestImage(90, 60));
    EXPECT_TRUE(later.read->failure.isEmpty());

    // A list of files: the first image file among them.
    const QString other = dir.filePath(QStringLiteral("other.png"));
    ASSERT_TRUE(writePng(other, 70, 50));
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    ASSERT_TRUE(writeFile(list, "# copied\r\n" + QUrl::fromLocalFile(other).toEncoded() + "\r\n"));
    xclip({ QStringLiteral("-t"), QStringLiteral("text/uri-list"), QStringLiteral("-i"), list });
    EXPECT_TRUE(readUntil([](const Pasteboard::Read& read) { return read.image.size() == QSize(70, 50); }));

    // Text is no image, and nothing went wrong.
    xclip({ QStringLiteral("-i"), list });
    ASSERT_TRUE(readUntil([](const Pasteboard::Read& read) { return read.image.isNull(); }));
    EXPECT_TRUE(later.read->failure.isEmpty());

    // Our own copy answers at once.
    pasteboard.writeImage(makeTestImage(30, 20));
    later = readLater(pasteboard);
    ASSERT_TRUE(later.read);
    EXPECT_EQ(later.read->image.size(), QSize(30, 20));
}

// An owner that never answers, or one that goes away half-way through a large transfer: the
// reader says so, and the event loop keeps turning all the while.
TEST_F(PasteboardX11Test, AnOwnerThatStallsOrDiesIsSaidWithoutHoldingTheEventLoop)
{
    {
        ClipboardOwnerStandIn owner(ClipboardOwnerStandIn::Behaviour::neverAnswers);
        ASSERT_TRUE(owner.ownsClipboard());
        ASSERT_TRUE(waitUntil([&] { return !pasteboard.ownsClipboard(); }, 3000));
        const LaterRead later = readLater(pasteboard);
        ASSERT_TRUE(later.read);
        EXPECT_TRUE(later.read->image.isNull());
        EXPECT_EQ(later.read->failure, QStringLiteral("The program holding the clipboard stopped answering"));
        EXPECT_GE(owner.requests(), 1);
        EXPECT_GE(later.tookMs, QtPasteboard::ownerTimeoutMs - 100);
        EXPECT_LT(later.longestGapMs, 100);
    }
    {
        ClipboardOwnerStandIn owner(ClipboardOwnerStandIn::Behaviour::diesMidTransfer);
        ASSERT_TRUE(owner.ownsClipboard());
        const LaterRead later = readLater(pasteboard);
        ASSERT_TRUE(later.read);
        EXPECT_TRUE(later.read->image.isNull());
        EXPECT_EQ(later.read->failure, QStringLiteral("The program that copied the image stopped answering"));
        EXPECT_EQ(owner.piecesSent(), 3);
        // Its going away is seen at once, not after the bound.
        EXPECT_LT(later.tookMs, QtPasteboard::ownerTimeoutMs);
        EXPECT_LT(later.longestGapMs, 100);
    }
}

}
