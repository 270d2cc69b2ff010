#include "image/ImageFile.h"
#include "support/ImageFiles.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ImageFileTest, TruncatedDataIsIncompleteNotAGreyImage)
{
    const QImage image = makeTestImage(120, 90);
    for (const char* format : { "png", "jpg" }) {
        const QByteArray bytes = encodeImage(image, format);
        for (qsizetype cut : { qsizetype(0), qsizetype(20), bytes.size() / 2, bytes.size() - 3 }) {
            const auto result = ImageFile::decode(bytes.left(cut));
            EXPECT_FALSE(result.ok()) << format << " " << cut;
            EXPECT_TRUE(result.incomplete) << format << " " << cut;
        }
        const auto whole = ImageFile::decode(bytes);
        ASSERT_TRUE(whole.ok()) << format;
        EXPECT_EQ(whole.image.size(), image.size());
    }
    // Padding after a JPEG's end marker is accepted.
    EXPECT_TRUE(ImageFile::decode(encodeImage(image, "jpg") + QByteArray(16, '\0')).ok());
}

// Bytes that look like markers and chunks, as an appended video or maker trailer holds.
QByteArray trailer(qsizetype size)
{
    QByteArray bytes;
    const QByteArray pattern("\xff\xd9\x00\xff\xda\xff" "IEND\x12\x34" "ftypmp42", 18);
    while (bytes.size() < size)
        bytes += pattern;
    return bytes.left(size);
}

QByteArray progressiveJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    return bytes;
}

TEST(ImageFileTest, DataAfterTheImagesEndIsAcceptedButAShortImageIsNot)
{
    const QImage image = makeTestImage(120, 90);
    const QByteArray png = encodeImage(image, "png");
    const QByteArray jpeg = encodeImage(image, "jpg");
    const QByteArray progressive = progressiveJpeg(image);
    for (const QByteArray& whole : { png, jpeg, progressive }) {
        for (qsizetype extra : { qsizetype(1), qsizetype(100 * 1024) }) {
            const auto result = ImageFile::decode(whole + trailer(extra));
            ASSERT_TRUE(result.ok()) << extra << " " << result.error.toStdString();
            EXPECT_EQ(result.image.size(), image.size());
        }
        // Cut inside the image data: still refused, whatever the cut lands on.
        for (qsizetype cut : { whole.size() / 3, whole.size() - 2 })
            EXPECT_TRUE(ImageFile::decode(whole.left(cut)).incomplete) << cut;
    }
    // A PNG cut inside a chunk whose length claims more than is there.
    EXPECT_TRUE(ImageFile::decode(png.left(40)).incomplete);
}

// A decompression bomb is refused from its header, before a pixel is decoded; an image at the
// limit is read.
TEST(ImageFileTest, ImagesPastOneHundredMegapixelsAreRefusedFromTheirHeader)
{
    const QByteArray bomb = flatPng(16000, 16000);
    EXPECT_LT(bomb.size(), 1024 * 1024);
    QElapsedTimer timer;
    timer.start();
    const auto refused = ImageFile::decode(bomb);
    EXPECT_LT(timer.elapsed(), 200);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.permanent);
    EXPECT_EQ(refused.error, QStringLiteral("it is 16000 × 16000 pixels, more than the 100 megapixels Lumaforge opens"));
    // Other formats say their size in their header too.
    QImage wide(10001, 10000, QImage::Format_Mono);
    wide.fill(0);
    EXPECT_TRUE(ImageFile::decode(encodeImage(wide, "bmp")).permanent);
    const auto atLimit = ImageFile::decode(flatPng(10000, 10000));
    ASSERT_TRUE(atLimit.ok()) << atLimit.error.toStdString();
    EXPECT_EQ(atLimit.image.size(), QSize(10000, 10000));
}

// Waiting cannot mend a complete but damaged image, nor bytes no image begins with; it can mend
// what stops short.
TEST(ImageFileTest, DamagedImagesAndNonImagesArePermanentFailures)
{
    QByteArray damaged = encodeImage(makeTestImage(200, 200), "png");
    for (qsizetype i = 60; i < damaged.size() - 20; i += 7)
        damaged[i] = char(damaged[i] ^ 0x5a);
    const auto broken = ImageFile::decode(damaged);
    EXPECT_FALSE(broken.ok());
    EXPECT_TRUE(broken.permanent);
    EXPECT_FALSE(broken.incomplete);
    const auto words = ImageFile::decode(QByteArray("no image begins with words like these\n").repeated(4));
    EXPECT_TRUE(words.permanent);
    const QByteArray jpeg = encodeImage(makeTestImage(200, 200), "jpg");
    EXPECT_FALSE(ImageFile::decode(jpeg.left(jpeg.size() / 2)).permanent);
}

