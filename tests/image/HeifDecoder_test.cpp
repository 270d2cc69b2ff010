// HEIC files as phones and screenshot tools write them (tests/data/heic, see its README), and the
// same files cut short, damaged or claiming an enormous size.
#include "image/HeifCodedSize.h"
#include "image/HeifDecoder.h"
#include "image/ImageFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QByteArray heic(const char* name)
{
    QFile file(QStringLiteral(LUMAFORGE_TEST_DATA_DIR "/heic/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QRgb red = qRgb(230, 30, 30), green = qRgb(30, 200, 60), blue = qRgb(40, 70, 230), white = qRgb(250, 250, 250);

// Lossy coding moves a flat colour by a few levels at most.
::testing::AssertionResult near(QRgb actual, QRgb expected, int alpha = 255)
{
    const int d = std::abs(qRed(actual) - qRed(expected)) + std::abs(qGreen(actual) - qGreen(expected))
        + std::abs(qBlue(actual) - qBlue(expected));
    if (d <= 24 && std::abs(qAlpha(actual) - alpha) <= 8)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << qRed(actual) << "," << qGreen(actual) << "," << qBlue(actual) << " alpha "
                                         << qAlpha(actual);
}

// The corners of the four quadrants, away from their edges, clockwise from the top left.
QList<QRgb> corners(const QImage& image)
{
    const int w = image.width(), h = image.height();
    return { image.pixel(4, 4), image.pixel(w - 5, 4), image.pixel(w - 5, h - 5), image.pixel(4, h - 5) };
}

// Every image-spatial-extent box (the declared size) set to width x height.
QByteArray declaring(QByteArray data, quint32 width, quint32 height)
{
    for (qsizetype at = data.indexOf("ispe"); at >= 0; at = data.indexOf("ispe", at + 1)) {
        qToBigEndian(width, data.data() + at + 8);
        qToBigEndian(height, data.data() + at + 12);
    }
    return data;
}

}

TEST(HeifDecoder, ReadsTheImageTurnedAsTheFileSaysWithItsAlpha)
{
    const ImageFile::Result plain = ImageFile::decode(heic("quadrants.heic"));
    ASSERT_TRUE(plain.ok()) << plain.error.toStdString();
    EXPECT_EQ(plain.image.size(), QSize(64, 40));
    EXPECT_EQ(plain.image.format(), QImage::Format_RGB32);
    const QList<QRgb> four = corners(plain.image);
    EXPECT_TRUE(near(four[0], red));
    EXPECT_TRUE(near(four[1], green));
    EXPECT_TRUE(near(four[2], white));
    EXPECT_TRUE(near(four[3], blue));

    // Stored with a rotation and a mirror (irot and imir) that together transpose it.
    const ImageFile::Result oriented = ImageFile::decode(heic("oriented.heic"));
    ASSERT_TRUE(oriented.ok()) << oriented.error.toStdString();
    EXPECT_EQ(oriented.image.size(), QSize(40, 64));
    const QList<QRgb> turned = corners(oriented.image);
    EXPECT_TRUE(near(turned[0], red));
    EXPECT_TRUE(near(turned[1], blue));
    EXPECT_TRUE(near(turned[2], white));
    EXPECT_TRUE(near(turned[3], green));

    // Left half opaque, top right clear, bottom right half transparent.
    const ImageFile::Result alpha = ImageFile::decode(heic("alpha.heic"));
    ASSERT_TRUE(alpha.ok()) << alpha.error.toStdString();
    EXPECT_TRUE(alpha.image.hasAlphaChannel());
    const QList<QRgb> seen = corners(alpha.image);
    EXPECT_TRUE(near(seen[0], red));
    EXPECT_EQ(qAlpha(seen[1]), 0);
    EXPECT_TRUE(near(seen[2], white, 128));
    EXPECT_TRUE(near(seen[3], blue));
}

TEST(HeifDecoder, IsKnownByItsContentWhateverTheFileIsCalled)
{
    QTemporaryDir dir;
    for (const char* name : { "shot.heic", "shot.HEIF", "shot.png", "shot" }) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(heic("quadrants.heic"));
        file.close();
        const ImageFile::Result result = ImageFile::read(path);
        EXPECT_TRUE(result.ok()) << name << ": " << result.error.toStdString();
    }
    // Intakes that go by name or type offer HEIC.
    EXPECT_TRUE(ImageFile::readableSuffixes().contains("heic"));
    EXPECT_TRUE(ImageFile::readableSuffixes().contains("heif"));
    EXPECT_TRUE(ImageFile::readableMimeTypes().contains("image/heic"));
}

// A file still being written waits for its end; a damaged one or one past the pixel cap is given
// up at once, in the words every other image gets.
TEST(HeifDecoder, CutDamagedAndEnormousFilesAreRefusedLikeOtherImages)
{
    const QByteArray whole = heic("quadrants.heic");
    ASSERT_FALSE(whole.isEmpty());
    for (qsizetype cut = 12; cut < whole.size(); ++cut) {
        const ImageFile::Result result = ImageFile::decode(whole.left(cut));
        ASSERT_FALSE(result.ok()) << cut;
        EXPECT_TRUE(result.incomplete) << cut;
        EXPECT_EQ(result.error, QStringLiteral("the image data is truncated")) << cut;
    }

    QByteArray noLocations = whole;
    noLocations.replace("iloc", "xloc");
    QByteArray noPrimary = whole;
    noPrimary.replace("pitm", "xitm");
    for (const QByteArray& damaged : { noLocations, noPrimary }) {
        const ImageFile::Result result = ImageFile::decode(damaged);
        EXPECT_TRUE(result.permanent);
        EXPECT_EQ(result.error, QStringLiteral("the image data is damaged"));
    }

    const ImageFile::Result large = ImageFile::decode(declaring(whole, 12000, 9000));
    EXPECT_TRUE(large.permanent);
    EXPECT_EQ(large.error, QStringLiteral("it is 12000 × 9000 pixels, more than the 100 megapixels Lumaforge opens"));
    // Past what libheif itself takes: refused by it before anything is allocated.
    const ImageFile::Result vast = ImageFile::decode(declaring(whole, 2000000000, 2000000000));
    EXPECT_TRUE(vast.permanent);
    EXPECT_TRUE(vast.error.contains(QStringLiteral("more than the 100 megapixels Lumaforge opens"))) << vast.error.toStdString();
    // A narrow strip within the cap is not refused for its size.
    const ImageFile::Result strip = ImageFile::decode(declaring(whole, 200000, 40));
    EXPECT_FALSE(strip.error.contains(QStringLiteral("megapixels"))) << strip.error.toStdString();
}

// A file that declares a small image but carries a vast coded picture: the codec would allocate
// the vast one before libheif found the mismatch.
TEST(HeifDecoder, ACodedPicturePastTheCapIsRefusedWhateverTheHeaderDeclares)
{
    const QByteArray vast = heic("vast.heic");
    ASSERT_FALSE(vast.isEmpty());
    const ImageFile::Result declared = ImageFile::decode(vast);
    EXPECT_TRUE(declared.permanent);
    EXPECT_EQ(declared.error, QStringLiteral("it is 10240 × 10240 pixels, more than the 100 megapixels Lumaforge opens"));

    const ImageFile::Result lying = ImageFile::decode(declaring(vast, 100, 100));
    EXPECT_TRUE(lying.permanent);
    EXPECT_EQ(lying.error, QStringLiteral("it is 10240 × 10240 pixels, more than the 100 megapixels Lumaforge opens"));
    // The parameter sets are read right: a small file's coded size is its own, give or take whole
    // blocks, and its alpha plane's too.
    for (const char* name : { "quadrants.heic", "alpha.heic" }) {
        const QSize coded = HeifCodedSize::largest(heic(name));
        EXPECT_GE(coded.width(), 64) << name;
        EXPECT_LT(coded.width(), 64 + 64) << name;
        EXPECT_GE(coded.height(), 40) << name;
        EXPECT_LT(coded.height(), 40 + 64) << name;
    }
}

// A damaged file whose item claims to be a grid with a vast canvas: libheif allocates the canvas
// before it reads a single tile.
TEST(HeifDecoder, AGridOrOverlayCanvasPastTheCapIsRefusedBeforeItIsMade)
{
    const QByteArray grid = heic("vast-grid.heic");
    ASSERT_FALSE(grid.isEmpty());
    EXPECT_EQ(HeifCodedSize::largest(grid), QSize(55551, 55551));
    const ImageFile::Result result = ImageFile::decode(grid);
    EXPECT_TRUE(result.permanent);
    EXPECT_EQ(result.error, QStringLiteral("it is 55551 × 55551 pixels, more than the 100 megapixels Lumaforge opens"));
}

namespace {

QByteArray box(const char* type, const QByteArray& body)
{
    QByteArray size(4, '\0');
    qToBigEndian(quint32(8 + body.size()), size.data());
    return size + type + body;
}

QByteArray be(quint64 value, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char(value >> (8 * i)));
    return out;
}

}

