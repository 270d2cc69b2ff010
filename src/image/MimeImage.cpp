#include "image/MimeImage.h"

#include "core/Log.h"
#include "image/ImageFile.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <optional>

namespace {

// No value when no image format is on offer at all.
std::optional<QImage> readImageData(const QMimeData& mime, const QString& source)
{
    const QList<QByteArray> readable = ImageFile::readableMimeTypes();
    for (const QString& type : mime.formats()) {
        if (!type.startsWith(QLatin1String("image/")) || !readable.contains(type.toLatin1()))
            continue;
        // Only the first image on offer counts: a broken first image is not replaced by another.
        const ImageFile::Result result = ImageFile::decode(mime.data(type));
        if (!result.ok())
            logLine(QStringLiteral("the %1's %2 image cannot be read: %3").arg(source, type, result.error));
        return result.image;
    }
    return std::nullopt;
}

QImage readFirstImageUrl(const QMimeData& mime, const QString& source)
{
    if (!mime.hasUrls())
        return {};
    const QList<QByteArray> readable = ImageFile::readableSuffixes();
    for (const QUrl& url : mime.urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!readable.contains(QFileInfo(path).suffix().toLower().toLatin1()))
            continue;
        const ImageFile::Result result = ImageFile::read(path);
        if (!result.ok())
            logLine(QStringLiteral("the %1's file %2 cannot be read: %3").arg(source, path, result.error));
        return result.image;
    }
    return {};
}

}

QImage readMimeImage(const QMimeData& mime, const QString& source)
{
    if (const auto image = readImageData(mime, source))
        return *image;
    return readFirstImageUrl(mime, source);
}
