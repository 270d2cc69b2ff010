// PNG bytes: where the fast decoder gives an image, Qt's reader must give the same one.
#include "FuzzSupport.h"
#include "image/PngDecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <zlib.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startFuzzing();
    QImageReader::setAllocationLimit(64);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        bytes = QByteArray("\x89PNG\r\n\x1a\n", 8) + bytes;
    // Most mutations would also break a chunk's checksum; mended, they reach the pixels.
    for (qsizetype i = 8; i + 12 <= bytes.size();) {
        auto* p = reinterpret_cast<uchar*>(bytes.data()) + i;
        const qsizetype length = qsizetype(quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]);
        if (length > bytes.size() - i - 12)
            break;
        const quint32 crc = quint32(crc32(0, p + 4, uInt(length + 4)));
        p[length + 8] = uchar(crc >> 24);
        p[length + 9] = uchar(crc >> 16);
        p[length + 10] = uchar(crc >> 8);
        p[length + 11] = uchar(crc);
        i += length + 12;
    }
    const std::optional<QImage> ours = PngDecoder::decode(bytes, 64ll << 20);
    if (!ours)
        return 0;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoTransform(true);
    const QImage qt = reader.read();
    FUZZ_CHECK(!qt.isNull());
    FUZZ_CHECK(qt.format() == ours->format());
    FUZZ_CHECK(qt == *ours);
    FUZZ_CHECK(qt.textKeys() == ours->textKeys());
    for (const QString& key : qt.textKeys())
        FUZZ_CHECK(qt.text(key) == ours->text(key));
    FUZZ_CHECK(qt.dotsPerMeterX() == ours->dotsPerMeterX() && qt.dotsPerMeterY() == ours->dotsPerMeterY());
    return 0;
}
