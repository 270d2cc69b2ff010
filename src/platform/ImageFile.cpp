#include "platform/ImageFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>
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

// A PNG ends with its IEND chunk; a JPEG with the EOI marker (some writers pad after it, and
// 0xFF 0xD9 cannot occur inside entropy-coded data, so a short tail is searched).
bool hasEndMarker(const QByteArray& data)
{
    if (isPng(data))
        return data.endsWith(QByteArray("IEND\xae\x42\x60\x82", 8));
    if (isJpeg(data)) {
        const qsizetype tail = std::min<qsizetype>(data.size(), 64);
        return data.right(tail).contains("\xff\xd9");
    }
    return true;
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
    if (!hasEndMarker(data)) {
        result.error = tr("the image data is truncated");
        result.incomplete = true;
        return result;
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
    if (result.image.isNull())
        result.error = reader.errorString();
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
