#include "image/ImageFile.h"

#include "image/HeifDecoder.h"
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

// A PNG without its text chunks (tEXt, zTXt, iTXt), a JPEG without its comments; the data itself
// when it has none. Nothing shows them, a writer may put hundreds of megabytes there (or a few
// kilobytes that inflate to gigabytes), and a reader would keep them with the image. A structure
// the walk does not understand is left as it is, for the decoder to judge.
QByteArray withoutText(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    QByteArray kept;
    qsizetype from = 0; // the first byte not yet copied to `kept`
    const auto drop = [&](qsizetype begin, qsizetype end) {
        kept.append(data.constData() + from, begin - from);
        from = end;
    };
    if (isPng(data)) {
        for (qsizetype i = 8; i + 12 <= n;) {
            const qsizetype length = qFromBigEndian<quint32>(p + i);
            if (length > n - i - 12)
                break;
            const uchar* type = p + i + 4;
            const qsizetype next = i + 12 + length;
            if (std::memcmp(type, "tEXt", 4) == 0 || std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iTXt", 4) == 0)
                drop(i, next);
            if (std::memcmp(type, "IEND", 4) == 0)
                break;
            i = next;
        }
    } else if (isJpeg(data)) {
        // Comments stand among the header segments, before the first scan.
        for (qsizetype i = 2; i + 4 <= n && p[i] == 0xff;) {
            const qsizetype start = i;
            while (i < n && p[i] == 0xff)
                ++i;
            if (i + 3 > n)
                break;
            const uchar marker = p[i++];
            if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8))
                continue;
            const qsizetype length = (qsizetype(p[i]) << 8) | p[i + 1];
            if (marker == 0xda || marker == 0xd9 || length < 2 || length > n - i)
                break;
            i += length;
            if (marker == 0xfe)
                drop(start, i);
        }
    }
    if (from == 0)
        return data;
    kept.append(data.constData() + from, n - from);
    return kept;
}

QString tooLargeError(QSize size)
{
    return tr("it is %1 × %2 pixels, more than the %3 megapixels Lumaforge opens")
        .arg(size.width())
        .arg(size.height())
        .arg(maxPixels / 1000000);
}

Result fromHeif(const HeifDecoder::Outcome& heif)
{
    Result result;
    result.image = heif.image;
    switch (heif.failure) {
    case HeifDecoder::Outcome::Failure::none:
        break;
    case HeifDecoder::Outcome::Failure::truncated:
        result.error = tr("the image data is truncated");
        result.incomplete = true;
        break;
    case HeifDecoder::Outcome::Failure::tooLarge:
        result.error = heif.size.isValid() ? tooLargeError(heif.size)
                                           : tr("it is more than the %1 megapixels Lumaforge opens").arg(maxPixels / 1000000);
        result.permanent = true;
        break;
    case HeifDecoder::Outcome::Failure::damaged:
        result.error = tr("the image data is damaged");
        result.permanent = true;
        break;
    case HeifDecoder::Outcome::Failure::unsupported:
        result.error = tr("it is not an image Lumaforge can read");
        result.permanent = true;
        break;
    }
    return result;
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

QList<QByteArray> readableSuffixes()
{
    QList<QByteArray> suffixes = QImageReader::supportedImageFormats();
    suffixes << "heic" << "heif";
    return suffixes;
}

QList<QByteArray> readableMimeTypes()
{
    QList<QByteArray> types = QImageReader::supportedMimeTypes();
    types << "image/heic" << "image/heif";
    return types;
}

Result decode(const QByteArray& encoded, const QByteArray& formatHint)
{
    Result result;
    if (encoded.isEmpty()) {
        result.error = tr("the file is empty");
        result.incomplete = true;
        return result;
    }
    if (HeifDecoder::isHeif(encoded))
        return fromHeif(HeifDecoder::decode(encoded, maxPixels, qint64(allocationLimitMiB) * 1024 * 1024));
    const Ending ending = imageEnding(encoded);
    if (ending == Ending::truncated) {
        result.error = tr("the image data is truncated");
        result.incomplete = true;
        return result;
    }
    // Texts are cut before a reader sees them: a JPEG's before its size is asked for (the reader
    // reads every comment to tell it), a PNG's only where our own decoder, which skips them, cannot
    // read it (a shot's few bytes of text are not copied on the main road for nothing).
    QByteArray data = isPng(encoded) ? encoded : withoutText(encoded);
    if (const QSize size = declaredSize(data, formatHint); size.isValid() && qint64(size.width()) * size.height() > maxPixels) {
        result.error = tooLargeError(size);
        result.permanent = true;
        return result;
    }
    if (isPng(data)) {
        if (std::optional<QImage> image = PngDecoder::decode(data, qint64(allocationLimitMiB) * 1024 * 1024)) {
            result.image = std::move(*image);
            return result;
        }
        data = withoutText(data);
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