TEST(ImageFileTest, GarbageIsRefusedWithAReason)
{
    const auto result = ImageFile::decode("GIF89a but not really");
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_FALSE(result.permanent);
}

TEST(ImageFileTest, OnlyRegularFilesAreReadAndNothingBlocks)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.png"));
    ASSERT_TRUE(writePng(good));
    EXPECT_TRUE(ImageFile::read(good).ok());

    const QString link = dir.filePath(QStringLiteral("link.png"));
    ASSERT_EQ(::symlink(QFile::encodeName(good).constData(), QFile::encodeName(link).constData()), 0);
    EXPECT_TRUE(ImageFile::read(link, ImageFile::Links::follow).ok());
    const auto refused = ImageFile::read(link, ImageFile::Links::refuse);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.permanent);

    const QString fifo = dir.filePath(QStringLiteral("fifo.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    const auto fromFifo = ImageFile::read(fifo);
    EXPECT_FALSE(fromFifo.ok());
    EXPECT_TRUE(fromFifo.permanent);
    EXPECT_FALSE(ImageFile::read(dir.path()).ok());
    EXPECT_LT(timer.elapsed(), 1000);

    const auto missing = ImageFile::read(dir.filePath(QStringLiteral("missing.png")));
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.incomplete);
}

TEST(ImageFileTest, EnormousFilesAndImagesAreRefusedWithoutReadingThem)
{
    QTemporaryDir dir;
    // A sparse file bigger than the limit: refused by its size alone.
    const QString big = dir.filePath(QStringLiteral("big.png"));
    ASSERT_TRUE(writeFile(big, "x"));
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), ImageFile::maxFileBytes + 1), 0);
    const auto tooLarge = ImageFile::read(big);
    EXPECT_FALSE(tooLarge.ok());
    EXPECT_TRUE(tooLarge.permanent);

    // A small PNG whose header claims 60000 x 60000 pixels: refused by the allocation limit.
    QByteArray png = encodeImage(makeTestImage(4, 4));
    auto putBigEndian = [&](int offset, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[offset + i] = char((value >> (24 - 8 * i)) & 0xff);
    };
    putBigEndian(16, 60000);
    putBigEndian(20, 60000);
    EXPECT_FALSE(ImageFile::decode(png).ok());
}


qsizetype keptText(const QImage& image)
{
    qsizetype total = 0;
    for (const QString& key : image.textKeys())
        total += image.text(key).size();
    return total;
}

// A JPEG with `count` comment segments of 64 KiB each right after its start.
QByteArray jpegWithComments(const QByteArray& jpeg, int count)
{
    QByteArray segment("\xff\xfe\xff\xff", 4);
    segment += QByteArray(0xffff - 2, 'c');
    return jpeg.left(2) + segment.repeated(count) + jpeg.mid(2);
}

// Text is no part of a shot, and a recent shot keeps its image all day: a writer's megabytes of
// text, or a few kilobytes that inflate to gigabytes, must not come with it.
TEST(ImageFileTest, TextsOfAnyFormAreNotKept)
{
    const QImage image = makeTestImage(120, 90);
    const QByteArray fast = encodeImage(image, "png"); // read by our own decoder
    const QByteArray deep = encodeImage(image.convertToFormat(QImage::Format_RGBA64), "png"); // 16-bit: Qt's reader
    const QByteArray plain = QByteArray("Comment", 8) + QByteArray(16 * 1024 * 1024, 'x');
    // Each inflates to 7 MB, within what libpng inflates: 32 of them make 224 MB of text (twice
    // that as Qt keeps it) from a quarter of a megabyte.
    const QByteArray inflating = zlibCompressed(QByteArray(7000000, 'a'));
    const QList<QByteArray> zTXt(32, QByteArray("Comment\0\0", 9) + inflating);
    const QList<QByteArray> iTXt(32, QByteArray("Comment\0\x01\0\0\0", 12) + inflating);
    for (const QByteArray& png : { fast, deep }) {
        for (const QByteArray& withText : { withChunks(png, "tEXt", { plain }), withChunks(png, "zTXt", zTXt),
                 withChunks(png, "iTXt", iTXt) }) {
            QElapsedTimer timer;
            timer.start();
            const ImageFile::Result result = ImageFile::decode(withText);
            ASSERT_TRUE(result.ok()) << result.error.toStdString();
            EXPECT_EQ(result.image.convertToFormat(QImage::Format_RGB32), image);
            EXPECT_EQ(keptText(result.image), 0);
            EXPECT_LT(timer.elapsed(), 2000);
        }
    }

    const ImageFile::Result jpeg = ImageFile::decode(jpegWithComments(encodeImage(image, "jpg"), 256));
    ASSERT_TRUE(jpeg.ok()) << jpeg.error.toStdString();
    EXPECT_EQ(jpeg.image.size(), image.size());
    EXPECT_EQ(keptText(jpeg.image), 0);
}
}
