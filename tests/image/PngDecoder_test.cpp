#include "image/ImageFile.h"
#include "image/PngDecoder.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr qint64 kLimit = 1024ll * 1024 * 1024;

QByteArray be32(quint32 v)
{
    const char b[4] = { char(v >> 24), char(v >> 16), char(v >> 8), char(v) };
    return QByteArray(b, 4);
}

QByteArray chunk(const QByteArray& type, const QByteArray& body)
{
    const QByteArray typed = type + body;
    return be32(quint32(body.size())) + typed
        + be32(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

struct Form {
    int width = 5, height = 5;
    int colour = 2; // 2 RGB, 6 RGBA
    int depth = 8, interlace = 0;
    QList<QByteArray> before, after; // chunks around the image data
    int idatPiece = 7; // split the image data into chunks this long
    int badFilter = -1; // this row gets filter type 7
};

// A PNG written by hand, so that every filter type, chunk split and row width occurs; each row's
// filter is its index modulo 5.
QByteArray handMade(const Form& s, quint32 seed = 1)
{
    QRandomGenerator random(seed);
    const int bpp = s.colour == 2 ? 3 : 4, bytes = s.width * bpp;
    std::vector<uchar> prev(size_t(bytes), 0), row(static_cast<size_t>(bytes));
    QByteArray filtered;
    for (int y = 0; y < s.height; ++y) {
        // Gradients, noise, and a few levels that make the Paeth predictor's ties common.
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = uchar(y % 3 == 0 ? random.bounded(256) : y % 3 == 1 ? random.bounded(4) * 64 : (y * 16 + int(i)) & 0xff);
        const int f = y % 5;
        filtered.append(char(y == s.badFilter ? 7 : f));
        for (int i = 0; i < bytes; ++i) {
            const int a = i >= bpp ? row[size_t(i - bpp)] : 0, b = prev[size_t(i)], c = i >= bpp ? prev[size_t(i - bpp)] : 0;
            const int predictor = f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : f == 4 ? paeth(a, b, c) : 0;
            filtered.append(char(uchar(row[size_t(i)] - predictor)));
        }
        prev = row;
    }
    uLongf size = compressBound(uLong(filtered.size()));
    QByteArray z(qsizetype(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(filtered.constData()), uLong(filtered.size()), 6);
    z.truncate(qsizetype(size));

    QByteArray ihdr = be32(quint32(s.width)) + be32(quint32(s.height));
    ihdr += char(s.depth);
    ihdr += char(s.colour);
    ihdr += QByteArray(2, '\0');
    ihdr += char(s.interlace);
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += chunk("IHDR", ihdr);
    for (const QByteArray& c : s.before)
        png += c;
    for (qsizetype i = 0; i < z.size(); i += s.idatPiece)
        png += chunk("IDAT", z.mid(i, s.idatPiece));
    for (const QByteArray& c : s.after)
        png += c;
    return png + chunk("IEND", {});
}

QImage qtRead(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoTransform(true);
    return reader.read();
}

void expectSameAsQt(const QImage& ours, const QByteArray& data)
{
    const QImage qt = qtRead(data);
    ASSERT_FALSE(qt.isNull());
    EXPECT_EQ(ours.format(), qt.format());
    EXPECT_EQ(ours.size(), qt.size());
    EXPECT_TRUE(ours == qt);
    EXPECT_EQ(ours.dotsPerMeterX(), qt.dotsPerMeterX());
    EXPECT_EQ(ours.dotsPerMeterY(), qt.dotsPerMeterY());
    // Texts are skipped: nothing shows them, and a shot would carry them all day.
    EXPECT_TRUE(ours.textKeys().isEmpty());
    EXPECT_EQ(ours.colorSpace(), qt.colorSpace());
}

QByteArray phys(quint32 x, quint32 y, int unit)
{
    return chunk("pHYs", be32(x) + be32(y) + char(unit));
}

} // namespace

TEST(PngDecoder, MatchesQtsReaderForEveryFilterWidthAndChunkLayout)
{
    for (const int colour : { 2, 6 }) {
        for (const QSize size : { QSize(1, 1), QSize(1, 7), QSize(2, 5), QSize(37, 11), QSize(300, 10) }) {
            for (const int piece : { 1, 7, 1 << 20 }) {
                SCOPED_TRACE(testing::Message() << colour << " " << size.width() << "x" << size.height() << " " << piece);
                Form s;
                s.colour = colour;
                s.width = size.width();
                s.height = size.height();
                s.idatPiece = piece;
                s.before = { phys(3780, 2835, 1), chunk("tEXt", QByteArray("Software\0gnome-screenshot", 25)),
                    chunk("tIME", QByteArray(7, '\x01')) };
                s.after = { chunk("tEXt", QByteArray("Comment\0caf\xe9 \x01 end", 17)) };
                const QByteArray data = handMade(s, quint32(colour * 1000 + size.width() + piece));
                const std::optional<QImage> ours = PngDecoder::decode(data, kLimit);
                ASSERT_TRUE(ours.has_value());
                expectSameAsQt(*ours, data);
            }
        }
    }
    // A resolution in no unit, and none at all, leave the default.
    for (const QList<QByteArray>& before : { QList<QByteArray> { phys(5000, 5000, 0) }, QList<QByteArray> {} }) {
        Form s;
        s.before = before;
        const QByteArray data = handMade(s);
        const std::optional<QImage> ours = PngDecoder::decode(data, kLimit);
        ASSERT_TRUE(ours.has_value());
        expectSameAsQt(*ours, data);
    }
    // What screenshot tools actually write: Qt's writer on a real-looking image.
    QImage shot(640, 400, QImage::Format_RGB32);
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            shot.setPixel(x, y, qRgb(x & 255, (x ^ y) & 255, (y * 3) & 255));
    shot.setText(QStringLiteral("Software"), QStringLiteral("spectacle"));
    for (const QImage& image : { shot, shot.convertToFormat(QImage::Format_ARGB32) }) {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(QImageWriter(&buffer, "png").write(image));
        const std::optional<QImage> ours = PngDecoder::decode(data, kLimit);
        ASSERT_TRUE(ours.has_value());
        expectSameAsQt(*ours, data);
        EXPECT_TRUE(ImageFile::decode(data, "png").image == image);
    }
}

// Forms and chunks that change what the reader presents stay with the reader, which still
// decodes them through ImageFile.
TEST(PngDecoder, LeavesOtherFormsAndPresentationChunksToTheReader)
{
    const auto withForm = [](auto change) {
        Form s;
        change(s);
        return handMade(s);
    };
    const QList<std::pair<const char*, QByteArray>> cases {
        { "interlaced", withForm([](Form& s) { s.interlace = 1; }) },
        { "16-bit", withForm([](Form& s) { s.depth = 16; }) },
        { "sRGB", withForm([](Form& s) { s.before = { chunk("sRGB", QByteArray(1, '\0')) }; }) },
        { "gAMA", withForm([](Form& s) { s.before = { chunk("gAMA", be32(45455)) }; }) },
        { "tRNS", withForm([](Form& s) { s.before = { chunk("tRNS", QByteArray(6, '\0')) }; }) },
        { "oFFs", withForm([](Form& s) { s.before = { chunk("oFFs", be32(5) + be32(6) + char(0)) }; }) },
        { "eXIf", withForm([](Form& s) { s.before = { chunk("eXIf", QByteArray("MM\0*\0\0\0\x08\0\0", 10)) }; }) },
        { "resolution past 31 bits", withForm([](Form& s) { s.before = { phys(3780, 0xffff0dc4u, 1) }; }) },
        { "wider than libpng's limit", withForm([](Form& s) { s.width = 1000001; s.height = 1; s.idatPiece = 1 << 20; }) },
        { "a small declared window", [&] {
             QByteArray data = withForm([](Form& s) { s.idatPiece = 1 << 20; });
             const qsizetype z = data.indexOf("IDAT") + 4;
             data[z] = char(0x58); // 8 KiB
             data[z + 1] = char(0x85);
             const QByteArray typed = data.mid(z - 4, 4 + (quint32(uchar(data[z - 6])) << 8 | uchar(data[z - 5])));
             return data.left(z - 8) + chunk("IDAT", typed.mid(4)) + data.mid(z + typed.size());
         }() },
        { "two resolutions", withForm([](Form& s) { s.before = { phys(3780, 3780, 1), phys(100, 100, 1) }; }) },
        { "resolution after the data", withForm([](Form& s) { s.after = { phys(1, 1, 1) }; }) },
    };
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(PngDecoder::decode(data, kLimit).has_value());
        const ImageFile::Result viaFile = ImageFile::decode(data, "png");
        EXPECT_EQ(viaFile.image, qtRead(data));
    }
    // Texts of any form, well made or not, are skipped rather than left to the reader.
    const QList<std::pair<const char*, QByteArray>> texts {
        { "zTXt", withForm([](Form& s) { s.after = { chunk("zTXt", QByteArray("k\0\0x", 4)) }; }) },
        { "iTXt", withForm([](Form& s) { s.before = { chunk("iTXt", QByteArray("k\0\0\0\0\0v", 7)) }; }) },
        { "keyword with a leading space", withForm([](Form& s) { s.before = { chunk("tEXt", QByteArray(" k\0v", 4)) }; }) },
        { "text with a second NUL", withForm([](Form& s) { s.before = { chunk("tEXt", QByteArray("k\0a\0b", 5)) }; }) },
    };
    for (const auto& [name, data] : texts) {
        SCOPED_TRACE(name);
        const std::optional<QImage> ours = PngDecoder::decode(data, kLimit);
        ASSERT_TRUE(ours.has_value());
        expectSameAsQt(*ours, data);
    }
}

// Damage of every kind gives no image of ours: the reader then says what is wrong.
TEST(PngDecoder, DamagedDataGivesNothing)
{
    const QByteArray good = handMade(Form {});
    ASSERT_TRUE(PngDecoder::decode(good, kLimit).has_value());

    QByteArray badCrc = good;
    badCrc[badCrc.indexOf("IDAT") + 4] = char(badCrc[badCrc.indexOf("IDAT") + 4] ^ 1);
    Form badFilter;
    badFilter.badFilter = 3;
    Form oneChunk;
    oneChunk.idatPiece = 1 << 20;
    const QByteArray whole = handMade(oneChunk);
    const qsizetype idat = whole.indexOf("IDAT");
    const quint32 zLength = quint32(uchar(whole[idat - 2])) << 8 | uchar(whole[idat - 1]);
    const QByteArray shortData = whole.left(idat - 4) + chunk("IDAT", whole.mid(idat + 4, zLength - 6)) + chunk("IEND", {});
    QByteArray vast("\x89PNG\r\n\x1a\n", 8);
    vast += chunk("IHDR", be32(16000) + be32(16000) + QByteArray("\x08\x02\0\0\0", 5));
    vast += chunk("IDAT", QByteArray(40, 'x')) + chunk("IEND", {});
    QByteArray tooLarge("\x89PNG\r\n\x1a\n", 8);
    tooLarge += chunk("IHDR", be32(0x7fffffff) + be32(0x7fffffff) + QByteArray("\x08\x02\0\0\0", 5));
    tooLarge += chunk("IDAT", QByteArray(40, 'x')) + chunk("IEND", {});
    const QList<std::pair<const char*, QByteArray>> cases {
        { "bad checksum", badCrc },
        { "unknown filter", handMade(badFilter) },
        { "image data too short", shortData },
        { "vast image from a few bytes", vast },
        { "beyond the allocation limit", tooLarge },
        { "no image data", good.left(8) + chunk("IHDR", good.mid(16, 13)) + chunk("IEND", {}) },
        { "no IHDR first", good.left(8) + chunk("tIME", QByteArray(7, '\x01')) + good.mid(8) },
        { "cut short", good.left(good.size() - 5) },
        { "chunk longer than the file", good.left(8) + be32(0x7ffffff0) + good.mid(12) },
        { "not PNG", QByteArray("GIF89a") + good },
        { "empty", QByteArray() },
    };
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(PngDecoder::decode(data, kLimit).has_value());
    }
}
