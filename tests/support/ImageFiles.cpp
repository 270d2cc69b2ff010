#include "support/ImageFiles.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QtEndian>

#include <zlib.h>

QImage makeTestImage(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, Qt::white);
    return image;
}

QByteArray encodeImage(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

bool writePng(const QString& path, int width, int height)
{
    return writeFile(path, encodeImage(makeTestImage(width, height)));
}

namespace {
QByteArray chunk(const char* type, const QByteArray& data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))), crc.data());
    return out + crc;
}

QByteArray header(int width, int height)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(quint32(width), ihdr.data());
    qToBigEndian<quint32>(quint32(height), ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 2; // RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr);
}
}

QByteArray flatPng(int width, int height)
{
    const QByteArray row(1 + 3 * qsizetype(width), '\0');
    z_stream z {};
    deflateInit(&z, 9);
    QByteArray idat;
    QByteArray out(256 * 1024, '\0');
    for (int y = 0; y < height; ++y) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
        z.avail_in = uInt(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            deflate(&z, flush);
            idat.append(out.constData(), out.size() - qsizetype(z.avail_out));
        } while (z.avail_out == 0 || (flush == Z_FINISH && z.avail_in > 0));
    }
    deflateEnd(&z);
    return header(width, height) + chunk("IDAT", idat) + chunk("IEND", {});
}

QByteArray pngDeclaring(int width, int height)
{
    return header(width, height) + chunk("IDAT", QByteArray(8, '\x55')) + chunk("IEND", {});
}

QByteArray withChunks(const QByteArray& png, const char* type, const QList<QByteArray>& bodies)
{
    QByteArray chunks;
    for (const QByteArray& body : bodies)
        chunks += chunk(type, body);
    // Right after IHDR (8 bytes of signature, 25 of IHDR).
    return png.left(33) + chunks + png.mid(33);
}

QByteArray zlibCompressed(const QByteArray& data)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()), 9);
    out.truncate(qsizetype(size));
    return out;
}
