#include "image/ImageFile.h"

#include "image/PngDecoder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ImageFile {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ImageFile", text);
}

bool isPng(const QByteArray& data)
{
    return data.startsWith("\x89PNG\r\n\x1a\n");
}

bool isJpeg(const QByteArray& data)
{
    return data.startsWith("\xff\xd8\xff");
}

enum class Ending { complete, truncated, unknown };

// Walks the chunks up to IEND. Bytes after it (some writers append their own data) are no part
// of the image.
Ending pngEnding(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = 8;
    while (i + 8 <= n) {
        const qsizetype length = qFromBigEndian<quint32>(p + i);
        const bool end = std::memcmp(p + i + 4, "IEND", 4) == 0;
        if (length > n) // also guards the sum below
            return Ending::truncated;
        i += 12 + length;
        if (i > n)
            return Ending::truncated;
        if (end)
            return Ending::complete;
    }
    return Ending::truncated;
}

// Walks the segments up to the EOI marker, skipping entropy-coded data after each SOS. Whatever
// follows EOI (motion-photo video, maker trailers) is no part of the image. A structure the walk
// does not understand is left to the decoder.
Ending jpegEnding(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = 2;
    while (i < n) {
        if (p[i] != 0xff)
            return Ending::unknown;
        while (i < n && p[i] == 0xff) // fill bytes
            ++i;
        if (i >= n)
            return Ending::truncated;
        const uchar marker = p[i++];
        if (marker == 0xd9)
            return Ending::complete;
        if (marker == 0x01 || marker == 0xd8 || (marker >= 0xd0 && marker <= 0xd7))
            continue;
        if (i + 2 > n)
            return Ending::truncated;
        const qsizetype length = (qsizetype(p[i]) << 8) | p[i + 1];
        if (length < 2)
            return Ending::unknown;
        i += length;
        if (i > n)
            return Ending::truncated;
        if (marker != 0xda)
            continue;
        // Entropy-coded data runs to the next marker that is neither a stuffed zero nor a restart.
        for (;; ++i) {
            if (i + 1 >= n)
                return Ending::truncated;
            const uchar next = p[i + 1];
            if (p[i] == 0xff && next != 0 && next != 0xff && !(next >= 0xd0 && next <= 0xd7))
                break;
        }
    }
    return Ending::truncated;
}

// The image's size from its header, without decoding it; empty when the header does not say.
QSize declaredSize(const QByteArray& data, const QByteArray& formatHint)
{
    // IHDR always comes first: width and height right after its type.
    if (isPng(data) && data.size() >= 24 && std::memcmp(data.constData() + 12, "IHDR", 4) == 0) {
        const auto* p = reinterpret_cast<const uchar*>(data.constData());
        const quint32 w = qFromBigEndian<quint32>(p + 16);
        const quint32 h = qFromBigEndian<quint32>(p + 20);
        return QSize(int(std::min<quint32>(w, INT_MAX)), int(std::min<quint32>(h, INT_MAX)));
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, formatHint);
    reader.setDecideFormatFromContent(true);
    return reader.size();
}

Ending imageEnding(const QByteArray& data)
{
    if (isPng(data))
        return pngEnding(data);
    if (isJpeg(data))
        return jpegEnding(data);
    return Ending::unknown;
}

}

Result decode(const QByteArray& data, const QByteArray& formatHint)
{
    Result result;
    if (data.isEmpty()) {
        result.error = tr("the file is empty");
        result.incomplete = true;
        return result;
    }
    const Ending ending = imageEnding(data);
    if (ending == Ending::truncated) {
        result.error = tr("the image data is truncated");
        result.incomplete = true;
        return result;
    }
    if (const QSize size = declaredSize(data, formatHint); size.isValid() && qint64(size.width()) * size.height() > maxPixels) {
        result.error = tr("it is %1 × %2 pixels, more than the %3 megapixels Lumaforge opens")
                           .arg(size.width())
                           .arg(size.height())
                           .arg(maxPixels / 1000000);
        result.permanent = true;
        return result;
    }
    if (isPng(data)) {
        if (std::optional<QImage> image = PngDecoder::decode(data, qint64(allocationLimitMiB) * 1024 * 1024)) {
            result.image = std::move(*image);
            return result;
        }
    }
    // The limit is process-wide in Qt; set once, before the first decode of the application.
    static const bool limited = (QImageReader::setAllocationLimit(allocationLimitMiB), true);
    Q_UNUSED(limited);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, formatHint);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    result.image = reader.read();
    if (!result.image.isNull())
        return result;
    if (ending == Ending::complete) {
        // Everything up to the image's end is there: more data would not mend it.
        result.error = tr("the image data is damaged");
        result.permanent = true;
    } else if (QBuffer probe(const_cast<QByteArray*>(&data)); probe.open(QIODevice::ReadOnly)
               && QImageReader::imageFormat(&probe).isEmpty() && data.size() >= 64) {
        // Not even the first bytes say what image it is, and no writer begins that way.
        result.error = tr("it is not an image Lumaforge can read");
        result.permanent = true;
    } else {
        result.error = reader.errorString();
    }
    return result;
}

Result read(const QString& path, Links links)
{
    Result result;
    const QByteArray native = QFile::encodeName(path);
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == Links::refuse)
        flags |= O_NOFOLLOW;
    const int fd = ::open(native.constData(), flags);
    if (fd < 0) {
        const int error = errno;
        result.error = error == ELOOP ? tr("it is a symbolic link") : QString::fromLocal8Bit(std::strerror(error));
        // A file that is about to appear (renamed in by the screenshot tool) is worth a retry.
        result.incomplete = error == ENOENT;
        result.permanent = error == ELOOP;
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.error = tr("it is not a regular file");
        result.permanent = true;
        return result;
    }
    if (st.st_size > maxFileBytes) {
        ::close(fd);
        result.error = tr("the file is too large (%1 MiB)").arg(st.st_size / (1024 * 1024));
        result.permanent = true;
        return result;
    }
    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype filled = 0;
    while (filled < data.size()) {
        const ssize_t n = ::read(fd, data.data() + filled, size_t(data.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        filled += n;
    }
    ::close(fd);
    data.truncate(filled);
    return decode(data, QFileInfo(path).suffix().toLower().toLatin1());
}

}
