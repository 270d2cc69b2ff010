#include "platform/ImageFile.h"
#include "support/ImageFiles.h"

#include <QElapsedTimer>
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

}