// The canvas is read where the item's location says: in idat or in the file, with 16- or 32-bit
// sides, for grids and overlays alike; every other item's data is no canvas.
TEST(HeifDecoder, CanvasSizesAreReadFromTheItemsOwnData)
{
    const QByteArray grid32 = be(0, 1) + be(1, 1) + be(0x0101, 2) + be(70000, 4) + be(5000, 4);
    const QByteArray overlay16 = be(0, 1) + be(0, 1) + QByteArray(8, '\xff') + be(30000, 2) + be(9000, 2);
    const QByteArray picture = be(0x12345678, 4) + be(0x12345678, 4);
    const QByteArray items = box("infe", be(0x02000000, 4) + be(1, 2) + be(0, 2) + "grid" + '\0')
        + box("infe", be(0x02000000, 4) + be(2, 2) + be(0, 2) + "iovl" + '\0')
        + box("infe", be(0x02000000, 4) + be(3, 2) + be(0, 2) + "hvc1" + '\0');
    const auto file = [&](int overlayMethod) {
        // Version 1, offsets and lengths of 4 bytes, no base offsets: the grid in idat, the overlay
        // in idat or after the meta box, the picture in idat.
        const auto location = [](quint32 id, int method, quint32 offset, quint32 length) {
            return be(id, 2) + be(method, 2) + be(0, 2) + be(1, 2) + be(offset, 4) + be(length, 4);
        };
        const QByteArray ftyp = box("ftyp", QByteArray("heic") + be(0, 4) + "mif1heic");
        const auto meta = [&](quint32 overlayOffset) {
            return box("meta",
                be(0, 4) + box("iinf", be(0, 4) + be(3, 2) + items)
                    + box("iloc",
                        be(0x01000000, 4) + be(0x44, 1) + be(0x00, 1) + be(3, 2)
                            + location(1, 1, 0, quint32(grid32.size()))
                            + location(2, overlayMethod, overlayOffset, quint32(overlay16.size()))
                            + location(3, 1, quint32(grid32.size() + overlay16.size()), quint32(picture.size())))
                    + box("idat", grid32 + overlay16 + picture));
        };
        const quint32 after = quint32(ftyp.size() + meta(0).size());
        return ftyp + meta(overlayMethod == 1 ? quint32(grid32.size()) : after) + (overlayMethod == 1 ? QByteArray() : overlay16);
    };
    EXPECT_EQ(HeifCodedSize::largest(file(1)), QSize(70000, 5000));
    EXPECT_EQ(HeifCodedSize::largest(file(0)), QSize(70000, 5000));
    QByteArray overlayOnly = file(0);
    overlayOnly.replace("grid", "hvc1");
    EXPECT_EQ(HeifCodedSize::largest(overlayOnly), QSize(30000, 9000));
    overlayOnly.replace("iovl", "hvc1");
    EXPECT_FALSE(HeifCodedSize::largest(overlayOnly).isValid());
}
